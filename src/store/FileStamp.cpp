#include "store/FileStamp.h"

#include "store/MasterFile.h"

#include <QFile>
#include <QtEndian>

#include <sys/stat.h>

namespace {

// Hashes the bytes as one stream of 8-byte words, whatever pieces they come
// in, so the content in memory and the file read back hash alike. Each step
// is reversible for a given word, so a file differing from the content in
// one word never hashes alike; it runs at memory speed, which a save of a
// big document notices.
class BlockHasher
{
public:
    void add(QByteArrayView bytes)
    {
        const char *p = bytes.data();
        const char *const end = p + bytes.size();
        m_length += quint64(bytes.size());
        while (m_fill != 0 && p < end)
            takeByte(uchar(*p++)); // the word the last piece began
        for (; end - p >= 8; p += 8)
            mix(qFromLittleEndian<quint64>(p));
        while (p < end)
            takeByte(uchar(*p++));
    }
    quint64 result()
    {
        quint64 h = m_hash ^ m_word ^ (m_length * 0xff51afd7ed558ccdULL);
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        h ^= h >> 33;
        return h;
    }

private:
    void takeByte(uchar byte)
    {
        m_word |= quint64(byte) << (8 * m_fill);
        if (++m_fill == 8) {
            mix(m_word);
            m_word = 0;
            m_fill = 0;
        }
    }
    void mix(quint64 word)
    {
        m_hash = (m_hash ^ word) * 0x9e3779b97f4a7c15ULL;
        m_hash ^= m_hash >> 29;
    }
    quint64 m_hash = 14695981039346656037ULL;
    quint64 m_word = 0;
    int m_fill = 0;
    quint64 m_length = 0;
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
    if (now.sameStat(*this))
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
