#pragma once
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <QTreeWidgetItem>

// Node keys: seven decimal digits whose first digit tells the kind.
constexpr int RootKey = 1000000;
constexpr int FirstBranchKey = 2000001;
constexpr int BranchKeyEnd = 3000000; // branch keys stay below this
constexpr int FirstItemKey = 3000001;
constexpr int LastItemKey = 9999999;

enum class NodeKind { Branch, Item };

inline bool IsRootKey(int key) { return key == RootKey; }
inline bool IsBranchKey(int key) { return key >= FirstBranchKey && key < BranchKeyEnd; }
inline bool IsItemKey(int key) { return key > BranchKeyEnd; }

// An explorer node made by the store: its key is a field rather than item
// data, since the loader and the integrity check read it for every node, and
// its picture follows from the key instead of being stored in every node.
// Its name is a field too: the base class would keep it in lists of its own,
// made for every node of a load. A rename also goes to the base class, which
// tells the view.
class NodeItem : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    NodeItem(const QString &name, int key);
    ~NodeItem() override;
    NodeItem(const NodeItem &) = delete;
    NodeItem &operator=(const NodeItem &) = delete;
    int key() const { return m_key; }
    // Nodes alive in the process: a load that fails must leave none behind.
    static qsizetype liveCount() { return s_live; }
    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;

private:
    int m_key;
    QString m_name;
    static inline qsizetype s_live = 0;
};

// The key an explorer node carries as its data; 0 for no node.
int NodeKey(const QTreeWidgetItem *node);
void SetNodeKey(QTreeWidgetItem *node, int key);
bool IsRoot(const QTreeWidgetItem *node);
bool IsBranch(const QTreeWidgetItem *node);
bool IsItem(const QTreeWidgetItem *node);

// The root's line, the same in every tree file.
inline constexpr char RootLine[] = "1000000 0000000 $";
inline constexpr char EndLine[] = "End";

// "key parent name" in Windows-1252; key 0 takes the node's own key. A node
// without a parent, or whose parent has no key, gives the root line.
QByteArray NodeLine(const QTreeWidgetItem *node, int key = 0);
QByteArray NodeLineFor(int key, int parentKey, const QString &name);
// Whether `line` equals NodeLine(node), without building it.
bool NodeLineMatches(QByteArrayView line, const QTreeWidgetItem *node);

// A key field of a node line: decimal digits only. False for anything else.
bool ParseKeyField(QByteArrayView field, int *key);
// True for a line made of exactly seven decimal digits: an item's key line.
bool IsKeyLine(QByteArrayView line);

// Today's date in the user's short date format ("M/d/yy" when the locale
// gives none). Tests fix "today" so files compare byte for byte.
QString TodayText();
void SetTodayForTesting(const QDate &date); // an invalid date restores the clock

// The twelve lines of a new document, dated today.
QList<QByteArray> NewFileTemplateLines();
// The header line: product name, " Ver. ", version.
QByteArray HeaderLine();

// Splits text into lines at CR LF, lone CR or lone LF.
QList<QByteArray> SplitLines(const QByteArray &text);
// Joins lines, each ending with CR LF.
QByteArray JoinLines(const QList<QByteArray> &lines);
