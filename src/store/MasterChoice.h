#pragma once
#include <QString>
#include <memory>

class QLockFile;

// This copy's master file and the lock that keeps it ours. Each running copy
// holds a lock beside its own master file, so copies never share one. A copy
// that ends cleanly deletes its master file and then its lock; a copy that
// dies leaves both, and the lock, now stale, marks the file as holding work.
struct MasterChoice
{
    QString path;                    // empty when every name is taken
    std::shared_ptr<QLockFile> lock; // held for the life of the copy
};

// The names a master file may have: "Master", then "Master1" to "Master100".
QString MasterFileName(int number);
constexpr int MasterFileNumbers = 101;

// Chooses this copy's master file in the work folder by taking its lock. A
// name whose lock a live copy holds is skipped; free names come first, then
// files left without a lock, and last the files of copies that died.
MasterChoice ChooseMasterFile(const QString &workFolder);
// Deletes the master files that have no lock at all and no record of their
// document: left by copies that ended cleanly, so they hold no work. A file whose lock is held (its copy
// runs) or stale (its copy died with the work in it) is never touched.
void DeleteMasterFiles(const QString &workFolder);
// Makes sure this copy still holds its master file's lock, taking it again
// when its lock file went with a deleted work folder. When another copy has
// taken the name meanwhile, another name is chosen (`choice.path` changes).
// False when no name can be had.
bool HoldMasterLock(MasterChoice &choice, const QString &workFolder);
// Deletes this copy's master file and gives up its lock, for a copy that
// ends cleanly. Both are left alone when another copy has taken the name
// meanwhile (this copy's work folder was deleted and made again).
void ReleaseMasterFile(MasterChoice &choice);
// Keeps this copy's master file, journal and record for the next start,
// for a copy told to end with unsaved changes: its lock is never given up,
// so it is stale once the copy has ended.
void KeepMasterFile(MasterChoice &choice);
