// The explorer and the editor: when item text moves between the editor and
// the master file, how a change is noticed, renaming in place, the Delete
// key and drags inside the explorer.
#include "shell/MainWindow.h"

#include "shell/ExplorerTree.h"
#include "shell/RichEdit.h"
#include "store/Integrity.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"
#include "store/TreeHistory.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

void TfrmTree::ConnectExplorerAndEditor()
{
    auto *explorer = static_cast<ExplorerTree *>(tvwTree);
    connect(tvwTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *previous) {
                tvwTreeChange(current, previous);
            });
    connect(txtEdit, &QTextEdit::textChanged, this, &TfrmTree::txtEditChange);
    txtEdit->installEventFilter(this);

    // The root keeps its name; every other node may be renamed, also right
    // after it was added (while the add still holds Busy).
    explorer->canEdit = [this](QTreeWidgetItem *node) { return !IsRoot(node) && !m_readOnly; };
    explorer->commitEdit = [this](QTreeWidgetItem *node, const QString &text) {
        TreeStepScope step(m_doc, NodeKey(node));
        return RenameNode(tvwTree, node, text, m_doc,
                          [this](const QString &path) { sbPath->setText(path); });
    };
    connect(explorer, &ExplorerTree::deletePressed, this, &TfrmTree::Delete2Execute);
    connect(explorer, &ExplorerTree::nodeDropped, this, &TfrmTree::tvwTreeDragDrop);
}

bool TfrmTree::StorePoint()
{
    if (m_readOnly)
        return true; // nothing can have been typed
    // A master file gone with its work folder is written again from memory first.
    if (!m_doc.master.existsOnDisk() || m_masterBehind)
        CatchUpMasterFile(nullptr);
    SaveItemText(tvwTree, txtEdit, m_doc);
    // Text that is still unstored keeps whatever would replace it waiting.
    return !(m_doc.itemTextChanged && m_doc.currentItemKey != 0);
}

bool TfrmTree::EndRename()
{
    return static_cast<ExplorerTree *>(tvwTree)->finishRename();
}

bool TfrmTree::tvwTreeChange(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (!m_doc.activated || m_doc.busy)
        return false;
    Q_UNUSED(previous);
    m_doc.busy = true;
    if (!StorePoint()) {
        // The text could not be stored: go back to its item, text and all.
        // The item is found again by key, as it may be gone by then.
        const int key = m_doc.currentItemKey;
        QTimer::singleShot(0, this, [this, key] {
            QTreeWidgetItem *item = nullptr;
            ForEachNode(tvwTree, [&](QTreeWidgetItem *n) {
                if (NodeKey(n) == key)
                    item = n;
                return !item;
            });
            m_doc.busy = true;
            if (item)
                tvwTree->setCurrentItem(item);
            m_doc.busy = false;
        });
        m_doc.busy = false;
        return false;
    }
    // The item being left keeps its editor with its undo steps while its
    // stored text stays as it is.
    if (m_doc.currentItemKey != 0)
        txtEdit->keepDocument(m_doc.generation, m_doc.currentItemKey, m_doc.master.blockText(m_doc.currentItemKey));
    else
        txtEdit->clearContent();
    if (IsItem(current)) {
        txtEdit->setEditorEnabled(true);
        m_doc.currentItemKey = NodeKey(current);
        if (!txtEdit->restoreDocument(m_doc.generation, m_doc.currentItemKey,
                                      m_doc.master.blockText(m_doc.currentItemKey)))
            LoadItemText(tvwTree, txtEdit, m_doc);
        SetItemCommandsEnabled(true);
    } else {
        txtEdit->setEditorEnabled(false);
        SetItemCommandsEnabled(false);
        m_doc.currentItemKey = 0;
    }
    // Freshly loaded text, or none at all, holds no change of the user's.
    m_doc.itemTextChanged = false;
    sbPath->setText(QStringLiteral("   ") + NodePath(current));
    m_doc.busy = false;
    return true;
}

void TfrmTree::txtEditChange()
{
    if (m_doc.activated && !m_doc.busy)
        m_doc.itemTextChanged = true;
}

void TfrmTree::txtEditExit()
{
    if (!m_doc.busy)
        StorePoint();
}

bool TfrmTree::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == tvwTree->viewport()) {
        watched->removeEventFilter(this);
        m_firstPaintDone = true;
        // The window shows the new document: a start-up file waiting for the
        // timer opens as soon as this paint is done.
        if (tmrDelay->isActive())
            QTimer::singleShot(0, this, &TfrmTree::tmrDelayTimer);
    }
    if (watched == txtEdit && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window counts; menus,
        // dialogs and message boxes take the focus only for a while.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            QTimer::singleShot(0, this, [this] {
                QWidget *now = QApplication::focusWidget();
                if (now && now != txtEdit && now->window() == this)
                    txtEditExit();
            });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
