// The safety net around the document: typed text reaches the disk while the
// user pauses, work left by a copy that ended without closing is offered at
// the next start, a copy told to end (logout, shutdown) keeps unsaved work,
// and Save keeps the previous versions of the file.
#include "shell/MainWindow.h"

#include "settings/Product.h"
#include "settings/SettingsTable.h"
#include "shell/Dialogs.h"
#include "shell/ExplorerTree.h"
#include "shell/RichEdit.h"
#include "store/Backups.h"
#include "store/DocumentLock.h"
#include "store/FileStamp.h"
#include "store/Loader.h"
#include "store/NodeOps.h"
#include "store/Recovery.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int IdleStoreDelayMs = 2000;

// The signal handler only writes a byte; the window reads it in its loop.
int s_signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(s_signalPipe[1], &byte, 1);
}

bool installTerminationHandlers()
{
    if (s_signalPipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalPipe) != 0)
        return false;
    ::fcntl(s_signalPipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(s_signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGHUP, &action, nullptr) == 0;
}

QString leftWorkEntry(const LeftWork &work)
{
    const QString document = work.document.isEmpty() ? QStringLiteral("new document")
                                                      : QDir::toNativeSeparators(work.document);
    return document + QStringLiteral(", last changed ")
           + QLocale().toString(work.changed, QLocale::ShortFormat);
}

} // namespace

void TfrmTree::SetUpSafety()
{
    tmrIdleStore = new QTimer(this);
    tmrIdleStore->setObjectName(QStringLiteral("tmrIdleStore"));
    tmrIdleStore->setSingleShot(true);
    tmrIdleStore->setInterval(IdleStoreDelayMs);
    connect(tmrIdleStore, &QTimer::timeout, this, &TfrmTree::IdleStore);
    // Every keystroke puts the store off again (text the program puts in
    // arrives while Busy and counts for nothing).
    connect(txtEdit, &QTextEdit::textChanged, this, [this] {
        if (m_doc.activated && !m_doc.busy)
            tmrIdleStore->start();
    });
    if (installTerminationHandlers()) {
        auto *notifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            char byte = 0;
            if (::read(s_signalPipe[0], &byte, 1) == 1)
                EndBySignal();
        });
    }
}

void TfrmTree::IdleStore()
{
    // Never in the middle of the program's own change, a rename or a dialog:
    // try again after the next pause.
    if (m_doc.busy || static_cast<ExplorerTree *>(tvwTree)->renaming() || QApplication::activeModalWidget()
        || QApplication::activePopupWidget()) {
        tmrIdleStore->start();
        return;
    }
    // A journal that cannot be written leaves the text to the next store
    // point, which says why.
    StoreItemTextInJournal(txtEdit, m_doc);
}

void TfrmTree::RecordDocumentOwner()
{
    const QString record = m_doc.masterPath() + QLatin1Char('\n') + m_doc.documentPath + QLatin1Char('\n')
                           + m_doc.documentTitle;
    if (m_doc.masterPath().isEmpty() || record == m_ownerRecorded)
        return;
    WriteOwner(m_doc.masterPath(), m_doc.untitled ? QString() : m_doc.documentPath, m_doc.documentTitle);
    m_ownerRecorded = record;
}

