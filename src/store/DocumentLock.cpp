#include "store/DocumentLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace {

QString userLockPath(const QString &path)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash((canonical.isEmpty() ? path : canonical).toUtf8(),
                                                     QCryptographicHash::Sha1).toHex();
    return QDir(folder).filePath(QStringLiteral("quivora-document-") + QString::fromLatin1(hash) + QStringLiteral(".lock"));
}

QString besideLockPath(const QString &path)
{
    const QFileInfo info(QFileInfo(path).canonicalFilePath().isEmpty() ? path : QFileInfo(path).canonicalFilePath());
    return info.dir().filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".lock"));
}

std::unique_ptr<QLockFile> tryTake(const QString &lockPath)
{
    auto lock = std::make_unique<QLockFile>(lockPath);
    lock->setStaleLockTime(0); // only a dead owner makes it stale
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

// Refused for a lock a live copy holds; a folder that takes no lock file refuses nothing.
bool heldAt(const QString &lockPath)
{
    if (!QFileInfo::exists(lockPath))
        return false;
    return !tryTake(lockPath);
}

} // namespace

DocumentLock::DocumentLock() = default;
DocumentLock::~DocumentLock() = default;

bool DocumentLock::HeldElsewhere(const QString &path)
{
    return heldAt(userLockPath(path)) || heldAt(besideLockPath(path));
}

void DocumentLock::take(const QString &path)
{
    release();
    m_user = tryTake(userLockPath(path));
    m_beside = tryTake(besideLockPath(path));
}

void DocumentLock::release()
{
    m_user.reset();
    m_beside.reset();
}
