#include "store/MasterFile.h"

#include "store/Cp1252.h"
#include "store/TreeFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One line of the bytes read: its content and whether it ended in CR LF.
struct LineCursor
{
    const char *base;
    const char *p;
    const char *end;
    bool noLoneCr = false; // every CR is followed by LF: lines end at LF alone

    bool next(QByteArrayView *line, bool *crlf)
    {
        if (p >= end)
            return false;
        const char *s = p;
        if (noLoneCr) {
            // The common case, searched a word at a time.
            const auto *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *stop = nl ? nl : end;
            *crlf = nl && stop > s && stop[-1] == '\r';
            *line = QByteArrayView(s, (*crlf ? stop - 1 : stop) - s);
            p = nl ? nl + 1 : end;
            return true;
        }
        while (p < end && *p != '\r' && *p != '\n')
            ++p;
        *line = QByteArrayView(s, p - s);
        *crlf = false;
        if (p < end) {
            if (*p == '\r' && p + 1 < end && p[1] == '\n') {
                p += 2;
                *crlf = true;
            } else {
                ++p;
            }
        }
        return true;
    }
};

bool hasLoneCr(const char *p, const char *end)
{
#ifdef __SSE2__
    // Sixteen bytes at a time: a search stopping at every line's CR would
    // cost as much as reading the lines.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 17; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        if (_mm_movemask_epi8(_mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr))))
            return true;
    }
#endif
    while ((p = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p))))) {
        if (p + 1 >= end || p[1] != '\n')
            return true;
        p += 2;
    }
    return false;
}

// Shared by every master file, so that no two versions of a text share a stamp.
std::atomic<quint64> lastStamp{0};

quint64 newStamp()
{
    return ++lastStamp;
}

bool equalsEnd(QByteArrayView line)
{
    return line == QByteArrayView(EndLine);
}

// The lines from `start` to `end` as stored: a view into the bytes read when
// every line already ends CR LF, else a copy with CR LF line ends.
QByteArray storedLines(const char *start, const char *end, bool allCrLf)
{
    if (allCrLf)
        return QByteArray::fromRawData(start, end - start);
    QByteArray out;
    LineCursor sub{start, start, end};
    QByteArrayView l;
    bool c;
    while (sub.next(&l, &c)) {
        out += l;
        out += "\r\n";
    }
    return out;
}

} // namespace

bool MasterFile::existsOnDisk() const
{
    return !m_path.isEmpty() && QFileInfo::exists(m_path);
}

void MasterFile::clear()
{
    m_raw.clear();
    m_head.clear();
    m_nodes.clear();
    m_nodesClosed = false;
    m_segments.clear();
    m_blockIndex.clear();
    m_duplicateKeys.clear();
    m_removed = 0;
    m_textVersion = newStamp();
}

bool MasterFile::load(const QString &file, QString *error)
{
    QFile f(file.isEmpty() ? m_path : file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = f.errorString();
        return false;
    }
    setContent(bytes);
    return true;
}

void MasterFile::setContent(const QByteArray &bytes)
{
    clear();
    m_raw = bytes;
    const char *begin = m_raw.constData();
    LineCursor cur{begin, begin, begin + m_raw.size(), !hasLoneCr(begin, begin + m_raw.size())};
    QByteArrayView line;
    bool crlf = false;

    while (m_head.size() < FirstNodeIndex && cur.next(&line, &crlf))
        m_head.append(line.toByteArray());
    while (cur.next(&line, &crlf)) {
        if (equalsEnd(line)) {
            m_nodesClosed = true;
            break;
        }
        m_nodes.append(line.toByteArray());
    }

    // After the node section: item text blocks, and whatever else stands
    // there ("Data"/"End"), kept as it is. A block runs from its key line to
    // its first "End", so a seven-digit line inside it is text, not a key.
    const char *runStart = nullptr;
    bool runClean = true;
    auto flushRun = [&](const char *upTo) {
        if (!runStart)
            return;
        Segment seg;
        seg.body = storedLines(runStart, upTo, runClean);
        m_segments.append(seg);
        runStart = nullptr;
        runClean = true;
    };

    while (true) {
        const char *lineStart = cur.p;
        if (!cur.next(&line, &crlf))
            break;
        if (!IsKeyLine(line)) {
            if (!runStart)
                runStart = lineStart;
            runClean = runClean && crlf;
            continue;
        }
        flushRun(lineStart);
        Segment seg;
        seg.kind = Segment::Block;
        ParseKeyField(line, &seg.key);
        const char *bodyStart = cur.p;
        const char *bodyEnd = cur.end;
        bool clean = true;
        seg.closed = false;
        while (true) {
            const char *ls = cur.p;
            if (!cur.next(&line, &crlf))
                break;
            if (equalsEnd(line)) {
                bodyEnd = ls;
                seg.closed = true;
                break;
            }
            clean = clean && crlf;
        }
        seg.body = storedLines(bodyStart, bodyEnd, clean);
        m_segments.append(seg);
        indexBlock(m_segments.size() - 1);
    }
    flushRun(cur.end);
}

