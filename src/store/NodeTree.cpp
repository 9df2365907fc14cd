#include "store/NodeTree.h"

#include "store/Messages.h"
#include "store/TreeFormat.h"
#include "store/TreeKeys.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

QString NodePath(const QTreeWidgetItem *node)
{
    if (!node)
        return QStringLiteral("$");
    // Gathered first and joined once: prepending name by name would copy the
    // path again at every level of a deep tree.
    QStringList names;
    for (const QTreeWidgetItem *n = node; n; n = n->parent())
        names.append(n->text(0));
    std::reverse(names.begin(), names.end());
    return names.join(QLatin1Char('\\'));
}

namespace {
QIcon s_nodeIcons[2];
} // namespace

void SetNodeIcons(const QIcon &branch, const QIcon &item)
{
    s_nodeIcons[0] = branch;
    s_nodeIcons[1] = item;
}

QIcon NodeIcon(bool item)
{
    // The tool has no style to draw with; the pictures only matter on screen.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return {};
    if (!s_nodeIcons[item].isNull())
        return s_nodeIcons[item];
    static const QIcon branchIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    static const QIcon itemIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return item ? itemIcon : branchIcon;
}

QTreeWidgetItem *NewNode(const QString &name, int key)
{
    return new NodeItem(name, key);
}

QTreeWidgetItem *AddRootNode(QTreeWidget *tree, const QString &keyText)
{
    QTreeWidgetItem *node = NewNode(QStringLiteral("$"), keyText.toInt());
    tree->addTopLevelItem(node);
    TreeKeys::of(tree).add(NodeKey(node));
    return node;
}

namespace {

QTreeWidgetItem *addNode(QTreeWidget *tree, QTreeWidgetItem *start, const QString &name,
                         int parentKey, int key, UserMessages *ui)
{
    QTreeWidgetItem *node = NewNode(name, key);
    if (QTreeWidgetItem *parent = FindParentByKey(start, parentKey)) {
        parent->addChild(node);
        parent->setExpanded(true);
    } else {
        if (ui)
            ui->showMessage(QStringLiteral("oParent.Text = nil"));
        tree->addTopLevelItem(node);
    }
    TreeKeys::of(tree).add(key);
    return node;
}

QTreeWidgetItem *lastDescendant(QTreeWidgetItem *node)
{
    while (node->childCount() > 0)
        node = node->child(node->childCount() - 1);
    return node;
}

} // namespace

QTreeWidgetItem *AddBranchNode(QTreeWidget *tree, QTreeWidgetItem *start, const QString &name,
                               int parentKey, int key, UserMessages *ui)
{
    return addNode(tree, start, name, parentKey, key, ui);
}

QTreeWidgetItem *AddItemNode(QTreeWidget *tree, QTreeWidgetItem *start, const QString &name,
                             bool select, int parentKey, int key, UserMessages *ui)
{
    QTreeWidgetItem *node = addNode(tree, start, name, parentKey, key, ui);
    if (select)
        tree->setCurrentItem(node);
    return node;
}

QTreeWidgetItem *PreviousInTreeOrder(QTreeWidget *tree, QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    if (QTreeWidgetItem *parent = node->parent()) {
        const int i = parent->indexOfChild(node);
        return i > 0 ? lastDescendant(parent->child(i - 1)) : parent;
    }
    const int i = tree ? tree->indexOfTopLevelItem(node) : -1;
    return i > 0 ? lastDescendant(tree->topLevelItem(i - 1)) : nullptr;
}

QTreeWidgetItem *FindParentByKey(QTreeWidgetItem *start, int key)
{
    QTreeWidget *tree = start ? start->treeWidget() : nullptr;
    for (QTreeWidgetItem *n = start; n; n = PreviousInTreeOrder(tree, n))
        if (NodeKey(n) == key)
            return n;
    return nullptr;
}

QTreeWidgetItem *GetFirstItem(QTreeWidget *, QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    for (int i = 0; i < node->childCount(); ++i)
        if (IsItem(node->child(i)))
            return node->child(i);
    return nullptr;
}

QTreeWidgetItem *FirstNode(QTreeWidget *tree)
{
    return tree->topLevelItemCount() ? tree->topLevelItem(0) : nullptr;
}

void ForEachNode(QTreeWidget *tree, const std::function<bool(QTreeWidgetItem *)> &fn)
{
    struct Frame
    {
        QTreeWidgetItem *node;
        int next;
    };
    QList<Frame> stack;
    for (int t = 0; t < tree->topLevelItemCount(); ++t) {
        QTreeWidgetItem *top = tree->topLevelItem(t);
        if (!fn(top))
            return;
        stack.append({top, 0});
        while (!stack.isEmpty()) {
            Frame &f = stack.last();
            if (f.next >= f.node->childCount()) {
                stack.removeLast();
                continue;
            }
            QTreeWidgetItem *child = f.node->child(f.next++);
            if (!fn(child))
                return;
            stack.append({child, 0});
        }
    }
}

int CountNodes(QTreeWidget *tree)
{
    int n = 0;
    ForEachNode(tree, [&n](QTreeWidgetItem *) {
        ++n;
        return true;
    });
    return n;
}

void DeleteNodes(QTreeWidgetItem *node)
{
    if (!node)
        return;
    if (QTreeWidgetItem *parent = node->parent())
        parent->takeChild(parent->indexOfChild(node));
    else if (QTreeWidget *tree = node->treeWidget())
        tree->takeTopLevelItem(tree->indexOfTopLevelItem(node));
    // A node deletes its children, and they theirs, one stack frame per
    // level: a deep tree would exhaust the stack. So the nodes go bottom-up,
    // each a leaf when it goes, taken off its parent from the end (cheap, and
    // the parent is out of any view by now).
    QTreeWidgetItem *n = node;
    while (true) {
        while (n->childCount() > 0)
            n = n->child(n->childCount() - 1);
        if (n == node)
            break;
        QTreeWidgetItem *parent = n->parent();
        delete parent->takeChild(parent->childCount() - 1);
        n = parent;
    }
    delete node;
}

void ClearTree(QTreeWidget *tree)
{
    // Qt's own clear() deletes the nodes top-down, recursively. Collapsing
    // first drops the view's record of every expanded node at once, instead
    // of one ancestor walk per record as the nodes leave.
    tree->collapseAll();
    if (QItemSelectionModel *selection = tree->selectionModel())
        selection->clear();
    const QList<QTreeWidgetItem *> tops = tree->invisibleRootItem()->takeChildren();
    for (QTreeWidgetItem *top : tops)
        DeleteNodes(top);
    TreeKeys::of(tree).clear();
}
