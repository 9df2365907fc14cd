#pragma once
#include "store/KeyMap.h"
#include "store/TreeFormat.h"

#include <QObject>

class QTreeWidget;
class QTreeWidgetItem;

// The keys in use in one explorer tree, so that choosing a new key does not
// rescan the tree. It lives as a child of the tree; the store's routines keep
// it in step whenever they add or remove nodes. A damaged file may give two
// nodes one key, so it counts the nodes of each key: a key is free only when
// no node carries it.
class TreeKeys : public QObject
{
    Q_OBJECT
public:
    static TreeKeys &of(QTreeWidget *tree);

    void clear();
    void reserve(qsizetype count) { m_keys.reserve(count); }
    void add(int key);
    void remove(int key);
    // Removes the keys of `node` and of every node below it.
    void removeSubtree(const QTreeWidgetItem *node);
    bool contains(int key) const { return m_keys.contains(key); }
    // How many nodes carry `key`.
    int count(int key) const { return m_keys.value(key); }
    // The lowest free key of the kind; 0 when the kind has no key left.
    int lowestFree(NodeKind kind);

private:
    explicit TreeKeys(QObject *parent) : QObject(parent) {}
    KeyMap<int, 0> m_keys; // key -> nodes carrying it
    int m_branchHint = FirstBranchKey;
    int m_itemHint = FirstItemKey;
};

// The lowest key of the kind that no node of the tree carries; 0 when every
// key of the kind is taken (only branches can run out).
int NewNodeKey(QTreeWidget *tree, NodeKind kind);
