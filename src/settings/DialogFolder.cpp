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
    // A dialog opened on a folder that does not exist offers its name as the
    // file name, so without a Documents folder it starts at home.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

void RememberDialogFolder(const QString &chosenPath)
{
    settings::WriteText(Setting::LastFolder, QFileInfo(chosenPath).absolutePath());
}
