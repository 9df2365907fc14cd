#include "store/Journal.h"

#include "store/MasterFile.h"
#include "store/TreeFormat.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// What names one version of the master file: an atomic write makes a new inode.
QByteArray stampOf(const QString &masterPath)
{
    struct stat st {};
    if (::stat(QFile::encodeName(masterPath).constData(), &st) != 0)
        return {};
    return "Journal " + QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_size))
           + ' ' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.'
           + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

QString JournalPath(const QString &masterPath)
{
    return masterPath + QStringLiteral(".journal");
}

bool AppendJournal(const QString &masterPath, int key, const QByteArray &text, QString *error)
{
    const QByteArray stamp = stampOf(masterPath);
    QFile f(JournalPath(masterPath));
    // Only the first line is needed to tell whether the journal still fits.
    QByteArray first;
    if (f.open(QIODevice::ReadOnly)) {
        first = f.readLine().trimmed();
        f.close();
    }
    const bool fresh = stamp.isEmpty() || first != stamp;
    // Unbuffered: what failed to reach the disk must not be written later on.
    if (!f.open((fresh ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::WriteOnly | QIODevice::Append)
                | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    QByteArray record;
    if (fresh)
        record = stamp + "\r\n";
    record += QByteArray::number(key) + "\r\n" + text;
    if (!text.isEmpty() && !text.endsWith('\n'))
        record += "\r\n";
    record += QByteArray(EndLine) + "\r\n";
    const qint64 before = f.size();
    if (f.write(record) != record.size() || !f.flush() || ::fdatasync(f.handle()) != 0) {
        if (error)
            *error = f.errorString();
        // Half a record would swallow the next one appended after it.
        (void)::ftruncate(f.handle(), before);
        return false;
    }
    return true;
}

bool ReplayJournal(MasterFile &master)
{
    const QByteArray bytes = readAll(JournalPath(master.path()));
    const QList<QByteArray> lines = SplitLines(bytes);
    if (lines.isEmpty() || lines.first() != stampOf(master.path()))
        return false;
    bool applied = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        bool ok = false;
        const int key = lines[i].toInt(&ok);
        qsizetype end = i + 1;
        while (end < lines.size() && lines[end] != EndLine)
            ++end;
        if (!ok || !IsItemKey(key) || end == lines.size())
            break; // a record the end of the program cut short
        master.removeBlock(key);
        master.appendBlock(key, JoinLines(lines.mid(i + 1, end - i - 1)));
        applied = true;
        i = end;
    }
    return applied;
}

void EmptyJournal(const QString &masterPath)
{
    QFile::remove(JournalPath(masterPath));
}
