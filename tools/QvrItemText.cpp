#include "QvrItemText.h"

#include "print/PdfExport.h"
#include "print/PrevPrinter.h"
#include "rtf/Rtf.h"
#include "store/MasterFile.h"

#include <QLocale>
#include <QTextDocument>

std::optional<TextFormat> ParseTextFormat(const QString &name)
{
    if (name == QLatin1String("txt"))
        return TextFormat::Txt;
    if (name == QLatin1String("rtf"))
        return TextFormat::Rtf;
    if (name == QLatin1String("html"))
        return TextFormat::Html;
    if (name == QLatin1String("pdf"))
        return TextFormat::Pdf;
    return std::nullopt;
}

QString TextFormatExtension(TextFormat format)
{
    switch (format) {
    case TextFormat::Txt:
        return QStringLiteral(".txt");
    case TextFormat::Rtf:
        return QStringLiteral(".rtf");
    case TextFormat::Html:
        return QStringLiteral(".html");
    case TextFormat::Pdf:
        return QStringLiteral(".pdf");
    }
    return {};
}

namespace {

QByteArray plainText(const QTextDocument &doc)
{
    if (doc.isEmpty())
        return {};
    QString text = doc.toPlainText();
    // Pictures stand in the text as object characters, which mean nothing
    // outside the editor.
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Every paragraph ends with a line end, the last one too, so that the
    // output is a proper text file for line-based tools.
    text += QLatin1Char('\n');
    return text.toUtf8();
}

} // namespace

QByteArray ItemTextBytes(const MasterFile &master, int key, TextFormat format)
{
    QTextDocument doc;
    if (master.hasBlock(key))
        rtf::read(master.blockText(key), &doc);
    switch (format) {
    case TextFormat::Txt:
        return plainText(doc);
    case TextFormat::Rtf:
        // Read and written again, so the output has one shape whatever wrote
        // the stored text.
        return rtf::write(&doc);
    case TextFormat::Html:
        return doc.toHtml().toUtf8();
    case TextFormat::Pdf: {
        TPreviewPrinter layout; // the default page setup
        QString error;
        return PdfBytes(doc, layout, PaperForLocale(QLocale()), &error);
    }
    }
    return {};
}
