#pragma once
#include <QByteArray>
#include "store/KeyMap.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>

class QIODevice;

// The master file: the working copy of the open document. The file on disk
// is the document and is rewritten whole, atomically, at every change; this
// object keeps its content in memory between operations so that no
// operation costs more than that one write. Item text blocks are kept as
// whole byte runs (sliced from the bytes read where possible), node lines one
// by one.
class MasterFile
{
public:
    static constexpr int FirstNodeIndex = 7;

    MasterFile() = default;
    explicit MasterFile(const QString &path) : m_path(path) {}

    const QString &path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    bool existsOnDisk() const;

    // Reads a file (the master file when `file` is empty) into memory.
    bool load(const QString &file = QString(), QString *error = nullptr);
    void setContent(const QByteArray &bytes);
    void setLines(const QList<QByteArray> &lines);
    void clear();

    // Writes the content to the master file atomically: on failure the old
    // file stays whole and `error` says why. `inPlaceWhenFolderLocked`: in a
    // folder that takes no new file, the file is rewritten in place instead.
    bool save(QString *error = nullptr, bool inPlaceWhenFolderLocked = false) const;
    // Writes without waiting for the disk: for the copy made when a document
    // is opened, whose durable original is the user's own file.
    bool saveQuick(QString *error = nullptr) const;
    bool writeTo(QIODevice *device) const;

    QByteArray toBytes() const;
    // The content piece by piece, in order, without joining it.
    void visitChunks(const std::function<void(QByteArrayView)> &visit) const;
    QList<QByteArray> allLines() const;

    // Lines 0 to 6.
    const QList<QByteArray> &head() const { return m_head; }
    // Index 7 up to, not including, the first line "End".
    const QList<QByteArray> &nodes() const { return m_nodes; }
    QList<QByteArray> &nodes() { return m_nodes; }
    // Whether an "End" line closes the node section.
    bool nodeSectionClosed() const { return m_nodesClosed; }

    // Index in nodes() of the first node line equal to `line`, letter case
    // aside; -1 when there is none.
    qsizetype findNodeLine(QByteArrayView line) const;

    // Item text blocks: the item's key line, its text lines, "End".
    bool hasBlock(int key) const { return m_blockIndex.contains(key); }
    // The text lines of the first block of the item, each ending CR LF.
    QByteArray blockText(int key) const;
    // Removes every block of the item (a damaged file may hold more than one).
    void removeBlock(int key);
    // Appends a block; `text` is the item's text, split here into lines. A
    // node section left open by a damaged file is closed first, or the block
    // would be read as node lines.
    void appendBlock(int key, const QByteArray &text);
    int blockCount() const { return int(m_blockIndex.size()); }
    // Tells one version of an item's text from any other: a block read or
    // appended gets a number no block had before, in any master file, and a
    // copy keeps it. 0 when the item has no block. Caches of what is derived
    // from the text compare it to see whether they still hold.
    quint64 blockStamp(int key) const;
    // The same for all item text at once: it changes whenever a block does.
    quint64 textVersion() const { return m_textVersion; }

private:
    struct Segment
    {
        enum Kind : char { Other, Block, Removed };
        Kind kind = Other;   // Block: a key line, its text lines and "End"
        int key = 0;         // a block's key: its seven digits, leading zeros and all
        QByteArray body;     // lines, each ending CR LF (block: between key line and End)
        bool closed = true;  // the block ends with its "End" line
        quint64 stamp = 0;   // a block's version (blockStamp)
    };

    void closeNodeSection();

    void indexBlock(qsizetype pos);
    void compact();
    template <typename Sink> bool forEachChunk(Sink &&sink) const;

    QString m_path;
    QByteArray m_raw; // the bytes read; unchanged block bodies point into it
    QList<QByteArray> m_head;
    QList<QByteArray> m_nodes;
    bool m_nodesClosed = false;
    QList<Segment> m_segments;
    KeyMap<qsizetype, -1> m_blockIndex; // key -> first block of that key
    QSet<int> m_duplicateKeys;
    qsizetype m_removed = 0;
    quint64 m_textVersion = 0;
};
