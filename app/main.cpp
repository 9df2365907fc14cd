#include "settings/Product.h"
#include "settings/ProgramOptions.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    StartupStamp("main");
    ProductName() = QStringLiteral("Quivora");
    VersionString() = QStringLiteral("2.1");
    // Before the application object: no display needed, no password asked.
    if (const int code = AnswerProgramOption(argc, argv, "quivora", QuivoraUsage); code >= 0)
        return code;

    QApplication app(argc, argv);
    SetUpApplication();

    StartupConfig config;
    config.programFolder = QApplication::applicationDirPath() + QLatin1Char('/');
    config.arguments = QApplication::arguments().mid(1);
    return RunProgram(config);
}
