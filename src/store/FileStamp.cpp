#include "store/FileStamp.h"

#include "store/MasterFile.h"

#include <QFile>
#include <QHash>

#include <sys/stat.h>

namespace {

// Hashes whatever pieces the bytes come in as the same fixed blocks, so
// the content in memory and the file read back hash alike.
class BlockHasher
{
public:
    void add(QByteArrayView bytes)
    {
        while (!bytes.isEmpty()) {
            const qsizetype take = qMin(bytes.size(), BlockSize - m_block.size());
            m_block.append(bytes.first(take));
            bytes = bytes.sliced(take);
            if (m_block.size() == BlockSize)
                flush();
        }
    }
    quint64 result()
    {
        flush();
        return m_hash;
    }

private:
    static constexpr qsizetype BlockSize = 1 << 20;
    void flush()
    {
        m_hash = m_hash * 1099511628211ULL ^ qHash(QByteArrayView(m_block), 0x51a7e);
        m_block.clear();
    }
    QByteArray m_block;
    quint64 m_hash = 14695981039346656037ULL;
};

bool statOf(const QString &path, FileStamp &stamp)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    stamp.size = st.st_size;
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.inode = st.st_ino;
    return true;
}

} // namespace

FileStamp FileStamp::of(const QString &path, const MasterFile &content)
{
    FileStamp stamp;
    if (!statOf(path, stamp))
        return {};
    BlockHasher hasher;
    qint64 bytes = 0;
    content.visitChunks([&](QByteArrayView chunk) {
        hasher.add(chunk);
        bytes += chunk.size();
    });
    // Memory that differs from the file (an older layout converted on
    // opening) cannot stand for it: the file itself is read.
    if (bytes != stamp.size)
        return read(path);
    stamp.hash = hasher.result();
    return stamp;
}

FileStamp FileStamp::read(const QString &path)
{
    FileStamp stamp;
    QFile f(path);
    if (!statOf(path, stamp) || !f.open(QIODevice::ReadOnly))
        return {};
    BlockHasher hasher;
    while (!f.atEnd())
        hasher.add(f.read(1 << 20));
    stamp.hash = hasher.result();
    return stamp;
}

bool FileStamp::changedOnDisk(const QString &path)
{
    FileStamp now;
    if (!known() || !statOf(path, now))
        return known() && QFile::exists(path); // a file gone is nothing to reload or to overwrite
    if (now.size == size && now.mtimeNs == mtimeNs && now.inode == inode)
        return false;
    // What cannot be read (a folder now, no permission) is no one's work to
    // keep: the save says why it fails.
    const FileStamp disk = read(path);
    if (!disk.known())
        return false;
    if (disk.hash != hash || disk.size != size)
        return true;
    *this = disk;
    return false;
}

void FileStamp::acknowledge(const QString &path)
{
    const quint64 kept = hash;
    statOf(path, *this);
    hash = kept;
}
