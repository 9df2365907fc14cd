// The Tree menu and the explorer's pop-up menu: adding, moving, deleting,
// renaming, expanding and collapsing nodes, and the drop of a dragged node.
#include "shell/MainWindow.h"

#include "shell/Dialogs.h"
#include "shell/ExplorerTree.h"
#include "shell/RichEdit.h"
#include "store/CheckMemo.h"
#include "store/Integrity.h"
#include "store/NodeMoves.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"
#include "store/TreeHistory.h"
#include "store/TreeFormat.h"
#include "store/TreeKeys.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

// The entries a tree menu enables for the selected node.
struct TreeEntries
{
    QAction *addBranch, *addItem, *moveUp, *moveDown, *del, *rename;
};

void EnableTreeEntries(const TreeEntries &e, QTreeWidgetItem *node)
{
    const bool parentNode = IsRoot(node) || IsBranch(node);
    const bool child = IsBranch(node) || IsItem(node);
    e.addBranch->setEnabled(parentNode);
    e.addItem->setEnabled(parentNode);
    e.rename->setEnabled(child);
    e.del->setEnabled(child);
    e.del->setText(IsItem(node)     ? QStringLiteral("&Delete Item")
                   : IsBranch(node) ? QStringLiteral("&Delete Branch")
                                    : QStringLiteral("&Delete"));
    e.moveUp->setEnabled(child && CanMoveUp(node));
    e.moveDown->setEnabled(child && CanMoveDown(node));
}

} // namespace

void TfrmTree::CreateTreeMenu()
{
    auto make = [this](const char *name, const QString &caption, void (TfrmTree::*slot)()) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    Delete2 = make("Delete2", QStringLiteral("&Delete"), &TfrmTree::Delete2Execute);
    const auto deleteEntry = [this](const char *name) {
        auto *a = new QAction(QStringLiteral("&Delete"), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, Delete2, &QAction::trigger);
        return a;
    };
    mnuAddBranch = make("mnuAddBranch", QStringLiteral("Add &Branch"), &TfrmTree::mnuAddBranchClick);
    mnuAddItem = make("mnuAddItem", QStringLiteral("Add &Item"), &TfrmTree::mnuAddItemClick);
    mnuMoveUp = make("mnuMoveUp", QStringLiteral("Move &Up"), &TfrmTree::mnuMoveUpClick);
    mnuMoveDown = make("mnuMoveDown", QStringLiteral("Move D&own"), &TfrmTree::mnuMoveDownClick);
    mnuDelete = deleteEntry("mnuDelete");
    mnuRename = make("mnuRename", QStringLiteral("&Rename"), &TfrmTree::mnuRenameClick);
    mnuExpand = make("mnuExpand", QStringLiteral("&Expand All Branches"), &TfrmTree::mnuExpandClick);
    mnuCollapse = make("mnuCollapse", QStringLiteral("Co&llapse All Branches"), &TfrmTree::mnuCollapseClick);
    const auto undoEntry = [&make](const char *name, bool redo, bool popup) {
        QAction *a = make(name, redo ? QStringLiteral("Redo") : QStringLiteral("U&ndo"),
                          redo ? &TfrmTree::mnuRedoTreeClick : &TfrmTree::mnuUndoTreeClick);
        a->setToolTip(redo ? QStringLiteral("Redo") : QStringLiteral("Undo"));
        a->setStatusTip(redo ? QStringLiteral("Brings back the last tree change undone")
                             : QStringLiteral("Takes back the last change to the tree"));
        a->setShortcut(redo ? QKeySequence(QStringLiteral("Ctrl+Alt+Y"))
                            : QKeySequence(QStringLiteral("Ctrl+Alt+Z")));
        // The pop-up's entries show the keys; only the Tree menu's take them.
        if (popup)
            a->setShortcutContext(Qt::WidgetShortcut);
        a->setEnabled(false);
        return a;
    };
    mnuUndoTree = undoEntry("mnuUndoTree", false, false);
    mnuRedoTree = undoEntry("mnuRedoTree", true, false);
    mnuTree->addActions({mnuUndoTree, mnuRedoTree});
    mnuTree->addSeparator();
    mnuTree->addActions({mnuAddBranch, mnuAddItem});
    mnuTree->addSeparator();
    mnuTree->addActions({mnuMoveUp, mnuMoveDown});
    mnuTree->addSeparator();
    mnuTree->addActions({mnuDelete, mnuRename});
    mnuTree->addSeparator();
    mnuTree->addActions({PrintPreview1, PrintItem1});
    mnuTree->addSeparator();
    mnuTree->addActions({mnuExpand, mnuCollapse});
    connect(mnuTree, &QMenu::aboutToShow, this, &TfrmTree::UpdateTreeMenu);

    mnuPopUpTree = new QMenu(this);
    mnuPopUpTree->setObjectName(QStringLiteral("mnuPopUpTree"));
    AddBranch1 = make("AddBranch1", QStringLiteral("Add &Branch"), &TfrmTree::mnuAddBranchClick);
    AddItem1 = make("AddItem1", QStringLiteral("Add &Item"), &TfrmTree::mnuAddItemClick);
    MoveUp1 = make("MoveUp1", QStringLiteral("Move &Up"), &TfrmTree::mnuMoveUpClick);
    MoveDown1 = make("MoveDown1", QStringLiteral("Move D&own"), &TfrmTree::mnuMoveDownClick);
    Delete1 = deleteEntry("Delete1");
    Rename1 = make("Rename1", QStringLiteral("&Rename"), &TfrmTree::mnuRenameClick);
    ExpandAllBranches1 = make("ExpandAllBranches1", QStringLiteral("&Expand All Branches"),
                              &TfrmTree::ExpandAllBranches1Click);
    CollapseAllBranches1 = make("CollapseAllBranches1", QStringLiteral("Co&llapse All Branches"),
                                &TfrmTree::CollapseAllBranches1Click);
    UndoTree1 = undoEntry("UndoTree1", false, true);
    RedoTree1 = undoEntry("RedoTree1", true, true);
    mnuPopUpTree->addActions({UndoTree1, RedoTree1});
    mnuPopUpTree->addSeparator();
    mnuPopUpTree->addActions({AddBranch1, AddItem1});
    mnuPopUpTree->addSeparator();
    mnuPopUpTree->addActions({MoveUp1, MoveDown1});
    mnuPopUpTree->addSeparator();
    mnuPopUpTree->addActions({Delete1, Rename1});
    mnuPopUpTree->addSeparator();
    mnuPopUpTree->addAction(PrintItem1);
    mnuPopUpTree->addSeparator();
    mnuPopUpTree->addActions({ExpandAllBranches1, CollapseAllBranches1});
    connect(mnuPopUpTree, &QMenu::aboutToShow, this, &TfrmTree::UpdateTreePopup);
    m_doc.history.changed = [this] { UpdateUndoEntries(); };
    tvwTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tvwTree, &QWidget::customContextMenuRequested, this, &TfrmTree::ShowTreePopup);
}

