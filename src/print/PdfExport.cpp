#include "print/PdfExport.h"

#include "print/PrevPrinter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

QByteArray PdfBytes(const QTextDocument &document, TPreviewPrinter &layout, QPageSize::PageSizeId paper,
                    QString *error)
{
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *error = scratch.errorString();
        return {};
    }
    const QString made = scratch.filePath(QStringLiteral("export.pdf"));
    PdfPrinter pdf(made, paper);
    TPreviewPrinter engine;
    engine.SetPrinterAccess(&pdf);
    engine.TextOptions() = layout.TextOptions();
    engine.Orientation = layout.Orientation;
    engine.SetUnits(layout.Units());
    engine.Title = QStringLiteral("Export to PDF");
    if (!engine.PrintRichText(document) || !engine.PrintPages(0, engine.PageCount() - 1)) {
        *error = engine.LastError();
        return {};
    }
    QFile file(made);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    // The printer says nothing of a write that failed (a full disk): a PDF
    // written whole ends with its end-of-file mark.
    QByteArray bytes = file.readAll();
    if (!bytes.trimmed().endsWith("%%EOF")) {
        *error = QStringLiteral("The PDF could not be written whole; the disk may be full.");
        return {};
    }
    return bytes;
}

bool ExportPdf(const QTextDocument &document, TPreviewPrinter &layout, QPageSize::PageSizeId paper,
               const QString &path, QString *error)
{
    // The PDF is made aside and then written over the target in one atomic
    // step, so a failure never leaves half a file in the user's place.
    const QByteArray bytes = PdfBytes(document, layout, paper, error);
    if (bytes.isEmpty())
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) < 0 || !out.commit()) {
        *error = QStringLiteral("Could not write %1:\n%2").arg(QDir::toNativeSeparators(path), out.errorString());
        return false;
    }
    return true;
}
