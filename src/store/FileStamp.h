#pragma once
#include <QByteArrayView>
#include <QString>

class MasterFile;

// What the program knows of the user's file as it was opened or last saved:
// size, modification time, inode and a hash of its bytes. Stat alone
// answers while nothing moved; the file is read and hashed only when one of
// them differs, so a touch or a copy of the same bytes is no change.
struct FileStamp
{
    qint64 size = -1;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    quint64 hash = 0;

    bool known() const { return size >= 0; }
    // Whether both stamps saw the file with the same size, time and inode.
    bool sameStat(const FileStamp &other) const
    {
        return size == other.size && mtimeNs == other.mtimeNs && inode == other.inode;
    }
    // The stamp of `path` with the hash of `content`, its bytes as held in
    // memory (the file is read when their sizes differ).
    static FileStamp of(const QString &path, const MasterFile &content);
    // The stamp of `path`, its bytes read and hashed.
    static FileStamp read(const QString &path);
    // Whether the file at `path` holds other bytes than the stamp's. A file
    // whose stat differs but whose bytes do not gets its stat taken over.
    bool changedOnDisk(const QString &path);
    // Takes over the file's present stat, keeping the hash: the user has
    // heard of the change and chose to keep the document as it is.
    void acknowledge(const QString &path);
};
