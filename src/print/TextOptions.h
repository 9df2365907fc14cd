#pragma once
#include <QFont>
#include <QString>

// Ordinal values matter: the page-setup dialog uses them as radio-button tags.
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TPrintPageNumber { pnBottom = 0, pnTop = 1, pnNone = 2 };
enum TUnits { unInches = 0, unCentimeters = 1 };
enum TPrinterOrientation { poPortrait = 0, poLandscape = 1 };
enum TDrawStyle { dsStandard = 0, dsOwnerDrawFixed = 1, dsOwnerDrawVariable = 2 };
enum TZoomOption { zoFitToPage = 0, zoFitToWidth = 1, zoTwoPages = 2, zoCustom = 3 };
enum TStatusType { stPaginating = 0, stPrinting = 1, stPaginationComplete = 2, stPrintComplete = 3 };

// The page layout options: margins, header, footer and page number. Lengths
// are in the engine's units. The four fonts are owned values; setting one
// copies the given font's attributes.
class TTextOptions
{
public:
    TTextOptions();

    TDrawStyle DrawStyle = dsStandard;
    double MarginLeft = 1.0;
    double MarginTop = 1.0;
    double MarginRight = 1.0;
    double MarginBottom = 1.0;
    QString Header;
    QString Footer;
    double HeaderMargin = 0.5;
    double FooterMargin = 0.75;
    TAlignment HeaderAlign = taCenter;
    TAlignment FooterAlign = taCenter;
    TPrintPageNumber PrintPageNumber = pnBottom;
    TAlignment PageNumAlign = taRightJustify;
    QString PageNumText = QStringLiteral("Page %d");

    const QFont &BodyFont() const { return m_bodyFont; }
    const QFont &HeaderFont() const { return m_headerFont; }
    const QFont &FooterFont() const { return m_footerFont; }
    const QFont &PageNumFont() const { return m_pageNumFont; }
    void SetBodyFont(const QFont &f) { m_bodyFont = f; }
    void SetHeaderFont(const QFont &f) { m_headerFont = f; }
    void SetFooterFont(const QFont &f) { m_footerFont = f; }
    void SetPageNumFont(const QFont &f) { m_pageNumFont = f; }

private:
    QFont m_bodyFont;
    QFont m_headerFont;
    QFont m_footerFont;
    QFont m_pageNumFont;
};

// `PageNumText` with the page number in place of "%d" and "%" for "%%". It is
// text the user types, so any other placeholder is refused with a message in
// `error` (and an empty result) rather than formatted.
QString FormatPageNumber(const QString &format, int page, QString *error);
