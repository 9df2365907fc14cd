// Moving nodes up and down among their siblings, and to another parent by
// drag and drop.
#include "store/NodeMoves.h"

#include "store/DocState.h"
#include "store/MasterEdit.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"

#include <QTreeWidget>

namespace {

QTreeWidgetItem *sibling(const QTreeWidgetItem *node, int offset)
{
    QTreeWidgetItem *parent = node ? node->parent() : nullptr;
    if (!parent)
        return nullptr; // the root, and nodes a damaged file left at the top, stay put
    const int i = parent->indexOfChild(const_cast<QTreeWidgetItem *>(node)) + offset;
    return i >= 0 && i < parent->childCount() ? parent->child(i) : nullptr;
}

// The expanded state of every node of a subtree, in tree order: a node taken
// out of the explorer and put back elsewhere comes back collapsed otherwise.
template <typename Fn> void forSubtree(QTreeWidgetItem *top, Fn &&fn)
{
    QList<QTreeWidgetItem *> stack{top};
    while (!stack.isEmpty()) {
        QTreeWidgetItem *n = stack.takeLast();
        fn(n);
        for (int i = n->childCount() - 1; i >= 0; --i)
            stack.append(n->child(i));
    }
}

// Where a node stands: its parent (null at the top level) and its index there.
struct Place
{
    QTreeWidgetItem *parent;
    int index;
};

Place placeOf(QTreeWidget *tree, QTreeWidgetItem *node)
{
    if (QTreeWidgetItem *parent = node->parent())
        return {parent, parent->indexOfChild(node)};
    return {nullptr, tree->indexOfTopLevelItem(node)};
}

// Moves `node` with its subtree to `to`, keeping what was expanded expanded.
void putNode(QTreeWidget *tree, QTreeWidgetItem *node, Place to)
{
    QList<QTreeWidgetItem *> expanded;
    forSubtree(node, [&](QTreeWidgetItem *n) {
        if (n->isExpanded())
            expanded.append(n);
    });
    const Place from = placeOf(tree, node);
    if (from.parent)
        from.parent->takeChild(from.index);
    else
        tree->takeTopLevelItem(from.index);
    if (to.parent)
        to.parent->insertChild(to.index, node);
    else
        tree->insertTopLevelItem(to.index, node);
    for (QTreeWidgetItem *n : expanded)
        n->setExpanded(true);
}

// Inserts `block` into the node lines after index `after`, in one pass: a
// line at a time would shift the whole section once per line.
void insertLines(QList<QByteArray> &nodes, qsizetype after, const QList<QByteArray> &block)
{
    QList<QByteArray> joined;
    joined.reserve(nodes.size() + block.size());
    joined.append(nodes.first(after + 1));
    joined.append(block);
    joined.append(nodes.sliced(after + 1));
    nodes.swap(joined);
}

// Moves the lines of `moving` (with its descendants' lines) to stand
// directly before the lines of `follower`, its previous sibling.
bool moveLinesBefore(QTreeWidgetItem *moving, QTreeWidgetItem *follower, DocState &doc,
                     const char *operation)
{
    const QByteArray line = NodeLine(moving);
    const qsizetype at = doc.master.findNodeLine(line);
    const qsizetype to = doc.master.findNodeLine(NodeLine(follower));
    if (at < 0 || to < 0 || to >= at) {
        ShowPlain(doc, NotFoundMessage(operation));
        return false;
    }
    MasterEdit edit(doc);
    QList<QByteArray> block;
    CutBranchLines(doc.master.nodes(), block, line, at);
    insertLines(doc.master.nodes(), to - 1, block);
    return edit.commit();
}

// Moves `moving` one place up, before its previous sibling `follower`.
bool moveBefore(QTreeWidget *tree, QTreeWidgetItem *moving, QTreeWidgetItem *follower,
                DocState &doc, const char *operation)
{
    BusyScope busy(doc);
    if (!moveLinesBefore(moving, follower, doc, operation))
        return false;
    QTreeWidgetItem *current = tree->currentItem();
    putNode(tree, moving, placeOf(tree, follower));
    if (current)
        tree->setCurrentItem(current);
    if (current && tree->isVisible())
        tree->scrollToItem(current);
    doc.documentChanged = true;
    return true;
}

QString kindWord(const QTreeWidgetItem *node)
{
    return IsItem(node) ? QStringLiteral("item") : QStringLiteral("branch");
}

} // namespace

bool CanMoveUp(const QTreeWidgetItem *node)
{
    const QTreeWidgetItem *prev = sibling(node, -1);
    return prev && (IsBranch(node) || IsItem(prev));
}

bool CanMoveDown(const QTreeWidgetItem *node)
{
    const QTreeWidgetItem *next = sibling(node, 1);
    return next && (IsItem(node) || IsBranch(next));
}

