// The File menu: New, Open, Save, Save As, the recent files and Exit.
#include "shell/MainWindow.h"

#include "settings/Product.h"
#include "shell/DialogFolder.h"
#include "shell/Dialogs.h"
#include "shell/RecentFiles.h"
#include "shell/RichEdit.h"
#include "shell/WorkFolder.h"
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
    ApplyDocumentLock(false);
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
    if (!ClaimDocument(path)) {
        AfterRefusedOpen();
        return;
    }
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

void TfrmTree::OpenByName(const QString &path, ReadAhead *readAhead)
{
    tvwTree->setUpdatesEnabled(false);
    if (!ClaimDocument(path)) {
        AfterRefusedOpen();
        return;
    }
    const OpenResult result = OpenTreeFile(tvwTree, txtEdit, m_doc, path, readAhead);
    m_doc.busy = true;
    if (result == OpenResult::Refused)
        AfterRefusedOpen();
    else if (result == OpenResult::Failed)
        AfterFailedOpen();
    else
        AfterOpen(true);
}

bool TfrmTree::CatchUpMasterFile(QString *reason)
{
    QString why;
    if (!RestoreMasterFile(m_doc, m_master, &why)
        || (m_masterBehind && !m_doc.master.save(&why))) {
        if (reason)
            *reason = why;
        return false;
    }
    m_masterBehind = false;
    return true;
}

QString TfrmTree::PrepareSave()
{
    // A deleted work folder is made again and takes the text as usual. When
    // the master file cannot be written, the text joins the document in
    // memory, which the save writes straight to the user's file.
    QString unusable;
    if (CatchUpMasterFile(&unusable))
        SaveItemText(tvwTree, txtEdit, m_doc, &unusable);
    if (!unusable.isEmpty() && m_doc.itemTextChanged) {
        KeepItemTextInMemory(txtEdit, m_doc);
        m_masterBehind = true;
    }
    return unusable;
}

bool TfrmTree::SaveMasterTo(const QString &path, const QString &unusable)
{
    // The user's file is replaced only by a complete new one, written the
    // way the master file itself is written (atomically, every failure caught).
    MasterFile target = m_doc.master;
    // A link is written through to the file it names.
    target.setPath(PrepareBackups(path));
    QString reason;
    const bool saved = target.save(&reason, true);
    FinishBackups(target.path(), saved);
    if (saved) {
        StampDiskFile(target.path(), target);
        if (!unusable.isEmpty())
            m_dialogs->showMessage(ProductName() + QStringLiteral(" cannot use its work folder ")
                                   + QDir::toNativeSeparators(m_doc.workFolder) + QStringLiteral(" (")
                                   + unusable + QStringLiteral("). The document was saved straight to ")
                                   + QDir::toNativeSeparators(path) + QStringLiteral("."));
        return true;
    }
    m_dialogs->showMessage(ProductName() + QStringLiteral(" cannot save the document to ")
                           + QDir::toNativeSeparators(path) + QStringLiteral(". (") + reason
                           + QStringLiteral(")\nYour changes are kept; save them to another file."));
    return false;
}

void TfrmTree::FileSave1Execute()
{
    if (m_readOnly || !EndRename())
        return;
    m_doc.saveCancelled = false;
    // Never without the editor's text: it is stored, or kept in memory when
    // the work folder cannot take it.
    const QString unusable = PrepareSave();
    if (m_doc.untitled) {
        SaveAs(unusable);
        return;
    }
    if (m_doc.documentChanged && ConfirmOverwrite(unusable) && SaveMasterTo(m_doc.documentPath, unusable))
        m_doc.documentChanged = false;
}

void TfrmTree::FileSaveAs1Execute()
{
    if (m_readOnly || !EndRename())
        return;
    // The menu's opening has stored the editor's text; text it could not
    // store is taken now.
    SaveAs(PrepareSave());
}

void TfrmTree::SaveAs(const QString &unusable)
{
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
    if (!SaveMasterTo(path, unusable))
        return;
    m_doc.documentPath = path;
    m_doc.documentTitle = DocumentTitleFor(path);
    m_docLock.take(path);
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