void TfrmTree::OfferRecovery()
{
    if (!m_startedOk)
        return;
    QList<LeftWork> left = FindLeftWork(m_doc.workFolder, m_doc.masterPath());
    const QString caption = ProductName() + QStringLiteral(" - Unsaved work");
    const QString text = ProductName()
                         + QStringLiteral(" ended without closing while these documents had unsaved changes. "
                                          "Recover one, discard it, or decide later:");
    while (!left.isEmpty()) {
        QStringList entries;
        for (const LeftWork &work : left)
            entries << leftWorkEntry(work);
        const RecoveryAnswer answer = m_dialogs->askRecovery(caption, text, entries);
        if (answer.action == RecoveryAnswer::Later || answer.row < 0 || answer.row >= left.size())
            break;
        LeftWork &work = left[answer.row];
        if (answer.action == RecoveryAnswer::Discard) {
            const MsgButton sure = m_dialogs->messageBox(
                caption,
                QStringLiteral("Discard the unsaved changes to ") + entries[answer.row]
                    + QStringLiteral("? They cannot be brought back."),
                MsgIcon::Question, MsgButton::Yes | MsgButton::No);
            if (sure == MsgButton::Yes) {
                DeleteLeftWork(work);
                left.removeAt(answer.row);
            }
            continue;
        }
        if (RecoverLeftWork(work.master, work.document, work.title)) {
            DeleteLeftWork(work);
            left.removeAt(answer.row);
            m_pendingStartupFile.clear(); // the recovered document takes the window
        }
        break;
    }
    for (LeftWork &work : left)
        KeepLeftWork(work);
}

bool TfrmTree::RecoverLeftWork(const QString &master, const QString &document, const QString &title)
{
    LeftWork work;
    work.master = master;
    const QByteArray content = LeftWorkContent(work);
    if (content.isEmpty() || !GuardedStart())
        return false;
    tvwTree->setUpdatesEnabled(false);
    m_doc.master.setContent(content);
    QString reason;
    if (!m_doc.master.save(&reason)) {
        m_dialogs->showMessage(QStringLiteral("The work file %1 cannot be written: %2").arg(m_doc.masterPath(), reason));
        AfterRefusedOpen();
        return false;
    }
    m_doc.documentPath = document;
    if (!LoadTree(tvwTree, txtEdit, m_doc)) {
        AfterFailedOpen();
        return false;
    }
    m_doc.busy = true;
    m_doc.untitled = document.isEmpty();
    m_doc.documentTitle = title;
    m_doc.documentChanged = true;
    AfterOpen(false);
    // The file on disk is what the recovered work was not saved to.
    SetDiskStamp(document.isEmpty() ? FileStamp() : FileStamp::read(document));
    return true;
}

void TfrmTree::EndBySignal()
{
    // As a close without questions: a name being typed is taken when it can
    // be, the editor's text is stored, and unsaved work stays for the next start.
    if (!EndRename())
        static_cast<ExplorerTree *>(tvwTree)->cancelRename();
    PrepareSave();
    if (m_doc.documentChanged) {
        RecordDocumentOwner();
        KeepMasterFile(m_master);
    } else {
        ReleaseMasterFile(m_master);
    }
    QFile::remove(m_doc.workFolder + QStringLiteral("ItemText"));
    m_startedOk = false; // the close asks nothing more
    close();
    QCoreApplication::quit();
}

QString TfrmTree::PrepareBackups(const QString &path)
{
    const QString real = QFileInfo(path).exists() ? QFileInfo(path).canonicalFilePath() : path;
    if (QFileInfo::exists(real))
        WarnOfBackups(real, HoldPreviousVersion(real, BackupCount(settings::ReadText(settings::Setting::Backups))));
    return real;
}

void TfrmTree::FinishBackups(const QString &real, bool saved)
{
    if (saved)
        WarnOfBackups(real, KeepBackups(real, BackupCount(settings::ReadText(settings::Setting::Backups))));
    else
        DropPreviousVersion(real);
}

void TfrmTree::WarnOfBackups(const QString &real, const BackupResult &result)
{
    const QString folder = QFileInfo(real).absolutePath();
    if (!result.problem.isEmpty() && !m_backupWarned.contains(folder)) {
        m_backupWarned << folder;
        m_dialogs->showMessage(QStringLiteral("No backup of ") + QDir::toNativeSeparators(real)
                               + QStringLiteral(" can be kept in its folder (") + result.problem
                               + QStringLiteral("). The document is saved without one."));
    }
}

