#include "shell/WorkFolder.h"

#include "store/DocState.h"
#include "store/MasterChoice.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Permissions alone do not tell (a read-only mount, root): try it.
bool canCreateIn(const QString &folder, QString *reason)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("probe-XXXXXX")));
    if (probe.open())
        return true;
    if (reason)
        *reason = probe.errorString();
    return false;
}

} // namespace

bool FolderIsWritable(const QString &folder)
{
    return QDir().mkpath(folder) && canCreateIn(folder, nullptr);
}

QString ChooseWorkFolder(const QString &programFolder, QString *error)
{
    const QString beside = QDir(programFolder).filePath(QStringLiteral("Data")) + QLatin1Char('/');
    if (FolderIsWritable(beside))
        return beside;
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString fallback = QDir(appData).filePath(QStringLiteral("Data")) + QLatin1Char('/');
    if (!appData.isEmpty() && FolderIsWritable(fallback))
        return fallback;
    if (error)
        *error = QStringLiteral("Neither %1 nor %2 can be created or written.")
                     .arg(QDir::toNativeSeparators(beside), QDir::toNativeSeparators(fallback));
    return {};
}

bool RestoreMasterFile(DocState &doc, MasterChoice &choice, QString *reason)
{
    QDir().mkpath(doc.workFolder);
    if (!canCreateIn(doc.workFolder, reason))
        return false;
    // The lock comes back before the file, so that a copy starting meanwhile
    // cannot take the name of a file that is about to hold this copy's work.
    if (!HoldMasterLock(choice, doc.workFolder)) {
        if (reason)
            *reason = QStringLiteral("every work file name is in use");
        return false;
    }
    doc.master.setPath(choice.path);
    return doc.master.existsOnDisk() || doc.master.save(reason);
}
