#pragma once
#include <QIcon>
#include <QString>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class UserMessages;

// Node-level helpers of the explorer tree: paths, adding nodes under a parent
// found by key, and walking the tree in the order of the node section.

// "$\Recipes\Soup": the names from the root down; "$" for no node.
QString NodePath(const QTreeWidgetItem *node);

QTreeWidgetItem *AddRootNode(QTreeWidget *tree, const QString &keyText);
// Adds a branch as the last child of the node with `parentKey`, searched from
// `start` backwards; at the top level (after a message) when there is none.
QTreeWidgetItem *AddBranchNode(QTreeWidget *tree, QTreeWidgetItem *start, const QString &name,
                               int parentKey, int key, UserMessages *ui);
QTreeWidgetItem *AddItemNode(QTreeWidget *tree, QTreeWidgetItem *start, const QString &name,
                             bool select, int parentKey, int key, UserMessages *ui);
// The node carrying `key`, from `start` backwards in tree order; null when none.
QTreeWidgetItem *FindParentByKey(QTreeWidgetItem *start, int key);
// The first child of `node` that is an item; null when none.
QTreeWidgetItem *GetFirstItem(QTreeWidget *tree, QTreeWidgetItem *node);

// Tree order: depth first, children in display order.
QTreeWidgetItem *FirstNode(QTreeWidget *tree);
QTreeWidgetItem *PreviousInTreeOrder(QTreeWidget *tree, QTreeWidgetItem *node);
int CountNodes(QTreeWidget *tree);
// Calls fn for every node in tree order until it answers false; cheap for
// wide trees, since it never searches a parent for a child's index.
void ForEachNode(QTreeWidget *tree, const std::function<bool(QTreeWidgetItem *)> &fn);

// The picture of a branch (and the root) or an item; none without a screen style.
QIcon NodeIcon(bool item);
// The window's own pictures for NodeIcon, in place of the style's (whose
// icon-theme lookup slows the start).
void SetNodeIcons(const QIcon &branch, const QIcon &item);
// A new node, not yet in any tree.
QTreeWidgetItem *NewNode(const QString &name, int key);
// Takes `node` out of its parent or tree and deletes it with everything below
// it, without recursion, so a tree of any depth can go.
void DeleteNodes(QTreeWidgetItem *node);
// Removes every node (and its keys) from the tree, without recursion.
void ClearTree(QTreeWidget *tree);
