#pragma once
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
class UserMessages;
struct DocState;

// Moving nodes among their siblings and to another parent, in the explorer
// and in the master file together. Branches stay ahead of the items of their
// parent and a branch always moves with everything below it. A move that
// cannot be written (its line is missing from the file, or the write fails)
// leaves explorer and file as they were, after saying why. Each answers
// whether the document changed; then documentChanged is set. The caller
// runs AutoCheck.

// Whether the node may move one place up / down among its siblings: an item
// only past an item, a branch only past a branch.
bool CanMoveUp(const QTreeWidgetItem *node);
bool CanMoveDown(const QTreeWidgetItem *node);

bool MoveUp(QTreeWidget *tree, QTreeWidgetItem *node, DocState &doc);
bool MoveDown(QTreeWidget *tree, QTreeWidgetItem *node, DocState &doc);

// Whether `destination` lies below `source`.
bool IsSubnode(const QTreeWidgetItem *destination, const QTreeWidgetItem *source);
// Whether a child of `node` has exactly `name` (letter case counts).
bool HasChildNamed(const QTreeWidgetItem *node, const QString &name);

// Whether `source` may be dropped onto `destination`; shows the refusal.
bool CheckDragDrop(const QTreeWidgetItem *source, const QTreeWidgetItem *destination,
                   UserMessages *ui);

// Moves `source` below `destination`: a branch becomes its first child, an
// item its first item (after its branches). Selects the moved node.
bool DragDropMove(QTreeWidget *tree, QTreeWidgetItem *source, QTreeWidgetItem *destination,
                  DocState &doc);

// The caption and text of a refused drop; an empty text when it is allowed.
struct DropRefusal
{
    QString caption;
    QString text;
};
DropRefusal DragDropRefusal(const QTreeWidgetItem *source, const QTreeWidgetItem *destination);
