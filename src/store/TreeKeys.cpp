#include "store/TreeKeys.h"

#include <QTreeWidget>

TreeKeys &TreeKeys::of(QTreeWidget *tree)
{
    auto *keys = tree->findChild<TreeKeys *>(QString(), Qt::FindDirectChildrenOnly);
    if (!keys)
        keys = new TreeKeys(tree);
    return *keys;
}

void TreeKeys::clear()
{
    m_keys.clear();
    m_branchHint = FirstBranchKey;
    m_itemHint = FirstItemKey;
}

void TreeKeys::add(int key)
{
    m_keys.insert(key, m_keys.value(key) + 1);
}

void TreeKeys::remove(int key)
{
    const int count = m_keys.value(key);
    if (count == 0)
        return;
    m_keys.insert(key, count - 1); // 0 removes it
    if (count > 1)
        return; // another node still carries it
    if (IsBranchKey(key) && key < m_branchHint)
        m_branchHint = key;
    if (IsItemKey(key) && key < m_itemHint)
        m_itemHint = key;
}

void TreeKeys::removeSubtree(const QTreeWidgetItem *node)
{
    if (!node)
        return;
    // A list instead of recursion: a deep tree cannot exhaust the stack.
    QList<const QTreeWidgetItem *> pending{node};
    while (!pending.isEmpty()) {
        const QTreeWidgetItem *n = pending.takeLast();
        remove(NodeKey(n));
        for (int i = 0; i < n->childCount(); ++i)
            pending.append(n->child(i));
    }
}

int TreeKeys::lowestFree(NodeKind kind)
{
    // Every key below the hint is known to be taken.
    int &hint = kind == NodeKind::Branch ? m_branchHint : m_itemHint;
    const int limit = kind == NodeKind::Branch ? BranchKeyEnd : LastItemKey + 1;
    while (hint < limit && m_keys.contains(hint))
        ++hint;
    return hint < limit ? hint : 0;
}

int NewNodeKey(QTreeWidget *tree, NodeKind kind)
{
    return TreeKeys::of(tree).lowestFree(kind);
}
