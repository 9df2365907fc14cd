#include "settings/Product.h"
#include "shell/MainWindow.h"
#include "shell/ToolIcons.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    ProductName() = QStringLiteral("Quivora");
    VersionString() = QStringLiteral("2.1");

    QApplication app(argc, argv);
    QApplication::setApplicationName(ProductName());
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationDisplayName(ProductName());
    QApplication::setApplicationVersion(VersionString());
    QApplication::setWindowIcon(MakeAppIcon());

    StartupConfig config;
    config.programFolder = QApplication::applicationDirPath() + QLatin1Char('/');
    config.arguments = QApplication::arguments().mid(1);

    TfrmTree window(config);
    if (!window.startedOk())
        return 1;
    window.show();
    return QApplication::exec();
}
