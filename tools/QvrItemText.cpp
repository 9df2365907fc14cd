#include "QvrItemText.h"

#include "print/PdfExport.h"
#include "print/PrevPrinter.h"
#include "rtf/Rtf.h"
#include "store/MasterFile.h"

#include <QBuffer>
#include <QImage>
#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

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

// Qt's HTML names a picture by the document's resource name, which means
// nothing outside it: each picture becomes a data: address holding a PNG.
void embedPictures(QTextDocument &doc)
{
    struct Change
    {
        int position, length;
        QTextImageFormat format;
    };
    QList<Change> changes;
    QHash<QString, QString> addresses;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (!it.fragment().charFormat().isImageFormat())
                continue;
            QTextImageFormat f = it.fragment().charFormat().toImageFormat();
            QString &address = addresses[f.name()];
            if (address.isEmpty()) {
                QByteArray png = f.property(rtf::PictureDataProperty).toByteArray();
                if (!f.stringProperty(rtf::PictureKindProperty).startsWith(QLatin1String("pngblip"))
                    || !png.startsWith("\x89PNG")) {
                    png.clear();
                    QBuffer buffer(&png);
                    buffer.open(QIODevice::WriteOnly);
                    doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>().save(&buffer, "PNG");
                }
                address = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
            }
            f.setName(address);
            changes.append({it.fragment().position(), it.fragment().length(), f});
        }
    }
    for (const Change &c : changes) {
        QTextCursor cursor(&doc);
        cursor.setPosition(c.position);
        cursor.setPosition(c.position + c.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.format);
    }
}

} // namespace

QByteArray ItemTextBytes(const MasterFile &master, int key, TextFormat format, QString *error)
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
        embedPictures(doc);
        return doc.toHtml().toUtf8();
    case TextFormat::Pdf: {
        TPreviewPrinter layout; // the default page setup
        QString why;
        const QByteArray pdf = PdfBytes(doc, layout, PaperForLocale(QLocale()), &why);
        if (pdf.isEmpty() && error)
            *error = why.isEmpty() ? QStringLiteral("the PDF could not be made") : why;
        return pdf;
    }
    }
    return {};
}
