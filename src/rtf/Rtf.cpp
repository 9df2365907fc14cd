#include "rtf/Rtf.h"

#include "rtf/CodePage.h"
#include "rtf/RtfReader.h"

#include <QTextDocument>

namespace rtf {

namespace {

bool looksLikeRtf(const QByteArray &data)
{
    qsizetype i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return QByteArrayView(data).sliced(i).startsWith("{\\rtf");
}

} // namespace

void read(const QByteArray &data, QTextDocument *doc)
{
    // Loading is not an edit the user could undo; skipping the undo stack
    // also makes big items load several times faster.
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    if (looksLikeRtf(data)) {
        detail::readRtf(data, doc);
    } else {
        QString text = decodeCp1252(data);
        text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        // As in RTF, a NUL is no character of the text (nor could RTF keep it).
        text.remove(QChar(0));
        // A file's last line ends with a line break; it does not start another paragraph.
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        doc->setPlainText(text);
    }
    doc->setUndoRedoEnabled(undo);
}

} // namespace rtf
