#pragma once
#include "print/PageRecording.h"
#include "print/Printers.h"
#include "print/TextOptions.h"

#include <QObject>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

#include <QPointer>
#include <QSizeF>
#include <QTextDocument>

class QPainter;
class QPrinter;
class UserMessages;

class TPreviewPrinter;

using TStatusProc = std::function<void(TPreviewPrinter *sender, const QString &statMsg, int pageNum,
                                       TStatusType statusType)>;
// The owner-drawn line mode is declared for hosts that want it; nothing raises these.
using TOwnerHeightProc = std::function<void(TPreviewPrinter *sender, int line, int &height, bool &forceNewPage)>;
using TOwnerDrawProc = std::function<void(TPreviewPrinter *sender, int page, int line, const QRect &r,
                                          QPainter *canvas)>;
using TNewPageProc = std::function<void(TPreviewPrinter *sender, int page)>;

// What the print dialog answered.
struct PrintChoice
{
    int first = 0; // 0-based page indexes
    int last = -1;
    int copies = 1;
};

// The print engine: records a document as pages measured against the
// printer, and prints or previews them without laying the text out again.
class QPrinter;

class TPreviewPrinter : public QObject
{
    Q_OBJECT
public:
    explicit TPreviewPrinter(QObject *owner = nullptr);
    ~TPreviewPrinter() override;

    // Published properties.
    TPrinterOrientation Orientation = poPortrait;
    QString Title;
    TTextOptions &TextOptions() { return m_textOptions; }
    TUnits Units() const { return m_units; }
    void SetUnits(TUnits units);
    double UnitFactor() const { return m_unitFactor; }
    bool ShowGrid = false;
    TZoomOption ZoomOption = zoFitToPage;
    qint32 ZoomVal = 100;
    TOwnerHeightProc OnOwnerHeight;
    TOwnerDrawProc OnOwnerDraw;
    TNewPageProc OnNewPage;
    TStatusProc OnStatus;

    // Completion of loading: applies the saved page-setup defaults.
    void Loaded();

    void BeginDoc();
    void NewPage();
    // The current page's drawing surface; only between BeginDoc and EndDoc.
    QPainter *Canvas();
    void EndDoc();
    bool InDocument() const { return m_inDocument; }

    int PageCount() const { return int(m_pages.size()); }
    const TPageRecording *Pages(int index) const;
    void ClearPages();

    void ReadDeviceMetrics(QPaintDevice *device);
    const DeviceMetrics &Metrics() const { return m_metrics; }
    int UnitsToPixelsX(double v) const;
    int UnitsToPixelsY(double v) const;
    double PixelsToUnitsX(int p) const;
    double PixelsToUnitsY(int p) const;

    void Preview();
    // The print dialog, then the chosen pages; false if cancelled or failed.
    bool Print();
    // One print job of pages First..Last (0-based); false when the printer
    // failed, with the reason in LastError().
    bool PrintPages(int first, int last);
    // The page setup dialog; answers QDialog::Accepted or Rejected.
    int PageSetup();
    // Lays the last printed document out again (after a page setup change);
    // false when it is gone or no longer fits.
    bool Repaginate();
    // The sheet of the reference printer, in inches, in `orientation`.
    QSizeF SheetInches(TPrinterOrientation orientation);
    // The printer pages are measured against and printed to: the current
    // printer, else a PDF page of the user's paper size.
    QPrinter *ReferencePrinter();
    // Where the page setup dialog tells the user about a bad field; null: plain message boxes.
    UserMessages *Messages = nullptr;

    // Records the whole text of `document` as a new document, with header,
    // footer and page number on every page. False with the reason in
    // LastError() when it cannot (margins leaving no room, a page number
    // text that is not a format); the pages are then empty.
    bool PrintRichText(const QTextDocument &document);

    // The body's character range [first, last) of every recorded page.
    const std::vector<std::pair<int, int>> &PageRanges() const { return m_ranges; }
    const QString &LastError() const { return m_lastError; }

    // The printers: the system's unless a test or an export sets its own.
    void SetPrinterAccess(PrinterAccess *access);
    PrinterAccess &Printers() { return *m_printers; }
    // The print dialog; replaceable so tests can answer it.
    std::function<bool(QPrinter *printer, int pageCount, PrintChoice &choice)> RunPrintDialog;
    // How the preview window tells the user that printing failed.
    std::function<void(const QString &message)> ShowError;

private:
    void DrawHeaderFooter(int page);
    bool TextOutAligned(int y, TAlignment alignment, const QString &text, const QFont *font);
    QRectF BodyRect() const;
    void Status(const QString &message, int page, TStatusType type);
    void FinishCanvas();

    TTextOptions m_textOptions;
    TUnits m_units = unInches;
    double m_unitFactor = 1.0;
    bool m_inDocument = false;
    bool m_pageUsed = false;
    DeviceMetrics m_metrics;
    std::vector<std::unique_ptr<TPageRecording>> m_pages;
    std::unique_ptr<PageRecorder> m_recorder;
    std::unique_ptr<QPainter> m_canvas;
    std::vector<std::pair<int, int>> m_ranges;
    QString m_lastError;
    QPointer<const QTextDocument> m_lastDocument;
    std::unique_ptr<PrinterAccess> m_ownPrinters;
    std::unique_ptr<PrinterAccess> m_pdfReference; // stands in while no printer is installed
    PrinterAccess *m_printers = nullptr;
};

// Reports misuse of the engine by the program itself: an assertion in a
// debug build; a release build logs it and the caller returns safely.
bool EngineMisuse(const char *where, const char *message);
// The last misuse reported since the last call, and forgets it (tests of
// the release behaviour).
QString TakeEngineMisuse();

// Prints `document` directly on `printer` as one job titled `jobTitle`, laid
// out into `pageRect` (printer pixels from the printable area's corner) with
// the pagination the preview uses; no header, footer or page number.
bool PrintDocumentDirect(const QTextDocument &document, QPrinter &printer, const QString &jobTitle,
                         const QRect &pageRect, QString *error);
