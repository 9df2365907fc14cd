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
    QApplication::setApplicationName(ProductName());
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationVersion(VersionString());
    QApplication::setWindowIcon(MakeAppIcon());
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quivora"));
    StartupStamp("application set up");
}

int RunProgram(const StartupConfig &config)
{
    WidgetDialogs ownDialogs;
    if (!AskPassword(config.dialogs ? *config.dialogs : static_cast<Dialogs &>(ownDialogs)))
        return 0;
    TfrmTree window(config);
    StartupStamp("window made");
    if (!window.startedOk())
        return 1;
    window.show();
    return QApplication::exec();
}

void StartupStamp(const char *what)
{
    static const bool on = qEnvironmentVariableIsSet("QUIVORA_STARTUP_TRACE");
    if (!on)
        return;
    using namespace std::chrono;
    const auto ns = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    std::fprintf(stderr, "stamp %lld %s\n", static_cast<long long>(ns), what);
}
