#include "settings/DialogFolder.h"

#include "settings/SettingsTable.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using settings::Setting;

QString DialogStartFolder(const QString &documentPath)
{
    if (!documentPath.isEmpty()) {
        const QFileInfo document(documentPath);
        if (document.absoluteDir().exists())
            return document.absolutePath();
    }
    const QString last = settings::ReadText(Setting::LastFolder);
    if (!last.isEmpty() && QDir(last).exists())
        return last;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void RememberDialogFolder(const QString &chosenPath)
{
    settings::WriteText(Setting::LastFolder, QFileInfo(chosenPath).absolutePath());
}
