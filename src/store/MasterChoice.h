#pragma once
#include <QString>
#include <memory>

class QLockFile;

// This copy's master file and the lock that keeps it ours. Each running copy
// holds a lock beside its own master file, so copies never share one.
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
// names left behind by a copy that ended without cleaning up.
MasterChoice ChooseMasterFile(const QString &workFolder);
// Deletes the master files of the whole range that no running copy holds.
void DeleteMasterFiles(const QString &workFolder);
// True when another running copy holds a master file of this work folder.
bool OtherCopiesRunning(const QString &workFolder, const QString &ownMaster);
