#include "shell/RecentFiles.h"

#include "settings/Registry.h"

namespace {
QString valueName(int i)
{
    return QStringLiteral("RecentFile%1").arg(i + 1);
}
} // namespace

QStringList ReadRecentFiles()
{
    QStringList slots;
    for (int i = 0; i < RecentFileSlots; ++i)
        slots << GetRegistryValue(QStringLiteral("Files"), valueName(i), QString());
    return slots;
}

QStringList AddRecentFile(const QString &path, bool *changed)
{
    *changed = false;
    if (path.isEmpty())
        return QStringList(RecentFileSlots, QString());
    const QStringList old = ReadRecentFiles();
    if (old.first() == path)
        return old;
    *changed = true;
    QStringList slots{path};
    for (const QString &entry : old)
        if (!entry.isEmpty() && entry != path && slots.size() < RecentFileSlots)
            slots << entry;
    while (slots.size() < RecentFileSlots)
        slots << QString();
    for (int i = 0; i < RecentFileSlots; ++i)
        SetRegistryValue(QStringLiteral("\\Files"), valueName(i), slots[i]);
    return slots;
}

QString RecentFileCaption(int index, const QString &path)
{
    QString shown = path;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QLatin1Char('&') + QString::number(index + 1) + QLatin1Char(' ') + shown;
}
