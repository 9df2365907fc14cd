// The File menu: New, Open, Save, Save As, the recent files and Exit.
#include "shell/MainWindow.h"

#include "settings/Product.h"
#include "shell/DialogFolder.h"
#include "shell/Dialogs.h"
#include "shell/RecentFiles.h"
#include "shell/RichEdit.h"
#include "store/Loader.h"
#include "store/NodeOps.h"
#include "store/TreeFormat.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>

namespace {

const QString kFilter = QStringLiteral("Quivora files (*.qvr)");
const QString kSuffix = QStringLiteral("qvr");

} // namespace

bool TfrmTree::GuardedStart()
{
    if (m_doc.busy || !EndRename())
        return false;
    m_doc.busy = true;
    // Text that could not be stored stays in the editor; nothing replaces it.
    if (!StorePoint() || !AskSaveChanges()) {
        m_doc.busy = false;
        return false;
    }
    return true;
}

void TfrmTree::FileNew1Execute()
{
    if (!GuardedStart())
        return;
    QFile::remove(m_doc.masterPath());
    QFile::remove(m_doc.workFolder + QStringLiteral("ItemText"));
    tvwTree->setUpdatesEnabled(false);
    NewTreeFile(tvwTree, txtEdit, m_doc);
    tvwTree->setUpdatesEnabled(true);
    m_doc.busy = true;
    QTreeWidgetItem *selected = tvwTree->currentItem();
    if (IsItem(selected)) {
        txtEdit->setEditorEnabled(true);
        m_doc.currentItemKey = NodeKey(selected);
        LoadItemText(tvwTree, txtEdit, m_doc);
    } else {
        txtEdit->setEditorEnabled(false);
        m_doc.currentItemKey = 0;
    }
    ShowSelectionPath();
    UpdateCaption();
    m_doc.documentChanged = false;
    m_doc.itemTextChanged = false;
    m_doc.busy = false;
}

void TfrmTree::FileOpen1Execute()
{
    if (!GuardedStart())
        return;
    tvwTree->setUpdatesEnabled(false);
    FileDialogRequest request;
    request.caption = QStringLiteral("Open");
    request.folder = DialogStartFolder(m_doc.documentPath);
    request.fileName = QFileInfo(m_lastOpenName).fileName();
    request.filter = kFilter;
    request.defaultSuffix = kSuffix;
    request.mustExist = true;
    const QString path = m_dialogs->openFileName(request);
    if (path.isEmpty()) {
        tvwTree->setUpdatesEnabled(true);
        ShowSelectionPath();
        UpdateCaption();
        m_doc.busy = false;
        return;
    }
    m_lastOpenName = path;
    RememberDialogFolder(path);
    const OpenResult result = OpenTreeFile(tvwTree, txtEdit, m_doc, path);
    m_doc.busy = true;
    if (result == OpenResult::Refused)
        AfterRefusedOpen();
    else
        AfterOpen(result == OpenResult::Opened);
}

void TfrmTree::mnuMRUClick(int slot)
{
    const QString path = mnuMRU[slot]->data().toString();
    if (path.isEmpty() || !GuardedStart())
        return;
    OpenByName(path);
}

void TfrmTree::OpenByName(const QString &path)
{
    tvwTree->setUpdatesEnabled(false);
    const OpenResult result = OpenTreeFile(tvwTree, txtEdit, m_doc, path);
    m_doc.busy = true;
    if (result == OpenResult::Refused)
        AfterRefusedOpen();
    else if (result == OpenResult::Failed)
        AfterFailedOpen();
    else
        AfterOpen(true);
}

bool TfrmTree::SaveMasterTo(const QString &path)
{
    // The user's file is replaced only by a complete new one, written the
    // way the master file itself is written (atomically, every failure caught).
    MasterFile target = m_doc.master;
    target.setPath(path);
    QString reason;
    if (target.save(&reason))
        return true;
    m_dialogs->showMessage(ProductName() + QStringLiteral(" cannot save the document to ")
                           + QDir::toNativeSeparators(path) + QStringLiteral(". (") + reason
                           + QStringLiteral(")\nYour changes are kept; save them to another file."));
    return false;
}

void TfrmTree::FileSave1Execute()
{
    if (!EndRename())
        return;
    m_doc.saveCancelled = false;
    // Saving without the editor's text would report its loss as success;
    // DocumentChanged stays set, so whoever asked stops too.
    if (!StorePoint())
        return;
    if (m_doc.untitled) {
        FileSaveAs1Execute();
        return;
    }
    if (m_doc.documentChanged && SaveMasterTo(m_doc.documentPath))
        m_doc.documentChanged = false;
}

void TfrmTree::FileSaveAs1Execute()
{
    if (!EndRename())
        return;
    FileDialogRequest request;
    request.caption = QStringLiteral("Save As");
    request.folder = DialogStartFolder(m_doc.documentPath);
    request.filter = kFilter;
    request.defaultSuffix = kSuffix;
    QString path = m_dialogs->saveFileName(request);
    if (path.isEmpty()) {
        m_doc.saveCancelled = true;
        return;
    }
    RememberDialogFolder(path);
    if (QFileInfo(path).suffix().isEmpty()) {
        // Some file dialogs ask about replacing a file before the extension
        // is added, so ask again about the completed name.
        path += QLatin1Char('.') + kSuffix;
        if (QFileInfo::exists(path)) {
            const MsgButton answer = m_dialogs->messageBox(
                QStringLiteral("Save As"),
                QDir::toNativeSeparators(path)
                    + QStringLiteral(" already exists.\nDo you want to replace it?"),
                MsgIcon::Warning, MsgButton::Yes | MsgButton::No);
            if (answer != MsgButton::Yes) {
                m_doc.saveCancelled = true;
                return;
            }
        }
    }
    if (!SaveMasterTo(path))
        return;
    m_doc.documentPath = path;
    m_doc.documentTitle = DocumentTitleFor(path);
    UpdateCaption();
    AddRecentFileAndShow(path);
    m_doc.untitled = false;
    m_doc.documentChanged = false;
}

void TfrmTree::FileExit1Execute()
{
    close();
}

void TfrmTree::AddRecentFileAndShow(const QString &path)
{
    bool changed = false;
    const QStringList slots = AddRecentFile(path, &changed);
    if (changed)
        ShowRecentFiles(slots);
}

void TfrmTree::ShowRecentFiles(const QStringList &slots)
{
    for (int i = 0; i < RecentFileSlots; ++i) {
        const QString path = slots.value(i);
        mnuMRU[i]->setText(RecentFileCaption(i, path));
        mnuMRU[i]->setData(path);
        mnuMRU[i]->setVisible(!path.isEmpty());
        mnuMRU[i]->setEnabled(!path.isEmpty());
    }
    mnuSep8->setVisible(!slots.value(0).isEmpty());
    mnuSep8->setEnabled(!slots.value(0).isEmpty());
}
