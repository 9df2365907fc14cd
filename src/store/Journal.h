#pragma once
#include <QByteArray>
#include <QString>

class MasterFile;

// Item text stored while the user pauses in typing. Rewriting a big master
// file at every pause would hold the window up, so the text goes to a small
// journal beside it instead: a first line naming the master file it builds
// on (inode, size, modification time), then one item text block per pause.
// The next write of the master file takes the text in and empties it.
QString JournalPath(const QString &masterPath);

// Appends the item's block and flushes it to the disk. A journal built on an
// earlier master file is started afresh.
bool AppendJournal(const QString &masterPath, int key, const QByteArray &text, QString *error = nullptr);

// Applies the journal to `master` (read from the same master file); a
// journal built on another master file, or a record cut short, applies
// nothing. Answers whether anything was applied.
bool ReplayJournal(MasterFile &master);

// The master file has been written whole: its journal is done with.
void EmptyJournal(const QString &masterPath);
