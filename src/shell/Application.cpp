#include "shell/Application.h"

#include "settings/Product.h"
#include "settings/Password.h"
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/ToolIcons.h"

#include <QApplication>

void SetUpApplication()
{
    QApplication::setApplicationName(ProductName());
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationVersion(VersionString());
    QApplication::setWindowIcon(MakeAppIcon());
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quivora"));
}

int RunProgram(const StartupConfig &config)
{
    WidgetDialogs ownDialogs;
    if (!AskPassword(config.dialogs ? *config.dialogs : static_cast<Dialogs &>(ownDialogs)))
        return 0;
    TfrmTree window(config);
    if (!window.startedOk())
        return 1;
    window.show();
    return QApplication::exec();
}
