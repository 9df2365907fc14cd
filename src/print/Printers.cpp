#include "print/Printers.h"

#include <QGuiApplication>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

void PreparePrinter(QPrinter &printer)
{
    // The default mode would measure at screen resolution and leave out the
    // margins the printer cannot reach; pages are laid out on the whole sheet.
    printer.setFullPage(true);
}

SystemPrinters::SystemPrinters() = default;
SystemPrinters::~SystemPrinters() = default;

int SystemPrinters::printerCount()
{
    return int(QPrinterInfo::availablePrinterNames().size());
}

QPrinter *SystemPrinters::printer()
{
    if (printerCount() < 1)
        return nullptr;
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        PreparePrinter(*m_printer);
    }
    return m_printer.get();
}

PdfPrinter::PdfPrinter(const QString &outputFile, QPageSize::PageSizeId paper)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(outputFile);
    m_printer->setPageSize(QPageSize(paper));
    PreparePrinter(*m_printer);
}

PdfPrinter::~PdfPrinter() = default;

DeviceMetrics ReadMetrics(QPaintDevice *device)
{
    DeviceMetrics m;
    m.logPixelsX = device->logicalDpiX();
    m.logPixelsY = device->logicalDpiY();
    if (auto *paged = dynamic_cast<QPagedPaintDevice *>(device)) {
        const QPageLayout layout = paged->pageLayout();
        const QRect sheet = layout.fullRectPixels(m.logPixelsX);
        m.pageWidth = sheet.width();
        m.pageHeight = qRound(sheet.height() * qreal(m.logPixelsY) / m.logPixelsX);
        const QPageLayout minimal(layout.pageSize(), layout.orientation(), layout.minimumMargins(),
                                  layout.units());
        const QMarginsF points = minimal.marginsPoints();
        m.offsetX = qRound(points.left() / 72 * m.logPixelsX);
        m.offsetY = qRound(points.top() / 72 * m.logPixelsY);
        return m;
    }
    // A display has no paper: a sheet of US letter at the screen's resolution.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : m.logPixelsY;
    m.pageWidth = qRound(dpi * 8.5);
    m.pageHeight = qRound(dpi * 11);
    return m;
}

QSize PrintableSize(const DeviceMetrics &m, QPaintDevice *device)
{
    if (auto *paged = dynamic_cast<QPagedPaintDevice *>(device)) {
        const QPageLayout layout = paged->pageLayout();
        const QMarginsF mm = layout.minimumMargins();
        QPageLayout minimal(layout.pageSize(), layout.orientation(), mm, layout.units());
        const QMarginsF pt = minimal.marginsPoints();
        return QSize(m.pageWidth - qRound((pt.left() + pt.right()) / 72 * m.logPixelsX),
                     m.pageHeight - qRound((pt.top() + pt.bottom()) / 72 * m.logPixelsY));
    }
    return QSize(m.pageWidth, m.pageHeight);
}

QRect PageRectInches(const DeviceMetrics &m, QSize printable, int left, int top, int right, int bottom)
{
    QRect r;
    r.setCoords(left * m.logPixelsX - m.offsetX, top * m.logPixelsY - m.offsetY,
                printable.width() - right * m.logPixelsX, printable.height() - bottom * m.logPixelsY);
    return r;
}

QPageSize::PageSizeId PaperForLocale(const QLocale &locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}
