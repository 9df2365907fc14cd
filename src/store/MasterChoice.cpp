#include "store/MasterChoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>

QString MasterFileName(int number)
{
    return number == 0 ? QStringLiteral("Master") : QStringLiteral("Master%1").arg(number);
}

namespace {

QString lockPath(const QString &master)
{
    return master + QStringLiteral(".lock");
}

std::shared_ptr<QLockFile> takeLock(const QString &master)
{
    auto lock = std::make_shared<QLockFile>(lockPath(master));
    lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (!lock->tryLock(0))
        return {};
    return lock;
}

// Whether the lock file beside the master file is the one this copy made.
bool ownsLock(const MasterChoice &choice)
{
    qint64 pid = 0;
    QString host, app;
    return choice.lock && choice.lock->isLocked() && choice.lock->getLockInfo(&pid, &host, &app)
           && pid == QCoreApplication::applicationPid() && host == QSysInfo::machineHostName();
}

// The lock file at this copy's name was made by another copy, which took the
// name after this copy's work folder was deleted.
bool takenByAnother(const MasterChoice &choice)
{
    return choice.lock && choice.lock->isLocked() && QFile::exists(lockPath(choice.path))
           && !ownsLock(choice);
}

// Unlocking removes the file at the lock's name, which is another copy's
// now: the lock object is kept, unreleased, for the rest of the run.
void keepUnreleased(MasterChoice &choice)
{
    new std::shared_ptr<QLockFile>(std::move(choice.lock));
}

} // namespace

MasterChoice ChooseMasterFile(const QString &workFolder)
{
    const QDir dir(workFolder);
    // Names with no file first, then files without a lock, whose copies
    // ended cleanly; a file whose copy died may hold work that can still be
    // recovered, so it is reused only when nothing else is left.
    enum Kind { Free, Unlocked, Dead };
    for (Kind pass : {Free, Unlocked, Dead}) {
        for (int n = 0; n < MasterFileNumbers; ++n) {
            const QString path = dir.filePath(MasterFileName(n));
            // A record of its document without a lock: work a copy kept
            // when it was told to end, for the next start to offer.
            const Kind kind = !QFile::exists(path) ? Free
                              : !QFile::exists(lockPath(path)) && !QFile::exists(path + QStringLiteral(".owner"))
                                  ? Unlocked
                                  : Dead;
            if (kind != pass)
                continue;
            if (auto lock = takeLock(path))
                return {path, lock};
        }
    }
    return {};
}

void DeleteMasterFiles(const QString &workFolder)
{
    const QDir dir(workFolder);
    for (int n = 0; n < MasterFileNumbers; ++n) {
        const QString path = dir.filePath(MasterFileName(n));
        if (!QFile::exists(path) || QFile::exists(lockPath(path))
            || QFile::exists(path + QStringLiteral(".owner")))
            continue;
        // Held while deleting, so that a copy choosing this name just now keeps it.
        if (auto lock = takeLock(path)) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral(".journal"));
            lock->unlock();
        }
    }
}

bool HoldMasterLock(MasterChoice &choice, const QString &workFolder)
{
    if (ownsLock(choice))
        return true;
    if (takenByAnother(choice))
        keepUnreleased(choice);
    choice.lock.reset(); // its file went with the folder: unlocking removes nothing
    if (!choice.path.isEmpty()) {
        if (auto lock = takeLock(choice.path)) {
            choice.lock = lock;
            return true;
        }
    }
    MasterChoice other = ChooseMasterFile(workFolder);
    if (other.path.isEmpty())
        return false;
    choice = other;
    return true;
}

void ReleaseMasterFile(MasterChoice &choice)
{
    if (takenByAnother(choice)) {
        keepUnreleased(choice);
        return;
    }
    QFile::remove(choice.path);
    QFile::remove(choice.path + QStringLiteral(".journal"));
    QFile::remove(choice.path + QStringLiteral(".owner"));
    choice.lock.reset();
}

void KeepMasterFile(MasterChoice &choice)
{
    keepUnreleased(choice);
}
