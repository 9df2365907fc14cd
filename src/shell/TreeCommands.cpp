// The Tree menu: adding, deleting, renaming, expanding and collapsing nodes.
#include "shell/MainWindow.h"

#include "shell/Dialogs.h"
#include "shell/ExplorerTree.h"
#include "shell/RichEdit.h"
#include "store/CheckMemo.h"
#include "store/Integrity.h"
#include "store/TreeKeys.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void TfrmTree::CreateTreeMenu()
{
    auto add = [this](const char *name, const QString &caption, void (TfrmTree::*slot)()) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        mnuTree->addAction(a);
        return a;
    };
    mnuAddBranch = add("mnuAddBranch", QStringLiteral("Add &Branch"), &TfrmTree::mnuAddBranchClick);
    mnuAddItem = add("mnuAddItem", QStringLiteral("Add &Item"), &TfrmTree::mnuAddItemClick);
    mnuTree->addSeparator();
    Delete2 = add("Delete2", QStringLiteral("&Delete"), &TfrmTree::Delete2Execute);
    mnuRename = add("mnuRename", QStringLiteral("&Rename"), &TfrmTree::mnuRenameClick);
    mnuTree->addSeparator();
    mnuTree->addAction(PrintPreview1);
    mnuTree->addAction(PrintItem1);
    mnuTree->addSeparator();
    mnuExpand = add("mnuExpand", QStringLiteral("&Expand All Branches"), &TfrmTree::mnuExpandClick);
    mnuCollapse = add("mnuCollapse", QStringLiteral("Co&llapse All Branches"), &TfrmTree::mnuCollapseClick);

    // Opening the menu stores the editor's text first; then the entries
    // follow the selected node.
    connect(mnuTree, &QMenu::aboutToShow, this, [this] {
        StorePoint();
        QTreeWidgetItem *node = tvwTree->currentItem();
        const bool parentNode = IsRoot(node) || IsBranch(node);
        mnuAddBranch->setEnabled(parentNode);
        mnuAddItem->setEnabled(parentNode);
        Delete2->setEnabled(IsBranch(node) || IsItem(node));
        Delete2->setText(IsItem(node)     ? QStringLiteral("&Delete Item")
                         : IsBranch(node) ? QStringLiteral("&Delete Branch")
                                          : QStringLiteral("&Delete"));
        mnuRename->setEnabled(IsBranch(node) || IsItem(node));
        SetItemCommandsEnabled(IsItem(node));
    });
}

void TfrmTree::mnuAddBranchClick()
{
    if (m_doc.busy)
        return;
    AddBranch(tvwTree, txtEdit, [this](const QString &path) { sbPath->setText(path); }, m_doc);
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuAddItemClick()
{
    if (m_doc.busy)
        return;
    if (AddItem(tvwTree, txtEdit, [this](const QString &path) { sbPath->setText(path); }, m_doc))
        SetItemCommandsEnabled(true);
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::Delete2Execute()
{
    QTreeWidgetItem *node = tvwTree->currentItem();
    if (m_doc.busy || !node || IsRoot(node) || (!IsItem(node) && !IsBranch(node)))
        return;
    StorePoint();
    const bool item = IsItem(node);
    const int key = NodeKey(node);
    const int carriers = TreeKeys::of(tvwTree).count(key); // a damaged file may share a key
    if (ConfirmDelete(m_dialogs, node->text(0), item)) {
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
            m_doc.currentItemKey = 0;
            m_doc.itemTextChanged = false;
            tvwTreeChange(tvwTree->currentItem(), nullptr);
        }
    }
    m_doc.documentChanged = true;
    AutoCheckIfChanged(tvwTree, m_doc);
}

void TfrmTree::mnuRenameClick()
{
    QTreeWidgetItem *node = tvwTree->currentItem();
    if (node && !IsRoot(node))
        static_cast<ExplorerTree *>(tvwTree)->startRename(node);
}

void TfrmTree::mnuExpandClick()
{
    tvwTree->expandAll();
}

void TfrmTree::mnuCollapseClick()
{
    // Collapsing selects the root and clears the editor: its text first.
    if (!StorePoint())
        return;
    tvwTree->collapseAll();
    m_doc.busy = true;
    ShowSelectionPath();
    txtEdit->clearContent();
    tvwTree->setCurrentItem(FirstNode(tvwTree));
    SetItemCommandsEnabled(false);
    txtEdit->setEditorEnabled(false);
    m_doc.currentItemKey = 0;
    m_doc.itemTextChanged = false;
    m_doc.busy = false;
    ShowSelectionPath();
}
