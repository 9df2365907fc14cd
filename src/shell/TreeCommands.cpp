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
    AddBranch(tvwTree, txtEdit, [this](const QString &path) { sbPath->setText(path); }, m_doc);
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuAddItemClick()
{
    if (m_doc.busy || m_readOnly || !EndRename() || !StorePoint())
        return;
    if (AddItem(tvwTree, txtEdit, [this](const QString &path) { sbPath->setText(path); }, m_doc))
        SetItemCommandsEnabled(true);
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuMoveUpClick()
{
    if (m_doc.busy || m_readOnly || !EndRename())
        return;
    StorePoint();
    if (MoveUp(tvwTree, tvwTree->currentItem(), m_doc))
        AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuMoveDownClick()
{
    if (m_doc.busy || m_readOnly || !EndRename())
        return;
    StorePoint();
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
    if (item)
        DeleteItem(tvwTree, m_doc);
    else
        DeleteBranch(tvwTree, m_doc);
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
