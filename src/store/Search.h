#pragma once
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <functional>
#include <memory>

class MasterFile;
class QTextDocument;
class QTreeWidget;
class QTreeWidgetItem;

// Searching every item of the open document: the text the user asks for and
// how to read it.
struct SearchQuery
{
    QString text;
    bool regex = false;     // text is a regular expression, not literal text
    bool matchCase = false;
    bool wholeWord = false; // a match must neither start nor end inside a word
    bool names = false;     // node names are searched as well as item text
};

// The expression a query stands for; an invalid one when the text is empty
// or not a valid regular expression, and `error` says why.
QRegularExpression SearchExpression(const SearchQuery &query, QString *error = nullptr);

// One match: in a node's name or in an item's plain text.
struct SearchHit
{
    int key = 0;
    bool inName = false;
    qsizetype start = 0;  // a position in the text searched
    qsizetype length = 0;
};

// Where the line (paragraph) around a hit starts and ends in the text searched;
// asked only for the hits shown, as most of a search's time would go to it.
std::pair<qsizetype, qsizetype> HitLineBounds(const QString &text, const SearchHit &hit);

// Each item's plain text as the editor shows it, one character per editor
// position, so a match found here is selected there as it is. A text is read
// from its RTF once and kept until the item's block changes (its stamp).
class ItemTextCache
{
public:
    ItemTextCache();
    ~ItemTextCache();
    ItemTextCache(const ItemTextCache &) = delete;
    ItemTextCache &operator=(const ItemTextCache &) = delete;

    QString plainText(const MasterFile &master, int key);
    // Ends a search of `master`: forgets texts of items not asked for since
    // the last call (deleted items and another document's leave no memory
    // behind), and keeps the rest as the texts of its present version.
    void dropUnused(const MasterFile &master);
    void clear();
    // How many texts were read from their RTF so far (kept ones cost nothing).
    qsizetype extractions() const { return m_extractions; }
    qsizetype size() const { return m_entries.size(); }

private:
    struct Entry
    {
        quint64 stamp = 0;
        QString text;
        bool used = false;
    };
    QHash<int, Entry> m_entries;
    std::unique_ptr<QTextDocument> m_reader; // reused: a document per item costs more
    qsizetype m_extractions = 0;
    quint64 m_version = 0; // the master file's textVersion() all kept texts belong to
};

// The plain text of an item's RTF as the editor shows it.
QString ItemPlainText(const QByteArray &rtf, QTextDocument *reader);

// Calls `onHit` for every match in tree order, then by position (a node's
// name before its text), with the text searched, until it answers false.
// Answers how many matches there are (all of them, even after a stop); none
// for a query SearchExpression refuses.
using SearchHitFn = std::function<bool(QTreeWidgetItem *node, const SearchHit &hit, const QString &text)>;
qsizetype SearchItems(QTreeWidget *tree, const MasterFile &master, ItemTextCache &cache,
                      const SearchQuery &query, const SearchHitFn &onHit);

// The line around a hit, cut to about `width` characters with the match
// near its start; `matchAt` receives where the match begins in it.
QString HitLine(const QString &text, const SearchHit &hit, int width, qsizetype *matchAt);
