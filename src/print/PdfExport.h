#pragma once
#include "print/TextOptions.h"

#include <QPageSize>
#include <QString>

class QTextDocument;
class TPreviewPrinter;

// Paginates `document` as `layout` (its options, orientation and units) does
// for the preview, on `paper`, and writes the pages as a PDF to `path`: the
// file is replaced only when the whole PDF was written. False with the
// reason in `error`.
// The same PDF as bytes; empty with the reason in `error` on failure.
QByteArray PdfBytes(const QTextDocument &document, TPreviewPrinter &layout, QPageSize::PageSizeId paper,
                    QString *error);

bool ExportPdf(const QTextDocument &document, TPreviewPrinter &layout, QPageSize::PageSizeId paper,
               const QString &path, QString *error);
