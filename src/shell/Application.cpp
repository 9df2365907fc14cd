#include "shell/Application.h"

#include "settings/Product.h"
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
