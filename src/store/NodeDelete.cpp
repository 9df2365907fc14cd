// Deleting items and branches, and cutting their lines and text blocks out of
// line lists.
#include "store/NodeOps.h"

#include "store/DocState.h"
#include "store/MasterEdit.h"
#include "store/NodeTree.h"
#include "store/TreeKeys.h"

#include <QTreeWidget>

QString ConfirmDeleteCaption(bool isItem)
{
    return isItem ? QStringLiteral("Confirm Item Delete") : QStringLiteral("Confirm Branch Delete");
}

QString ConfirmDeleteText(const QString &name, bool isItem)
{
    if (isItem)
        return QStringLiteral("Are you sure you want to remove the item '") + name + QStringLiteral("'?");
    return QStringLiteral("Are you sure you want to remove the branch '") + name
           + QStringLiteral("' and all its contents?");
}

bool ConfirmDelete(UserMessages *ui, const QString &name, bool isItem)
{
    if (!ui)
        return false;
    return ui->messageBox(ConfirmDeleteCaption(isItem), ConfirmDeleteText(name, isItem),
                          MsgIcon::Question, MsgButton::Yes | MsgButton::No)
           == MsgButton::Yes;
}

namespace {

// Columns of a node line, cut short where the line is.
QByteArrayView field(const QByteArray &line, qsizetype from, qsizetype length)
{
    if (from >= line.size())
        return {};
    return QByteArrayView(line).sliced(from, qMin(length, line.size() - from));
}

void removeNode(QTreeWidget *tree, QTreeWidgetItem *node)
{
    TreeKeys::of(tree).removeSubtree(node);
    DeleteNodes(node);
}

} // namespace

void CutBranchLines(QList<QByteArray> &source, QList<QByteArray> &target,
                    const QByteArray &branchLine, qsizetype index)
{
    if (index < 0 || index >= source.size())
        return;
    // The keys of the branches whose children are being taken, innermost
    // last; a list instead of recursion, so a deep tree cannot exhaust the stack.
    QList<QByteArray> open{field(branchLine, 0, 7).toByteArray()};
    // Every line taken stands at `index` once the one before it is gone, so
    // the lines taken are one run; find its end and move it at once.
    qsizetype end = index + 1;
    while (!open.isEmpty() && end < source.size()) {
        const QByteArray &line = source.at(end);
        if (line == EndLine || field(line, 8, 7) != open.last()) {
            open.removeLast(); // this branch has no more children here
            continue;
        }
        if (line.startsWith('2'))
            open.append(field(line, 0, 7).toByteArray());
        ++end;
    }
    target.append(source.mid(index, end - index));
    source.remove(index, end - index);
}

void DeleteItemText(MasterFile &master, int key)
{
    if (key >= BranchKeyEnd)
        master.removeBlock(key);
}

void DeleteItemTexts(MasterFile &master, const QList<QByteArray> &removed)
{
    for (const QByteArray &line : removed) {
        int key = 0;
        if (ParseKeyField(field(line, 0, 7), &key) && key > BranchKeyEnd)
            DeleteItemText(master, key);
    }
}

bool DeleteItem(QTreeWidget *tree, DocState &doc)
{
    QTreeWidgetItem *node = tree->currentItem();
    if (!IsItem(node))
        return false;
    const QByteArray line = NodeLine(node);
    const qsizetype at = doc.master.findNodeLine(line);
    if (at < 0) {
        // The explorer loses the node; the file keeps the text, and the
        // integrity check that follows reports the difference.
        ShowPlain(doc, NotFoundMessage("DeleteItem"));
        removeNode(tree, node);
        return false;
    }
    MasterEdit edit(doc);
    doc.master.nodes().remove(at);
    DeleteItemText(doc.master, NodeKey(node));
    if (!edit.commit())
        return false;
    removeNode(tree, node);
    return true;
}

bool DeleteBranch(QTreeWidget *tree, DocState &doc)
{
    QTreeWidgetItem *node = tree->currentItem();
    if (!IsBranch(node))
        return false;
    const QByteArray line = NodeLine(node);
    const qsizetype at = doc.master.findNodeLine(line);
    if (at < 0) {
        ShowPlain(doc, NotFoundMessage("DeleteBranch"));
        removeNode(tree, node);
        return false;
    }
    MasterEdit edit(doc);
    QList<QByteArray> removed;
    CutBranchLines(doc.master.nodes(), removed, line, at);
    DeleteItemTexts(doc.master, removed);
    if (!edit.commit())
        return false;
    removeNode(tree, node);
    return true;
}
