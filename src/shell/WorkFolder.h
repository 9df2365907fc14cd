#pragma once
#include <QString>

// The work folder: "Data/" in the program's folder when it can be written,
// else "Data/" under the user's application-data folder. Empty when neither
// can be made writable; `error` then says why.
QString ChooseWorkFolder(const QString &programFolder, QString *error);
// True when a file can be created in `folder` (made when missing).
bool FolderIsWritable(const QString &folder);
