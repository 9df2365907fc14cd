#pragma once
#include "print/PageRecording.h"

#include <QPageSize>
#include <QRect>
#include <QString>
#include <memory>

class QLocale;
class QPrinter;

// Where the engine finds printers. The program asks the system; tests and
// Export to PDF give a PDF printer instead.
class PrinterAccess
{
public:
    virtual ~PrinterAccess() = default;
    // The number of printers in the system's list; 0 if it cannot be had.
    virtual int printerCount() = 0;
    // The current printer, measuring the whole sheet at its full resolution;
    // null when there is none.
    virtual QPrinter *printer() = 0;
};

class SystemPrinters : public PrinterAccess
{
public:
    SystemPrinters();
    ~SystemPrinters() override;
    int printerCount() override;
    QPrinter *printer() override;

private:
    std::unique_ptr<QPrinter> m_printer;
};

// A PDF file standing in for a printer.
class PdfPrinter : public PrinterAccess
{
public:
    explicit PdfPrinter(const QString &outputFile, QPageSize::PageSizeId paper = QPageSize::Letter);
    ~PdfPrinter() override;
    int printerCount() override { return 1; }
    QPrinter *printer() override { return m_printer.get(); }

private:
    std::unique_ptr<QPrinter> m_printer;
};

// A printer measuring the whole sheet at its full resolution.
void PreparePrinter(QPrinter &printer);

// The metrics of a device: for a printer the sheet and its unprintable
// margins; for anything else (the screen) a US-letter sheet at its resolution.
DeviceMetrics ReadMetrics(QPaintDevice *device);

// The width and height of the printable area, in device pixels.
QSize PrintableSize(const DeviceMetrics &m, QPaintDevice *device);

// The page rectangle L, T inches from the sheet's left and top edges and R, B
// inches inside the printable area's right and bottom edges, in printer
// pixels relative to the printable area's corner.
QRect PageRectInches(const DeviceMetrics &m, QSize printable, int left, int top, int right, int bottom);

// Letter where the locale measures in US units, A4 elsewhere.
QPageSize::PageSizeId PaperForLocale(const QLocale &locale);
