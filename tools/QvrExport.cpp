#include "QvrExport.h"

#include "QvrDocument.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTreeWidget>

namespace {

// Leaves room for a number and the extension within the 255 bytes most file
// systems allow for one name.
constexpr qsizetype MaxBaseBytes = 200;

bool isUnsafe(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7f)
        return true;
    switch (u) {
    case u'/': case u'\\': case u':': case u'*': case u'?':
    case u'"': case u'<': case u'>': case u'|':
        return true;
    default:
        return false;
    }
}

// Windows keeps these for devices, whatever extension follows them.
bool isDeviceName(const QString &name)
{
    QString stem = name.section(QLatin1Char('.'), 0, 0);
    while (stem.endsWith(QLatin1Char(' ')))
        stem.chop(1);
    stem = stem.toUpper();
    if (stem == QLatin1String("CON") || stem == QLatin1String("PRN")
        || stem == QLatin1String("AUX") || stem == QLatin1String("NUL"))
        return true;
    return stem.size() == 4
           && (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT")))
           && stem[3] >= QLatin1Char('1') && stem[3] <= QLatin1Char('9');
}

void dropTrailingDotsAndBlanks(QString &s)
{
    while (!s.isEmpty() && (s.endsWith(QLatin1Char('.')) || s.endsWith(QLatin1Char(' '))))
        s.chop(1);
}

// Cut at a character boundary, never inside a surrogate pair.
QString cutToBytes(const QString &s, qsizetype maxBytes)
{
    if (s.toUtf8().size() <= maxBytes)
        return s;
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype len = (s[i].isHighSurrogate() && i + 1 < s.size()) ? 2 : 1;
        const qsizetype add = QStringView(s).mid(i, len).toUtf8().size();
        if (bytes + add > maxBytes)
            break;
        bytes += add;
        i += len;
    }
    return s.left(i);
}

bool writeFile(const QString &path, const QByteArray &bytes, ExportResult *result)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes) != bytes.size() || !file.flush()) {
        result->failedPath = path;
        result->error = file.errorString();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        result->failedPath = path;
        result->error = file.errorString();
        return false;
    }
    return true;
}

bool makeFolder(const QString &path, ExportResult *result)
{
    if (QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    result->failedPath = path;
    result->error = QFileInfo::exists(path) ? QStringLiteral("a file of that name is in the way")
                                            : QStringLiteral("cannot create the folder");
    return false;
}

} // namespace

QString SafeFileName(const QString &name)
{
    QString s = name;
    for (QChar &c : s) {
        if (isUnsafe(c))
            c = QLatin1Char('_');
    }
    s = cutToBytes(s, MaxBaseBytes);
    dropTrailingDotsAndBlanks(s);
    if (s.isEmpty())
        return QStringLiteral("_");
    if (isDeviceName(s))
        s.prepend(QLatin1Char('_'));
    return s;
}

QString FolderNames::take(const QString &base, const QString &extension)
{
    QString name = base + extension;
    for (int n = 2; m_taken.contains(name.toCaseFolded()); ++n)
        name = base + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + extension;
    m_taken.insert(name.toCaseFolded());
    return name;
}

bool ExportDocument(QvrDocument &document, const QString &dir, TextFormat format,
                    const std::function<void(qsizetype, qsizetype)> &progress,
                    ExportResult *result)
{
    QTreeWidget *tree = &document.tree;
    const QString top = QDir::cleanPath(QDir(dir).absolutePath());
    if (!makeFolder(top, result))
        return false;

    qsizetype total = 0;
    ForEachNode(tree, [&](QTreeWidgetItem *node) {
        total += IsItem(node) ? 1 : 0;
        return true;
    });

    // Where each node's children go, and which names each folder holds.
    QHash<const QTreeWidgetItem *, QString> folderOf;
    QHash<QString, FolderNames> names;
    const QString extension = TextFormatExtension(format);
    qsizetype done = 0;
    bool ok = true;
    ForEachNode(tree, [&](QTreeWidgetItem *node) {
        if (IsRoot(node)) {
            // The root's children go into the export folder itself.
            folderOf.insert(node, top);
            return true;
        }
        const QString parent = node->parent() ? folderOf.value(node->parent(), top) : top;
        FolderNames &taken = names[parent];
        const QString base = SafeFileName(node->text(0));
        if (IsItem(node)) {
            const QString path = parent + QLatin1Char('/') + taken.take(base, extension);
            if (!writeFile(path, ItemTextBytes(document.doc.master, NodeKey(node), format), result)) {
                ok = false;
                return false;
            }
            ++result->items;
            if (progress)
                progress(++done, total);
        }
        // Branches always get their folder, empty or not; an item only when
        // a damaged file hung nodes below it.
        if (!IsItem(node) || node->childCount() > 0) {
            const QString path = parent + QLatin1Char('/') + taken.take(base);
            if (!makeFolder(path, result)) {
                ok = false;
                return false;
            }
            ++result->folders;
            folderOf.insert(node, path);
        }
        return true;
    });
    return ok;
}
