#include "print/PrevPrinter.h"

#include "print/PageSetupDlg.h"
#include "print/PrevForm.h"
#include "print/RichTextLayout.h"

#include <QFontMetricsF>
#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <cmath>

namespace {

QString g_lastMisuse;

// The hourglass for a long operation, restored however it ends.
class WaitCursor
{
public:
    WaitCursor()
    {
        m_set = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
        if (m_set)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }

private:
    bool m_set = false;
};

// Rounds halves to even, as the unit conversions are defined to.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

} // namespace

bool EngineMisuse(const char *where, const char *message)
{
    g_lastMisuse = QString::fromLatin1(message);
    Q_ASSERT_X(false, where, message);
    qCritical("%s: %s", where, message);
    return true;
}

QString TakeEngineMisuse()
{
    return std::exchange(g_lastMisuse, QString());
}

TPreviewPrinter::TPreviewPrinter(QObject *owner)
    : QObject(owner), m_ownPrinters(std::make_unique<SystemPrinters>()), m_printers(m_ownPrinters.get())
{
    RunPrintDialog = [](QPrinter *printer, int pageCount, PrintChoice &choice) {
        QPrintDialog dialog(printer);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(1, pageCount);
        dialog.setFromTo(1, pageCount);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
            choice.first = printer->fromPage() - 1;
            choice.last = printer->toPage() - 1;
        } else {
            choice.first = 0;
            choice.last = pageCount - 1;
        }
        choice.copies = printer->copyCount();
        return true;
    };
}

TPreviewPrinter::~TPreviewPrinter()
{
    ClearPages();
}

void TPreviewPrinter::SetUnits(TUnits units)
{
    m_units = units;
    m_unitFactor = units == unCentimeters ? 2.54 : 1.0;
}

void TPreviewPrinter::Loaded()
{
    // The page setup's stored defaults replace the engine's values at every start.
    TPageSetupForm::ApplyDefaults(*this);
}

int TPreviewPrinter::PageSetup()
{
    TPageSetupForm dialog(this, Messages, QApplication::activeWindow());
    return dialog.exec();
}

bool TPreviewPrinter::Repaginate()
{
    return m_lastDocument && PrintRichText(*m_lastDocument);
}

QSizeF TPreviewPrinter::SheetInches(TPrinterOrientation orientation)
{
    QPageLayout layout = ReferencePrinter()->pageLayout();
    layout.setOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    return layout.fullRect(QPageLayout::Inch).size();
}

QPrinter *TPreviewPrinter::ReferencePrinter()
{
    if (QPrinter *printer = m_printers->printerCount() >= 1 ? m_printers->printer() : nullptr)
        return printer;
    // Most machines here have no printer: previews are measured against a
    // PDF page, and printing from the preview offers to print to a file.
    if (!m_pdfReference)
        m_pdfReference = std::make_unique<PdfPrinter>(QString(), PaperForLocale(QLocale()));
    return m_pdfReference->printer();
}

void TPreviewPrinter::SetPrinterAccess(PrinterAccess *access)
{
    m_printers = access ? access : m_ownPrinters.get();
}

void TPreviewPrinter::BeginDoc()
{
    ClearPages(); // also ends an unfinished document
    m_inDocument = true;
    NewPage();
}

