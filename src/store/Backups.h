#pragma once
#include <QString>

// Previous versions of a document, kept beside it before Save replaces it:
// NAME.qvr.1 (newest) to NAME.qvr.N, and once NAME.qvr.old-layout for a file
// of the older layout, which the save rewrites in the current one.
struct BackupResult
{
    QString problem; // why a backup could not be kept; empty when all went well
};

// The number of backups from the setting's text: 0 to 9, anything else 3.
int BackupCount(const QString &setting);
// Keeps the backups of `realPath` (links already resolved): shifts .1 to .2
// and so on, drops what falls beyond `count`, and links the file as .1 (a
// copy where links are refused). The file itself is left as it is.
BackupResult KeepBackups(const QString &realPath, int count);
