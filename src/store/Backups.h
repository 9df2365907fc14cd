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

// Save keeps the backups of `realPath` (links already resolved) in two steps,
// so that a save that fails drops none of them. Before it: a second name
// beside the file for its current bytes (a copy where links are refused),
// and the older layout's file kept once.
BackupResult HoldPreviousVersion(const QString &realPath, int count);
// After the save has replaced the file: .1 shifts to .2 and so on, what falls
// beyond `count` is dropped, and the held version becomes .1.
BackupResult KeepBackups(const QString &realPath, int count);
// After a save that failed: the held version goes, the backups stay as they were.
void DropPreviousVersion(const QString &realPath);
