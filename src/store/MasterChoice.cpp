#include "store/MasterChoice.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

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

} // namespace

MasterChoice ChooseMasterFile(const QString &workFolder)
{
    const QDir dir(workFolder);
    // Names with no file first: a file left by a copy that died may hold
    // work that can still be recovered, so it is reused only when needed.
    for (bool reuse : {false, true}) {
        for (int n = 0; n < MasterFileNumbers; ++n) {
            const QString path = dir.filePath(MasterFileName(n));
            if (QFile::exists(path) != reuse)
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
        if (!QFile::exists(path))
            continue;
        if (auto lock = takeLock(path)) {
            QFile::remove(path);
            lock->unlock();
        }
    }
}

bool OtherCopiesRunning(const QString &workFolder, const QString &ownMaster)
{
    const QDir dir(workFolder);
    for (int n = 0; n < MasterFileNumbers; ++n) {
        const QString path = dir.filePath(MasterFileName(n));
        if (QDir::cleanPath(path) == QDir::cleanPath(ownMaster))
            continue;
        if (!QFile::exists(lockPath(path)))
            continue;
        if (auto lock = takeLock(path))
            lock->unlock();
        else
            return true;
    }
    return false;
}