bool TfrmTree::ConfirmOverwrite(const QString &unusable)
{
    if (!DiskStamp().changedOnDisk(m_doc.documentPath))
        return true;
    const MsgButton answer = m_dialogs->messageBox(
        m_doc.documentTitle,
        QDir::toNativeSeparators(m_doc.documentPath)
            + QStringLiteral(" was changed by another program since it was opened or saved.\n"
                             "Yes: overwrite it with this document. No: save this document under another name. "
                             "Cancel: do not save."),
        MsgIcon::Warning, MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
    if (answer == MsgButton::Yes)
        return true;
    if (answer == MsgButton::No)
        SaveAs(unusable);
    else
        m_doc.saveCancelled = true;
    return false;
}

void TfrmTree::CheckDiskFile()
{
    if (!m_startedOk || !m_doc.activated || m_doc.busy || m_askingReload || m_doc.untitled
        || m_doc.documentChanged || m_doc.itemTextChanged || static_cast<ExplorerTree *>(tvwTree)->renaming()
        || !DiskStamp().changedOnDisk(m_doc.documentPath))
        return;
    // The question itself activates the window again when it closes.
    m_askingReload = true;
    const MsgButton answer = m_dialogs->messageBox(
        m_doc.documentTitle,
        QDir::toNativeSeparators(m_doc.documentPath)
            + QStringLiteral(" was changed by another program. Do you want to reload it?"),
        MsgIcon::Question, MsgButton::Yes | MsgButton::No);
    if (answer == MsgButton::Yes && GuardedStart())
        OpenByName(m_doc.documentPath);
    else
        DiskStamp().acknowledge(m_doc.documentPath);
    m_askingReload = false;
}

bool TfrmTree::ClaimDocument(const QString &path)
{
    m_openReadOnly = false;
    // This window's own document is opened again as its own.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if ((!m_doc.untitled && !m_readOnly && !canonical.isEmpty()
         && canonical == QFileInfo(m_doc.documentPath).canonicalFilePath())
        || !DocumentLock::HeldElsewhere(path))
        return true;
    const MsgButton answer = m_dialogs->messageBox(
        DocumentTitleFor(path),
        QDir::toNativeSeparators(path)
            + QStringLiteral(" is open in another window of ") + ProductName()
            + QStringLiteral(". Saving in both would lose the changes of one.\n"
                             "Do you want to open it read-only?"),
        MsgIcon::Question, MsgButton::Yes | MsgButton::No);
    m_openReadOnly = answer == MsgButton::Yes;
    return m_openReadOnly;
}

void TfrmTree::ApplyDocumentLock(bool opened)
{
    m_readOnly = opened && m_openReadOnly;
    m_openReadOnly = false;
    if (!opened || m_readOnly || m_doc.untitled || m_doc.documentPath.isEmpty())
        m_docLock.release();
    else
        m_docLock.take(m_doc.documentPath);
    txtEdit->setReadOnly(m_readOnly);
    FileSave1->setEnabled(!m_readOnly);
    FileSaveAs1->setEnabled(!m_readOnly);
}

FileStamp &TfrmTree::DiskStamp()
{
    if (m_diskHash.valid()) {
        const FileStamp hashed = m_diskHash.get();
        // The stat stays the one taken when the file was written or read.
        m_diskStamp.hash = hashed.hash;
        if (!hashed.known())
            m_diskStamp = {};
    }
    return m_diskStamp;
}

void TfrmTree::SetDiskStamp(const FileStamp &stamp)
{
    if (m_diskHash.valid())
        m_diskHash.wait(); // its answer belongs to the file before
    m_diskHash = {};
    m_diskStamp = stamp;
}

void TfrmTree::StampDiskFile(const QString &path, const MasterFile &content)
{
    FileStamp now;
    now.acknowledge(path); // size, time and inode as they are now; the hash follows
    SetDiskStamp(now);
    if (!now.known())
        return;
    // A copy shares the bytes with the document until either changes.
    m_diskHash = std::async(std::launch::async, [path, content] { return FileStamp::of(path, content); });
}
