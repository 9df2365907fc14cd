#include "settings/Product.h"

QString &ProductName()
{
    static QString name = QStringLiteral("Quivora");
    return name;
}

QString &VersionString()
{
    static QString version = QStringLiteral("2.1");
    return version;
}
