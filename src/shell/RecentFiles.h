#pragma once
#include <QStringList>

// The four most recently used files, most recent first, kept in the
// settings key "Files" as "RecentFile1" to "RecentFile4".
constexpr int RecentFileSlots = 4;

// Always four entries; an empty one is an empty slot.
QStringList ReadRecentFiles();
// Puts `path` first. `changed` tells whether the list changed (and was written).
QStringList AddRecentFile(const QString &path, bool *changed);
// The caption of the menu entry for slot `index` (0-based): "&1 " and the
// path, with any "&" in the path doubled so it shows as itself.
QString RecentFileCaption(int index, const QString &path);
