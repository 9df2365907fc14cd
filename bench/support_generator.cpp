#include "support_generator.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace {
const char *const kWords[] = {"notes", "recipe", "garden", "meeting", "research", "manual",
                              "chapter", "summary", "idea", "travel", "budget", "letter"};
}

QByteArray GeneratedItemRtf(int seed, int bytes)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
                     "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                     "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    int w = seed;
    int lineLength = 0;
    while (out.size() < bytes - 10) {
        const char *word = kWords[w++ % 12];
        if (w % 17 == 0) {
            out += "\\b ";
            out += word;
            out += "\\b0 ";
        } else if (w % 23 == 0) {
            out += "\\cf1 ";
            out += word;
            out += "\\cf0 ";
        } else {
            out += word;
            out += ' ';
        }
        lineLength += 8;
        if (lineLength > 70) {
            out += "\\par\r\n";
            lineLength = 0;
        }
    }
    out += "\\par\r\n}\r\n";
    return out;
}

namespace {

// Hands the file to `put` piece by piece, so a document of any size is made
// without holding it whole.
template <typename Put> void emitTreeFile(const GeneratedShape &shape, Put &&put)
{
    const int tops = qMax(1, shape.branches / 200);
    const int subsPerTop = qMax(0, (shape.branches - tops) / tops);
    const int branchTotal = tops + tops * subsPerTop;
    const int itemsPerBranch = qMax(1, shape.items / qMax(1, branchTotal));

    QList<QByteArray> nodeLines;
    QList<int> itemKeys;
    int branchKey = 2000001;
    int itemKey = 3000001;
    auto addItems = [&](int parent) {
        for (int i = 0; i < itemsPerBranch; ++i) {
            const int key = itemKey++;
            nodeLines << QByteArray::number(key) + ' ' + QByteArray::number(parent) + " Item "
                             + QByteArray::number(key - 3000000);
            itemKeys << key;
        }
    };
    for (int t = 0; t < tops; ++t) {
        const int top = branchKey++;
        nodeLines << QByteArray::number(top) + " 1000000 Branch " + QByteArray::number(t + 1);
        for (int s = 0; s < subsPerTop; ++s) {
            const int sub = branchKey++;
            nodeLines << QByteArray::number(sub) + ' ' + QByteArray::number(top) + " Topic "
                             + QByteArray::number(s + 1);
            addItems(sub);
        }
        addItems(top);
    }

    put("Quivora Ver. 2.1\r\nCreated: 1/2/26\r\nLastSaved: 1/2/26\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n"
        "1000000 0000000 $\r\n");
    for (const QByteArray &l : nodeLines) {
        put(l);
        put("\r\n");
    }
    put("End\r\nData\r\nEnd\r\n");
    for (int key : itemKeys) {
        put(QByteArray::number(key));
        put("\r\n");
        put(GeneratedItemRtf(key, shape.textBytes));
        put("End\r\n");
    }
}

} // namespace

QByteArray GenerateTreeFile(const GeneratedShape &shape)
{
    QByteArray out;
    out.reserve(qsizetype(shape.items) * (shape.textBytes + 40) + qsizetype(shape.branches + shape.items) * 32);
    emitTreeFile(shape, [&out](QByteArrayView piece) { out += piece; });
    return out;
}

QString GenerateTreeFileAt(const QString &path, const GeneratedShape &shape)
{
    // Made once and kept: a file of the size this shape gives is taken as made.
    qint64 size = 0;
    emitTreeFile(shape, [&size](QByteArrayView piece) { size += piece.size(); });
    if (QFileInfo(path).size() == size)
        return path;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return path;
    QByteArray buffer;
    emitTreeFile(shape, [&](QByteArrayView piece) {
        buffer += piece;
        if (buffer.size() >= (1 << 22)) {
            f.write(buffer);
            buffer.truncate(0);
        }
    });
    f.write(buffer);
    f.commit();
    return path;
}
