#include "QvrExport.h"

#include "QvrDocument.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

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

// Why the last call of the system failed, in its own words.
QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool fail(ExportResult *result, const QString &path, const QString &why)
{
    result->failedPath = path;
    result->error = why;
    return false;
}

// What stands at `path`, without following a link there.
enum class Entry { None, File, Folder, Link, Unknown };

Entry entryAt(const QString &path, struct stat *st, int *error)
{
    if (::lstat(QFile::encodeName(path).constData(), st) != 0) {
        *error = errno;
        return errno == ENOENT ? Entry::None : Entry::Unknown;
    }
    if (S_ISLNK(st->st_mode))
        return Entry::Link;
    return S_ISDIR(st->st_mode) ? Entry::Folder : Entry::File;
}

const QString LinkInTheWay = QStringLiteral("a symbolic link is in the way");

// Writes a whole file in place of the one at `path` (never through a link
// standing there: that is refused, as the link may lead anywhere).
bool writeFile(const QString &path, const QByteArray &bytes, ExportResult *result)
{
    struct stat st;
    int error = 0;
    switch (entryAt(path, &st, &error)) {
    case Entry::Link: return fail(result, path, LinkInTheWay);
    case Entry::Folder: return fail(result, path, QStringLiteral("a folder of that name is in the way"));
    case Entry::Unknown: return fail(result, path, systemReason(error));
    case Entry::None:
    case Entry::File: break;
    }
    QSaveFile file(path);
    // A write the disk cuts short (a full disk, a size limit) returns a short
    // count with no reason of Qt's own, and through a buffer commit() would
    // let it pass: unbuffered, the count is seen and the system's reason taken.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        const int cause = errno;
        const QString qtReason = file.errorString();
        file.cancelWriting();
        return fail(result, path,
                    cause != 0 && (qtReason.isEmpty() || qtReason == QLatin1String("Unknown error"))
                        ? systemReason(cause)
                        : qtReason);
    }
    return true;
}

// Makes one folder inside an existing one; a folder already there is used,
// a link standing there is not followed.
bool makeFolder(const QString &path, ExportResult *result)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    const int cause = errno;
    if (cause != EEXIST)
        return fail(result, path, systemReason(cause));
    struct stat st;
    int error = 0;
    switch (entryAt(path, &st, &error)) {
    case Entry::Folder: return true;
    case Entry::Link: return fail(result, path, LinkInTheWay);
    case Entry::Unknown: return fail(result, path, systemReason(error));
    default: return fail(result, path, QStringLiteral("a file of that name is in the way"));
    }
}

// The export folder the user named, with any folders it needs above it.
bool makeTopFolder(const QString &path, ExportResult *result)
{
    if (QFileInfo(path).isDir())
        return true;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return fail(result, path, QStringLiteral("a file of that name is in the way"));
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdU16String()), error);
    if (error)
        return fail(result, path, QString::fromLocal8Bit(error.message().c_str()));
    return true;
}

// The identity of the tree file, which an export never writes even when it
// lies in the folder written to.
struct FileId
{
    dev_t dev = 0;
    ino_t ino = 0;
    bool valid = false;
    bool is(const struct stat &st) const { return valid && st.st_dev == dev && st.st_ino == ino; }
};

FileId fileIdOf(const QString &path)
{
    struct stat st;
    FileId id;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        id = {st.st_dev, st.st_ino, true};
    return id;
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
    // A leading dot would hide the file from most listings.
    if (isDeviceName(s) || s.startsWith(QLatin1Char('.')))
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
    if (!makeTopFolder(top, result))
        return false;
    const FileId source = fileIdOf(document.doc.documentPath);

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
            QString path = parent + QLatin1Char('/') + taken.take(base, extension);
            // The tree file's own name is taken: the item gets the next number.
            for (struct stat st; source.valid && ::lstat(QFile::encodeName(path).constData(), &st) == 0
                                 && source.is(st);)
                path = parent + QLatin1Char('/') + taken.take(base, extension);
            // An item whose PDF cannot be made gets no file; one already there stays.
            QString why;
            const QByteArray bytes = ItemTextBytes(document.doc.master, NodeKey(node), format, &why);
            if (!(why.isEmpty() ? writeFile(path, bytes, result) : fail(result, path, why))) {
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
