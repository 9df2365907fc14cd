// Adding branches and items.
#include "store/NodeOps.h"

#include "settings/Registry.h"
#include "store/DocState.h"
#include "store/ItemEditor.h"
#include "store/MasterEdit.h"
#include "store/NodeTree.h"
#include "store/TreeKeys.h"

#include <QSet>
#include <QTreeWidget>

QString NotFoundMessage(const char *operation)
{
    return QStringLiteral("DEBUG ") + QLatin1String(operation) + QStringLiteral(" item not found");
}

QString NoKeyLeftMessage(NodeKind kind)
{
    return kind == NodeKind::Branch
               ? QStringLiteral("No branch can be added: every branch key of this document is in use.")
               : QStringLiteral("No item can be added: every item key of this document is in use.");
}

QString NewNodeName(QTreeWidget *, QTreeWidgetItem *parent, NodeKind kind)
{
    const QString base = kind == NodeKind::Item ? QStringLiteral("New Item") : QStringLiteral("New Branch");
    if (!parent)
        return base;
    // Only the parent's children can clash, so only they are looked at.
    QSet<QString> taken;
    taken.reserve(parent->childCount());
    for (int i = 0; i < parent->childCount(); ++i)
        taken.insert(parent->child(i)->text(0));
    QString candidate = base;
    for (int counter = 2; taken.contains(candidate); ++counter)
        candidate = base + QStringLiteral(" (") + QString::number(counter) + QLatin1Char(')');
    return candidate;
}

MasterWrite WriteNodeToMaster(QTreeWidgetItem *previous, QTreeWidgetItem *node, DocState &doc,
                              int key)
{
    const QByteArray previousLine = IsRoot(previous) ? QByteArray(RootLine) : NodeLine(previous);
    const qsizetype at = doc.master.findNodeLine(previousLine);
    if (at < 0) {
        ShowPlain(doc, NotFoundMessage("WriteNodeToMaster"));
        return MasterWrite::LineNotFound;
    }
    MasterEdit edit(doc);
    doc.master.nodes().insert(at + 1, NodeLine(node, key));
    return edit.commit() ? MasterWrite::Written : MasterWrite::WriteFailed;
}

namespace {

// The part both adds share once the node is in the tree: show it, select it,
// write its line. Takes the node out again when the write fails.
QTreeWidgetItem *placeNewNode(QTreeWidget *tree, QTreeWidgetItem *parent, QTreeWidgetItem *node,
                              int key, const PathBarFn &pathBar, DocState &doc)
{
    TreeKeys::of(tree).add(key);
    parent->setExpanded(true);
    tree->setCurrentItem(node);
    if (tree->isVisible())
        tree->scrollToItem(node);

    if (WriteNodeToMaster(PreviousInTreeOrder(tree, node), node, doc, key) == MasterWrite::WriteFailed) {
        // The file could not take the node, so neither does the explorer.
        TreeKeys::of(tree).remove(key);
        tree->setCurrentItem(parent);
        delete node;
        if (pathBar)
            pathBar(QStringLiteral("   ") + NodePath(parent));
        return nullptr;
    }
    if (pathBar)
        pathBar(QStringLiteral("   ") + NodePath(node));
    // The label editor needs a window on screen; off screen the caller renames.
    if (tree->isVisible())
        tree->editItem(node);
    doc.documentChanged = true;
    return node;
}

QTreeWidgetItem *newNode(const QString &name, int key)
{
    QTreeWidgetItem *node = NewNode(name, key);
    return node;
}

} // namespace

QTreeWidgetItem *AddBranch(QTreeWidget *tree, ItemEditor *editor, const PathBarFn &pathBar,
                           DocState &doc)
{
    BusyScope busy(doc);
    QTreeWidgetItem *parent = tree->currentItem();
    if (!parent || IsItem(parent))
        return nullptr;
    const int key = NewNodeKey(tree, NodeKind::Branch);
    if (key == 0) {
        ShowPlain(doc, NoKeyLeftMessage(NodeKind::Branch));
        return nullptr;
    }
    if (editor)
        editor->clearContent();

    QTreeWidgetItem *node = newNode(NewNodeName(tree, parent, NodeKind::Branch), key);
    // Branches stand before the items of their parent.
    if (QTreeWidgetItem *firstItem = GetFirstItem(tree, parent))
        parent->insertChild(parent->indexOfChild(firstItem), node);
    else
        parent->addChild(node);
    return placeNewNode(tree, parent, node, key, pathBar, doc);
}

QTreeWidgetItem *AddItem(QTreeWidget *tree, ItemEditor *editor, const PathBarFn &pathBar,
                         DocState &doc)
{
    BusyScope busy(doc);
    QTreeWidgetItem *parent = tree->currentItem();
    if (!parent || IsItem(parent))
        return nullptr;
    const int key = NewNodeKey(tree, NodeKind::Item);
    if (key == 0) {
        ShowPlain(doc, NoKeyLeftMessage(NodeKind::Item));
        return nullptr;
    }
    if (editor) {
        QFont font;
        QColor color;
        GetDefaultFont(font, color, true);
        editor->applyDefaultFont(font, color);
        editor->clearContent();
    }

    QTreeWidgetItem *node = newNode(NewNodeName(tree, parent, NodeKind::Item), key);
    parent->addChild(node);
    if (!placeNewNode(tree, parent, node, key, pathBar, doc))
        return nullptr;
    if (editor)
        editor->setEditorEnabled(true);
    doc.currentItemKey = key;
    return node;
}
