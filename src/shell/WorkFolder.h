#pragma once
#include <QString>

struct DocState;
struct MasterChoice;

// The work folder: "Data/" in the program's folder when it can be written,
// else "Data/" under the user's application-data folder. Empty when neither
// can be made writable; `error` then says why.
QString ChooseWorkFolder(const QString &programFolder, QString *error);
// True when a file can be created in `folder` (made when missing).
bool FolderIsWritable(const QString &folder);
// Puts the master file back where the running copy works: makes a deleted
// work folder again, takes this copy's lock again and writes the master file
// from memory. False, with the reason, when the work folder cannot be used;
// the document in memory is whole either way.
bool RestoreMasterFile(DocState &doc, MasterChoice &choice, QString *reason);
