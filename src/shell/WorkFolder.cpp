#include "shell/WorkFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

bool FolderIsWritable(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    // Permissions alone do not tell (a read-only mount, root): try it.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("probe-XXXXXX")));
    return probe.open();
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
