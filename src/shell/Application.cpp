#include "shell/Application.h"

#include "settings/Product.h"
#include "settings/Password.h"
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/ToolIcons.h"

#include <QApplication>
#include <chrono>
#include <cstdio>

void SetUpApplication()
{
    StartupStamp("app object");
    QApplication::setApplicationName(ProductName());
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationVersion(VersionString());
    QApplication::setWindowIcon(MakeAppIcon());
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quivora"));
    StartupStamp("set up");
}

int RunProgram(const StartupConfig &config)
{
    WidgetDialogs ownDialogs;
    if (!AskPassword(config.dialogs ? *config.dialogs : static_cast<Dialogs &>(ownDialogs)))
        return 0;
    StartupStamp("password");
    TfrmTree window(config);
    StartupStamp("window made");
    if (!window.startedOk())
        return 1;
    window.show();
    StartupStamp("shown");
    return QApplication::exec();
}

void StartupStamp(const char *what)
{
    static const bool on = qEnvironmentVariableIsSet("QUIVORA_STARTUP_TRACE");
    if (on)
        std::fprintf(stderr, "stamp %lld %s\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch()).count()), what);
}