void MasterFile::setLines(const QList<QByteArray> &lines)
{
    setContent(JoinLines(lines));
}

quint64 MasterFile::blockStamp(int key) const
{
    const qsizetype pos = m_blockIndex.value(key);
    return pos < 0 ? 0 : m_segments[pos].stamp;
}

void MasterFile::indexBlock(qsizetype pos)
{
    if (m_segments[pos].stamp == 0)
        m_segments[pos].stamp = newStamp();
    const int key = m_segments[pos].key;
    if (m_blockIndex.contains(key))
        m_duplicateKeys.insert(key);
    else
        m_blockIndex.insert(key, pos);
}

QByteArray MasterFile::blockText(int key) const
{
    const qsizetype pos = m_blockIndex.value(key);
    if (pos < 0)
        return {};
    QByteArray body = m_segments[pos].body;
    body.detach(); // never hand out a view into the bytes read
    return body;
}

void MasterFile::removeBlock(int key)
{
    const qsizetype pos = m_blockIndex.value(key);
    if (pos < 0)
        return;
    m_blockIndex.remove(key);
    m_textVersion = newStamp();
    // A damaged file may hold more blocks of the item; left behind, an older
    // one would be the text read next.
    const qsizetype last = m_duplicateKeys.remove(key) ? m_segments.size() : pos + 1;
    for (qsizetype i = pos; i < last; ++i) {
        Segment &seg = m_segments[i];
        if (seg.kind != Segment::Block || seg.key != key)
            continue;
        seg.kind = Segment::Removed;
        seg.body.clear();
        ++m_removed;
    }
    if (m_removed > 64 && m_removed > m_segments.size() / 2)
        compact();
}

void MasterFile::appendBlock(int key, const QByteArray &text)
{
    closeNodeSection();
    m_textVersion = newStamp();
    Segment seg;
    seg.kind = Segment::Block;
    seg.key = key;
    const QList<QByteArray> lines = SplitLines(text);
    seg.body.reserve(text.size() + lines.size() + 2);
    for (const QByteArray &l : lines) {
        seg.body += l;
        seg.body += "\r\n";
    }
    // A damaged file may end inside a block; left open, it would swallow the
    // new one when the file is read again.
    for (qsizetype i = m_segments.size() - 1; i >= 0; --i) {
        if (m_segments[i].kind == Segment::Removed)
            continue;
        if (m_segments[i].kind == Segment::Block)
            m_segments[i].closed = true;
        break;
    }
    m_segments.append(seg);
    indexBlock(m_segments.size() - 1);
}

void MasterFile::closeNodeSection()
{
    if (m_nodesClosed)
        return;
    // Without its "End" every line after the root is a node line, so the
    // file holds no "Data"/"End" pair either.
    m_nodesClosed = true;
    Segment data;
    data.body = QByteArrayLiteral("Data\r\nEnd\r\n");
    m_segments.prepend(data);
    compact(); // positions moved: index them again
}

void MasterFile::compact()
{
    QList<Segment> kept;
    kept.reserve(m_segments.size() - m_removed);
    for (const Segment &s : std::as_const(m_segments))
        if (s.kind != Segment::Removed)
            kept.append(s);
    m_segments = std::move(kept);
    m_removed = 0;
    m_blockIndex.clear();
    m_duplicateKeys.clear();
    for (qsizetype i = 0; i < m_segments.size(); ++i)
        if (m_segments[i].kind == Segment::Block)
            indexBlock(i);
}

