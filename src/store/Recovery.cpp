#include "store/Recovery.h"

#include "store/Journal.h"
#include "store/MasterChoice.h"
#include "store/MasterFile.h"
#include "store/TreeFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

QString OwnerPath(const QString &masterPath)
{
    return masterPath + QStringLiteral(".owner");
}

void WriteOwner(const QString &masterPath, const QString &document, const QString &title)
{
    QFile f(OwnerPath(masterPath));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write((document + QLatin1Char('\n') + title + QLatin1Char('\n')).toUtf8());
}

namespace {

// A new document holds nothing until it differs from the template in more
// than the dates it was begun on.
bool isUntouchedTemplate(const QList<QByteArray> &lines)
{
    const QList<QByteArray> blank = NewFileTemplateLines();
    if (lines.size() != blank.size())
        return false;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (i != 1 && i != 2 && lines[i] != blank[i])
            return false;
    return true;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

QByteArray LeftWorkContent(const LeftWork &work)
{
    MasterFile content(work.master);
    if (!content.load())
        return {};
    ReplayJournal(content);
    return content.toBytes();
}

QList<LeftWork> FindLeftWork(const QString &workFolder, const QString &ownMaster)
{
    QList<LeftWork> found;
    const QDir dir(workFolder);
    for (int n = 0; n < MasterFileNumbers; ++n) {
        LeftWork work;
        work.master = dir.filePath(MasterFileName(n));
        const bool locked = QFile::exists(work.master + QStringLiteral(".lock"));
        if (work.master == ownMaster || !QFile::exists(work.master)
            || (!locked && !QFile::exists(OwnerPath(work.master))))
            continue;
        // Taking the lock tells a live copy (refused) from a dead one.
        work.lock = std::make_shared<QLockFile>(work.master + QStringLiteral(".lock"));
        work.lock->setStaleLockTime(0);
        if (!work.lock->tryLock(0))
            continue;
        const QList<QByteArray> owner = SplitLines(readAll(OwnerPath(work.master)));
        work.document = QString::fromUtf8(owner.value(0));
        work.title = owner.size() > 1 ? QString::fromUtf8(owner[1]) : QStringLiteral("New File");
        work.changed = QFileInfo(work.master).lastModified();
        const QFileInfo journal(JournalPath(work.master));
        if (journal.exists() && journal.lastModified() > work.changed)
            work.changed = journal.lastModified();
        const QByteArray content = LeftWorkContent(work);
        const bool nothingLeft = work.document.isEmpty()
                                     ? isUntouchedTemplate(SplitLines(content))
                                     : QFile::exists(work.document) && readAll(work.document) == content;
        if (nothingLeft)
            DeleteLeftWork(work);
        else
            found.append(work);
    }
    return found;
}

void DeleteLeftWork(LeftWork &work)
{
    QFile::remove(work.master);
    EmptyJournal(work.master);
    QFile::remove(OwnerPath(work.master));
    if (work.lock)
        work.lock->unlock();
    work.lock.reset();
}

void KeepLeftWork(LeftWork &work)
{
    // Without a lock, the record keeps the file from the clean-up at close
    // and from a new copy's choice of name.
    if (!QFile::exists(OwnerPath(work.master)))
        WriteOwner(work.master, work.document, work.title);
    if (work.lock)
        work.lock->unlock();
    work.lock.reset();
}