bool MoveUp(QTreeWidget *tree, QTreeWidgetItem *node, DocState &doc)
{
    if (!CanMoveUp(node))
        return false;
    return moveBefore(tree, node, sibling(node, -1), doc,
                      IsItem(node) ? "MoveUpInFile" : "MoveBranchUpInFile");
}

bool MoveDown(QTreeWidget *tree, QTreeWidgetItem *node, DocState &doc)
{
    if (!CanMoveDown(node))
        return false;
    // Moving down is the next sibling moving up.
    return moveBefore(tree, sibling(node, 1), node, doc,
                      IsItem(node) ? "MoveDownInFile" : "MoveBranchUpInFile");
}

bool IsSubnode(const QTreeWidgetItem *destination, const QTreeWidgetItem *source)
{
    if (!destination || !source)
        return false;
    for (const QTreeWidgetItem *n = destination->parent(); n; n = n->parent())
        if (n == source)
            return true;
    return false;
}

bool HasChildNamed(const QTreeWidgetItem *node, const QString &name)
{
    for (int i = 0; node && i < node->childCount(); ++i)
        if (node->child(i)->text(0) == name)
            return true;
    return false;
}

DropRefusal DragDropRefusal(const QTreeWidgetItem *source, const QTreeWidgetItem *destination)
{
    if (IsRoot(source))
        return {QStringLiteral("Error Moving Root"), QStringLiteral("Cannot move root.")};
    const QString kind = kindWord(source);
    const QString caption = IsItem(source) ? QStringLiteral("Error Moving Item")
                                           : QStringLiteral("Error Moving Branch");
    const QString name = source->text(0);
    const QString head = QStringLiteral("Cannot move ") + name + QStringLiteral(": ");
    if (destination == source)
        return {caption, head + QStringLiteral("The destination node is the same as the source node.")};
    if (IsItem(destination))
        return {caption, head + QStringLiteral("The destination node is an item; item cannot have children.")};
    if (IsSubnode(destination, source))
        return {caption, head + QStringLiteral("The destination branch is a subbranch of the same branch.")};
    if (destination == source->parent())
        return {caption, head + QStringLiteral("The destination ") + kind
                             + QStringLiteral(" is the same as the source ") + kind + QLatin1Char('.')};
    if (HasChildNamed(destination, name))
        return {caption, head + QStringLiteral("This branch already contains an item or a branch called ")
                             + name + QStringLiteral(". Rename moved ") + kind
                             + QStringLiteral(" before moving it into this location.")};
    return {};
}

bool CheckDragDrop(const QTreeWidgetItem *source, const QTreeWidgetItem *destination,
                   UserMessages *ui)
{
    if (!source || !destination)
        return false;
    const DropRefusal refusal = DragDropRefusal(source, destination);
    if (refusal.text.isEmpty())
        return true;
    if (ui)
        ui->messageBox(refusal.caption, refusal.text, MsgIcon::Error, MsgButton::Ok);
    return false;
}

bool DragDropMove(QTreeWidget *tree, QTreeWidgetItem *source, QTreeWidgetItem *destination,
                  DocState &doc)
{
    if (!source || !destination || !DragDropRefusal(source, destination).text.isEmpty())
        return false;
    BusyScope busy(doc);
    const bool item = IsItem(source);
    const char *operation = item ? "DragDropItemInFile" : "DragDropBranchInFile";
    const QByteArray oldLine = NodeLine(source);
    const qsizetype at = doc.master.findNodeLine(oldLine);
    if (at < 0) {
        ShowPlain(doc, NotFoundMessage(operation));
        return false;
    }

    // A branch becomes the first child; an item the first item, after the branches.
    int index = 0;
    if (item) {
        while (index < destination->childCount() && !IsItem(destination->child(index)))
            ++index;
    }
    QTreeWidgetItem *current = tree->currentItem();
    const Place from = placeOf(tree, source);
    putNode(tree, source, {destination, index});
    auto putBack = [&] {
        putNode(tree, source, from);
        if (current)
            tree->setCurrentItem(current);
    };

    // The moved lines follow the node now before the source in tree order:
    // the destination itself, or the last node below its last branch.
    QTreeWidgetItem *previous = item ? PreviousInTreeOrder(tree, source) : destination;
    MasterEdit edit(doc);
    QList<QByteArray> block;
    CutBranchLines(doc.master.nodes(), block, oldLine, at);
    block.first() = NodeLine(source); // the subtree's own lines name their parents by key
    const qsizetype to = doc.master.findNodeLine(NodeLine(previous));
    if (to < 0) {
        edit.rollback();
        putBack();
        ShowPlain(doc, item ? QStringLiteral("DEBUG DragDropItemInFile prev node not found")
                            : NotFoundMessage(operation));
        return false;
    }
    insertLines(doc.master.nodes(), to, block);
    if (!edit.commit()) {
        putBack();
        return false;
    }
    destination->setExpanded(true);
    tree->setCurrentItem(source);
    if (tree->isVisible())
        tree->scrollToItem(source);
    doc.documentChanged = true;
    return true;
}
