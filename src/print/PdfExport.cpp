#include "print/PdfExport.h"

#include "print/PrevPrinter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

bool ExportPdf(const QTextDocument &document, TPreviewPrinter &layout, QPageSize::PageSizeId paper,
               const QString &path, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    // The PDF is made aside and then copied over the target in one atomic
    // step, so a failure never leaves half a file in the user's place.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *error = QStringLiteral("Could not write %1:\n%2").arg(shown, scratch.errorString());
        return false;
    }
    PdfPrinter pdf(scratch.filePath(QStringLiteral("export.pdf")), paper);
    TPreviewPrinter engine;
    engine.SetPrinterAccess(&pdf);
    engine.TextOptions() = layout.TextOptions();
    engine.Orientation = layout.Orientation;
    engine.SetUnits(layout.Units());
    engine.Title = QStringLiteral("Export to PDF");
    if (!engine.PrintRichText(document) || !engine.PrintPages(0, engine.PageCount() - 1)) {
        *error = engine.LastError();
        return false;
    }
    QFile made(scratch.filePath(QStringLiteral("export.pdf")));
    if (!made.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Could not write %1:\n%2").arg(shown, made.errorString());
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(made.readAll()) < 0 || !out.commit()) {
        *error = QStringLiteral("Could not write %1:\n%2").arg(shown, out.errorString());
        return false;
    }
    return true;
}
