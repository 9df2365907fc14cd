#include "store/Backups.h"

#include "store/Conversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A second name for the file's current bytes: Save writes a new file and
// renames it over the old one, so the link keeps the old version.
bool keepAs(const QString &file, const QString &backup, QString *problem)
{
    if (::link(native(file).constData(), native(backup).constData()) == 0)
        return true;
    // File systems without links take a copy.
    if ((errno == EPERM || errno == EXDEV || errno == EMLINK || errno == ENOTSUP) && QFile::copy(file, backup))
        return true;
    *problem = lastError();
    return false;
}

bool isOldLayout(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines;
    for (int i = 0; i < 2 && !f.atEnd(); ++i)
        lines << f.readLine().trimmed();
    return IsOldFormat(lines);
}

// Hidden, so that a save cut short by the end of the program leaves nothing
// in sight; the next save replaces it.
QString heldPath(const QString &realPath)
{
    const QFileInfo file(realPath);
    return file.dir().filePath(QLatin1Char('.') + file.fileName() + QStringLiteral(".previous"));
}

} // namespace

int BackupCount(const QString &setting)
{
    bool ok = false;
    const int n = setting.trimmed().toInt(&ok);
    return ok && n >= 0 && n <= 9 ? n : 3;
}

BackupResult HoldPreviousVersion(const QString &realPath, int count)
{
    BackupResult result;
    // The file as the older program wrote it, kept once, backups or not.
    const QString oldLayout = realPath + QStringLiteral(".old-layout");
    if (!QFile::exists(oldLayout) && isOldLayout(realPath))
        keepAs(realPath, oldLayout, &result.problem);
    if (count <= 0)
        return result;
    const QString held = heldPath(realPath);
    QFile::remove(held);
    keepAs(realPath, held, &result.problem);
    return result;
}

BackupResult KeepBackups(const QString &realPath, int count)
{
    BackupResult result;
    const QString held = heldPath(realPath);
    if (count <= 0 || !QFile::exists(held))
        return result;
    const auto numbered = [&realPath](int n) -> QString { return realPath + QLatin1Char('.') + QString::number(n); };
    for (int n = count - 1; n >= 1; --n) {
        if (QFile::exists(numbered(n))
            && std::rename(native(numbered(n)).constData(), native(numbered(n + 1)).constData()) != 0) {
            result.problem = lastError();
            QFile::remove(held);
            return result;
        }
    }
    if (std::rename(native(held).constData(), native(numbered(1)).constData()) != 0) {
        result.problem = lastError();
        QFile::remove(held);
    }
    return result;
}

void DropPreviousVersion(const QString &realPath)
{
    QFile::remove(heldPath(realPath));
}