qsizetype MasterFile::findNodeLine(QByteArrayView line) const
{
    // Node lines differ in their key, so the seven key digits settle nearly
    // every comparison before letter case is looked at.
    const QByteArrayView prefix = line.first(qMin<qsizetype>(8, line.size()));
    QString folded;
    for (qsizetype i = 0; i < m_nodes.size(); ++i) {
        const QByteArray &n = m_nodes[i];
        if (n.size() != line.size() || !n.startsWith(prefix))
            continue;
        if (n == line)
            return i;
        if (folded.isNull())
            folded = FromCp1252(line);
        if (FromCp1252(n).compare(folded, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

template <typename Sink> bool MasterFile::forEachChunk(Sink &&sink) const
{
    QByteArray top;
    qsizetype size = 8;
    for (const QByteArray &l : m_head)
        size += l.size() + 2;
    for (const QByteArray &l : m_nodes)
        size += l.size() + 2;
    top.reserve(size);
    for (const QByteArray &l : m_head) {
        top += l;
        top += "\r\n";
    }
    for (const QByteArray &l : m_nodes) {
        top += l;
        top += "\r\n";
    }
    if (m_nodesClosed)
        top += "End\r\n";
    if (!sink(QByteArrayView(top)))
        return false;
    for (const Segment &s : m_segments) {
        if (s.kind == Segment::Removed)
            continue;
        if (s.kind == Segment::Block) {
            // Formatted by hand: printf for every block costs more than the writing.
            char keyLine[16];
            char *end = keyLine + sizeof keyLine;
            char *p = end;
            *--p = '\n';
            *--p = '\r';
            // Seven digits, as the key line was read: "0001234" stays itself.
            unsigned k = unsigned(s.key);
            for (int digits = 0; digits < 7 || k != 0; ++digits, k /= 10)
                *--p = char('0' + k % 10);
            if (!sink(QByteArrayView(p, end - p)))
                return false;
        }
        if (!s.body.isEmpty() && !sink(QByteArrayView(s.body)))
            return false;
        if (s.kind == Segment::Block && s.closed && !sink(QByteArrayView("End\r\n")))
            return false;
    }
    return true;
}

bool MasterFile::writeTo(QIODevice *device) const
{
    return forEachChunk([device](QByteArrayView chunk) {
        return device->write(chunk.data(), chunk.size()) == chunk.size();
    });
}

QByteArray MasterFile::toBytes() const
{
    QByteArray out;
    forEachChunk([&out](QByteArrayView chunk) {
        out += chunk;
        return true;
    });
    return out;
}

void MasterFile::visitChunks(const std::function<void(QByteArrayView)> &visit) const
{
    forEachChunk([&visit](QByteArrayView chunk) {
        visit(chunk);
        return true;
    });
}

QList<QByteArray> MasterFile::allLines() const
{
    return SplitLines(toBytes());
}

namespace {

// Feeds the chunks of the content to an unbuffered file in few large writes.
// Most of a file is usually the bytes read, unchanged: a chunk that equals
// the bytes following the current run of the buffer read extends that run,
// which is then written straight from the buffer. Other chunks are gathered
// in a staging buffer. Thousands of small writes would cost the disk far
// more than the same bytes in a few big ones.
class ChunkWriter
{
public:
    ChunkWriter(QIODevice *out, const QByteArray &raw)
        : m_out(out), m_rawBegin(raw.constData()), m_rawEnd(raw.constData() + raw.size())
    {
    }

    bool add(QByteArrayView chunk)
    {
        if (chunk.isEmpty())
            return true;
        if (m_runEnd && chunk.size() <= m_rawEnd - m_runEnd
            && (chunk.data() == m_runEnd || std::memcmp(chunk.data(), m_runEnd, chunk.size()) == 0)) {
            m_runEnd += chunk.size();
            return true;
        }
        if (chunk.data() >= m_rawBegin && chunk.data() + chunk.size() <= m_rawEnd) {
            if (!flush())
                return false;
            m_runBegin = chunk.data();
            m_runEnd = chunk.data() + chunk.size();
            return true;
        }
        if (!flushRun())
            return false;
        if (m_stage.size() + chunk.size() > StageSize && !flushStage())
            return false;
        if (chunk.size() >= StageSize)
            return put(chunk);
        if (m_stage.capacity() < StageSize)
            m_stage.reserve(StageSize);
        m_stage += chunk;
        return true;
    }

    bool flush() { return flushRun() && flushStage(); }

private:
    static constexpr qsizetype StageSize = 1 << 20;

    bool put(QByteArrayView bytes)
    {
        return bytes.isEmpty() || m_out->write(bytes.data(), bytes.size()) == bytes.size();
    }
    bool flushRun()
    {
        if (!m_runEnd)
            return true;
        const bool ok = put(QByteArrayView(m_runBegin, m_runEnd - m_runBegin));
        m_runBegin = m_runEnd = nullptr;
        return ok;
    }
    bool flushStage()
    {
        const bool ok = put(m_stage);
        m_stage.truncate(0);
        return ok;
    }

    QIODevice *m_out;
    const char *m_rawBegin;
    const char *m_rawEnd;
    const char *m_runBegin = nullptr;
    const char *m_runEnd = nullptr;
    QByteArray m_stage;
};

// The new file takes the place of the old one: it keeps the old one's
// owner, group and mode where the system allows (only the superuser may
// give a file away; anyone may pick a group of their own).
void keepOwnership(int fd, const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat old;
    if (fd < 0 || ::stat(QFile::encodeName(path).constData(), &old) != 0)
        return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 07777); // after chown, which may clear set-id bits
#else
    Q_UNUSED(fd);
    Q_UNUSED(path);
#endif
}

} // namespace

bool MasterFile::save(QString *error, bool inPlaceWhenFolderLocked) const
{
    QSaveFile f(m_path);
    f.setDirectWriteFallback(inPlaceWhenFolderLocked);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    keepOwnership(f.handle(), m_path);
    ChunkWriter writer(&f, m_raw);
    // A write the disk cuts short (full disk, size limit) returns a short
    // count without an error of its own, and commit() would let it pass.
    errno = 0;
    if (!forEachChunk([&writer](QByteArrayView chunk) { return writer.add(chunk); }) || !writer.flush()
        || !f.flush()) {
        const int cause = errno;
        if (error)
            *error = cause != 0 && f.errorString() == QStringLiteral("Unknown error")
                         ? QString::fromLocal8Bit(std::strerror(cause))
                         : f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool MasterFile::saveQuick(QString *error) const
{
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const bool ok = writeTo(&f) && f.flush();
    if (!ok && error)
        *error = f.errorString();
    return ok;
}