void TfrmTree::UpdateTreeMenu()
{
    StorePoint();
    QTreeWidgetItem *node = tvwTree->currentItem();
    EnableTreeEntries({mnuAddBranch, mnuAddItem, mnuMoveUp, mnuMoveDown, mnuDelete, mnuRename}, m_readOnly ? nullptr : node);
    SetItemCommandsEnabled(IsItem(node));
}

void TfrmTree::UpdateTreePopup()
{
    StorePoint();
    EnableTreeEntries({AddBranch1, AddItem1, MoveUp1, MoveDown1, Delete1, Rename1}, m_readOnly ? nullptr : tvwTree->currentItem());
}

void TfrmTree::UpdateUndoEntries()
{
    const bool undo = m_doc.history.canUndo();
    const bool redo = m_doc.history.canRedo();
    for (QAction *a : {mnuUndoTree, UndoTree1})
        a->setEnabled(undo);
    for (QAction *a : {mnuRedoTree, RedoTree1})
        a->setEnabled(redo);
}

void TfrmTree::UndoTreeChange(bool redo)
{
    if (m_doc.busy || !EndRename() || !StorePoint())
        return;
    if (::UndoTreeChange(tvwTree, txtEdit, m_doc, redo) != UndoResult::Done)
        return;
    SetItemCommandsEnabled(m_doc.currentItemKey != 0);
    ShowSelectionPath();
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuUndoTreeClick()
{
    UndoTreeChange(false);
}

void TfrmTree::mnuRedoTreeClick()
{
    UndoTreeChange(true);
}

void TfrmTree::ShowTreePopup(const QPoint &pos)
{
    // The pop-up acts on the node under the mouse: a selection change first.
    if (QTreeWidgetItem *node = tvwTree->itemAt(pos))
        tvwTree->setCurrentItem(node);
    mnuPopUpTree->popup(tvwTree->viewport()->mapToGlobal(pos));
}

void TfrmTree::mnuAddBranchClick()
{
    // Adding clears the editor: text that cannot be stored keeps it waiting.
    if (m_doc.busy || m_readOnly || !EndRename() || !StorePoint())
        return;
    {
        TreeStepScope step(m_doc, 0);
        if (AddBranch(tvwTree, txtEdit, [this](const QString &path) { sbPath->setText(path); }, m_doc))
            step.key = NodeKey(tvwTree->currentItem());
    }
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuAddItemClick()
{
    if (m_doc.busy || m_readOnly || !EndRename() || !StorePoint())
        return;
    {
        TreeStepScope step(m_doc, 0);
        if (AddItem(tvwTree, txtEdit, [this](const QString &path) { sbPath->setText(path); }, m_doc)) {
            step.key = NodeKey(tvwTree->currentItem());
            SetItemCommandsEnabled(true);
        }
    }
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuMoveUpClick()
{
    if (m_doc.busy || m_readOnly || !EndRename())
        return;
    StorePoint();
    TreeStepScope step(m_doc, NodeKey(tvwTree->currentItem()));
    if (MoveUp(tvwTree, tvwTree->currentItem(), m_doc))
        AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuMoveDownClick()
{
    if (m_doc.busy || m_readOnly || !EndRename())
        return;
    StorePoint();
    TreeStepScope step(m_doc, NodeKey(tvwTree->currentItem()));
    if (MoveDown(tvwTree, tvwTree->currentItem(), m_doc))
        AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::tvwTreeDragDrop(QTreeWidgetItem *target)
{
    QTreeWidgetItem *source = tvwTree->currentItem(); // the dragged node is the selected one
    if (m_doc.busy || m_readOnly || !source || !target || !EndRename())
        return;
    if (!CheckDragDrop(source, target, m_dialogs))
        return;
    TreeStepScope step(m_doc, NodeKey(source));
    if (DragDropMove(tvwTree, source, target, m_doc)) {
        ShowSelectionPath();
        AutoCheckIfChanged(tvwTree, m_doc);
    }
}

void TfrmTree::Delete2Execute()
{
    QTreeWidgetItem *node = tvwTree->currentItem();
    if (m_doc.busy || m_readOnly || !node || IsRoot(node) || (!IsItem(node) && !IsBranch(node)) || !EndRename())
        return;
    StorePoint();
    const bool item = IsItem(node);
    const int key = NodeKey(node);
    const int carriers = TreeKeys::of(tvwTree).count(key); // a damaged file may share a key
    if (!ConfirmDelete(m_dialogs, node->text(0), item))
        return; // nothing changed: closing need not ask to save
    m_doc.busy = true;
    {
        TreeStepScope step(m_doc, key);
        if (item)
            DeleteItem(tvwTree, m_doc);
        else
            DeleteBranch(tvwTree, m_doc);
    }
    m_doc.busy = false;
    // A delete whose write failed keeps the node, and the editor keeps
    // whatever text it holds. Otherwise the selection moved on while the
    // deleted node left: show the node now selected.
    if (TreeKeys::of(tvwTree).count(key) < carriers) {
        m_doc.documentChanged = true;
        m_doc.currentItemKey = 0;
        m_doc.itemTextChanged = false;
        tvwTreeChange(tvwTree->currentItem(), nullptr);
    }
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuRenameClick()
{
    QTreeWidgetItem *node = tvwTree->currentItem();
    if (node && !IsRoot(node) && !m_readOnly)
        static_cast<ExplorerTree *>(tvwTree)->startRename(node);
}

void TfrmTree::DiscardRename()
{
    static_cast<ExplorerTree *>(tvwTree)->cancelRename();
}

void TfrmTree::mnuExpandClick()
{
    DiscardRename();
    tvwTree->expandAll();
}

void TfrmTree::ExpandAllBranches1Click()
{
    tvwTree->expandAll();
}

void TfrmTree::mnuCollapseClick()
{
    DiscardRename();
    // Collapsing selects the root and clears the editor: its text first.
    if (!StorePoint())
        return;
    tvwTree->collapseAll();
    m_doc.busy = true;
    txtEdit->clearContent();
    tvwTree->setCurrentItem(FirstNode(tvwTree));
    SetItemCommandsEnabled(false);
    txtEdit->setEditorEnabled(false);
    m_doc.currentItemKey = 0;
    m_doc.itemTextChanged = false;
    m_doc.busy = false;
    ShowSelectionPath();
}

void TfrmTree::CollapseAllBranches1Click()
{
    tvwTree->collapseAll();
    // A node hidden inside a collapsed branch cannot stay selected: the
    // selection goes to the root as an ordinary selection change.
    QTreeWidgetItem *node = tvwTree->currentItem();
    if (node && node->parent())
        tvwTree->setCurrentItem(FirstNode(tvwTree));
}