void TPreviewPrinter::NewPage()
{
    if (!m_inDocument && EngineMisuse("TPreviewPrinter::NewPage", "NewPage is not available before BeginDoc"))
        return;
    auto page = std::make_unique<TPageRecording>();
    QPrinter *printer = ReferencePrinter();
    printer->setPageOrientation(Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    ReadDeviceMetrics(printer);
    page->metrics = m_metrics;
    auto recorder = std::make_unique<PageRecorder>(page.get());
    auto canvas = std::make_unique<QPainter>(recorder.get());
    if (m_canvas) {
        // Drawing state carries over from page to page.
        canvas->setFont(m_canvas->font());
        canvas->setBrush(m_canvas->brush());
        canvas->setPen(m_canvas->pen());
    } else {
        QFont f(QStringLiteral("Arial"));
        f.setPointSizeF(10);
        canvas->setFont(f);
        canvas->setBrush(Qt::NoBrush);
    }
    FinishCanvas();
    m_pages.push_back(std::move(page));
    m_recorder = std::move(recorder);
    m_canvas = std::move(canvas);
    m_pageUsed = false;
    Status(QStringLiteral("Paginating page %1").arg(PageCount()), PageCount(), stPaginating);
}

QPainter *TPreviewPrinter::Canvas()
{
    if (!m_inDocument && EngineMisuse("TPreviewPrinter::Canvas", "Canvas is not available before BeginDoc"))
        return nullptr;
    m_pageUsed = true;
    return m_canvas.get();
}

void TPreviewPrinter::FinishCanvas()
{
    if (m_canvas)
        m_canvas->end();
    m_canvas.reset();
    m_recorder.reset();
}

void TPreviewPrinter::EndDoc()
{
    if (!m_inDocument)
        return;
    m_inDocument = false;
    FinishCanvas();
    if (!m_pageUsed && !m_pages.empty())
        m_pages.pop_back(); // started but never drawn on
    Status(QStringLiteral("Pagination Complete"), -1, stPaginationComplete);
}

const TPageRecording *TPreviewPrinter::Pages(int index) const
{
    if ((index < 0 || index >= PageCount()) && EngineMisuse("TPreviewPrinter::Pages", "page index out of range"))
        return nullptr;
    return m_pages.at(size_t(index)).get();
}

void TPreviewPrinter::ClearPages()
{
    FinishCanvas();
    m_pages.clear();
    m_ranges.clear();
    m_inDocument = false; // a document without its pages cannot go on
}

void TPreviewPrinter::ReadDeviceMetrics(QPaintDevice *device)
{
    m_metrics = ReadMetrics(device);
}

int TPreviewPrinter::UnitsToPixelsX(double v) const
{
    return roundEven(m_metrics.logPixelsX * v / m_unitFactor);
}

int TPreviewPrinter::UnitsToPixelsY(double v) const
{
    return roundEven(m_metrics.logPixelsY * v / m_unitFactor);
}

double TPreviewPrinter::PixelsToUnitsX(int p) const
{
    return double(p) / m_metrics.logPixelsX * m_unitFactor;
}

double TPreviewPrinter::PixelsToUnitsY(int p) const
{
    return double(p) / m_metrics.logPixelsY * m_unitFactor;
}

void TPreviewPrinter::Status(const QString &message, int page, TStatusType type)
{
    if (OnStatus)
        OnStatus(this, message, page, type);
}

void TPreviewPrinter::Preview()
{
    if (m_inDocument && EngineMisuse("TPreviewPrinter::Preview", "Preview is not available inside a document"))
        return;
    TPreviewForm form(this, QApplication::activeWindow());
    form.OpenAsAsked();
    form.exec();
}

bool TPreviewPrinter::Print()
{
    m_lastError.clear();
    QPrinter *printer = ReferencePrinter();
    if (PageCount() == 0)
        return false;
    PrintChoice choice;
    if (!RunPrintDialog(printer, PageCount(), choice))
        return false;
    // Copies are separate jobs, so the printer itself must make one of each.
    printer->setCopyCount(1);
    for (int copy = 0; copy < choice.copies; ++copy)
        if (!PrintPages(choice.first, choice.last))
            return false;
    return true;
}

bool TPreviewPrinter::PrintPages(int first, int last)
{
    m_lastError.clear();
    if (m_inDocument && EngineMisuse("TPreviewPrinter::PrintPages", "PrintPages is not available inside a document"))
        return false;
    WaitCursor wait;
    QPrinter *printer = ReferencePrinter();
    first = qMax(first, 0);
    last = qMin(last, PageCount() - 1);
    printer->setPageOrientation(Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setDocName(Title);
    QPainter painter;
    if (!painter.begin(printer)) {
        m_lastError = QStringLiteral("The printer could not start the print job.");
        return false;
    }
    ReadDeviceMetrics(printer);
    for (int i = first; i <= last; ++i) {
        Status(QStringLiteral("Printing page %1").arg(i + 1), i + 1, stPrinting);
        const TPageRecording &page = *m_pages.at(size_t(i));
        // The painter's origin is the sheet's corner (full-page mode), where
        // the recording's origin belongs; the scale follows the resolution,
        // and a smaller sheet than the recording's gets the page fitted.
        qreal scale = qreal(m_metrics.logPixelsX) / page.metrics.logPixelsX;
        if (page.metrics.pageWidth * scale > m_metrics.pageWidth + 1
            || page.metrics.pageHeight * scale > m_metrics.pageHeight + 1)
            scale = qMin(qreal(m_metrics.pageWidth) / page.metrics.pageWidth,
                         qreal(m_metrics.pageHeight) / page.metrics.pageHeight);
        page.replay(painter, QPointF(0, 0), scale);
        if (i < last && !printer->newPage()) {
            painter.end();
            m_lastError = QStringLiteral("The printer stopped at page %1; the job was not completed.").arg(i + 2);
            return false;
        }
    }
    painter.end();
    if (printer->printerState() == QPrinter::Error) {
        m_lastError = QStringLiteral("The printer reported an error; the job may not have been printed.");
        return false;
    }
    Status(QStringLiteral("Print Job Complete"), -1, stPrintComplete);
    return true;
}

QRectF TPreviewPrinter::BodyRect() const
{
    // Margins are in Units; the layout works in inches.
    const DeviceMetrics &m = m_metrics;
    const TTextOptions &o = m_textOptions;
    const qreal left = o.MarginLeft / m_unitFactor * m.logPixelsX;
    const qreal top = o.MarginTop / m_unitFactor * m.logPixelsY;
    const qreal right = m.pageWidth - o.MarginRight / m_unitFactor * m.logPixelsX;
    const qreal bottom = m.pageHeight - o.MarginBottom / m_unitFactor * m.logPixelsY;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool TPreviewPrinter::TextOutAligned(int y, TAlignment alignment, const QString &text, const QFont *font)
{
    QPainter *canvas = Canvas();
    if (!canvas)
        return false;
    const QFont kept = canvas->font();
    if (font)
        canvas->setFont(*font);
    const QFontMetricsF metrics(canvas->font(), canvas->device());
    const int w = int(metrics.horizontalAdvance(text));
    int x = 0;
    switch (alignment) {
    case taLeftJustify: x = UnitsToPixelsX(m_textOptions.MarginLeft); break;
    case taRightJustify: x = m_metrics.pageWidth - UnitsToPixelsX(m_textOptions.MarginRight) - w; break;
    case taCenter: x = m_metrics.pageWidth / 2 - w / 2; break;
    }
    canvas->drawText(QPointF(x, y + metrics.ascent()), text);
    canvas->setFont(kept);
    return true;
}

void TPreviewPrinter::DrawHeaderFooter(int page)
{
    const TTextOptions &o = m_textOptions;
    const int hy = UnitsToPixelsY(o.HeaderMargin);
    const int fy = m_metrics.pageHeight - UnitsToPixelsY(o.FooterMargin);
    TextOutAligned(hy, o.HeaderAlign, o.Header, &o.HeaderFont());
    TextOutAligned(fy, o.FooterAlign, o.Footer, &o.FooterFont());
    const QString number = FormatPageNumber(o.PageNumText, page, nullptr);
    if (o.PrintPageNumber == pnBottom)
        TextOutAligned(fy, o.PageNumAlign, number, &o.PageNumFont());
    else if (o.PrintPageNumber == pnTop)
        TextOutAligned(hy, o.PageNumAlign, number, &o.PageNumFont());
}

bool TPreviewPrinter::PrintRichText(const QTextDocument &document)
{
    WaitCursor wait;
    m_lastError.clear();
    m_lastDocument = &document;
    // The page number text is checked before anything is recorded, so a
    // refused one leaves no unfinished document behind.
    if (m_textOptions.PrintPageNumber != pnNone)
        FormatPageNumber(m_textOptions.PageNumText, 1, &m_lastError);
    if (!m_lastError.isEmpty()) {
        ClearPages();
        return false;
    }
    BeginDoc();
    const QRectF body = BodyRect();
    MetricsDevice device(m_metrics);
    const RichTextLayout layout(document, &device, body.size());
    if (layout.noRoom()) {
        ClearPages();
        m_lastError = QStringLiteral("The margins leave no room for text on the page.");
        return false;
    }
    int start = 0;
    int page = 0;
    std::vector<std::pair<int, int>> ranges;
    for (;;) {
        if (page > 0)
            NewPage();
        ++page;
        DrawHeaderFooter(page);
        const int next = layout.renderRange(*Canvas(), body, start);
        ranges.emplace_back(start, next);
        if (next >= layout.textLength())
            break;
        if (next <= start) {
            // A page that places no text would repeat for ever.
            ClearPages();
            m_lastError = QStringLiteral("The margins leave no room for text on the page.");
            return false;
        }
        start = next;
    }
    EndDoc();
    m_ranges = std::move(ranges);
    return true;
}

bool PrintDocumentDirect(const QTextDocument &document, QPrinter &printer, const QString &jobTitle,
                         const QRect &pageRect, QString *error)
{
    WaitCursor wait;
    printer.setDocName(jobTitle);
    const DeviceMetrics m = ReadMetrics(&printer);
    // The page rectangle counts from the printable area's corner; the
    // painter's origin is the sheet's.
    const QRectF body = QRectF(pageRect).translated(m.offsetX, m.offsetY);
    MetricsDevice device(m);
    const RichTextLayout layout(document, &device, body.size());
    if (layout.noRoom()) {
        *error = QStringLiteral("The margins leave no room for text on the page.");
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = QStringLiteral("The printer could not start the print job.");
        return false;
    }
    int start = 0;
    for (int page = 1;; ++page) {
        const int next = layout.renderRange(painter, body, start);
        if (next >= layout.textLength() || next <= start)
            break;
        start = next;
        if (!printer.newPage()) {
            painter.end();
            *error = QStringLiteral("The printer stopped at page %1; the job was not completed.").arg(page + 1);
            return false;
        }
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error) {
        *error = QStringLiteral("The printer reported an error; the job may not have been printed.");
        return false;
    }
    return true;
}
