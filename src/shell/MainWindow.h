#pragma once
#include "store/DocState.h"
#include "store/DocumentLock.h"
#include "store/FileStamp.h"
#include "store/MasterChoice.h"
#include "store/ReadAhead.h"

#include <QMainWindow>
#include <QStringList>
#include <future>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
struct BackupResult;
class Dialogs;
class RichEdit;
class SearchPanel;
class THelp;
class TAboutBox;
class TFindDialog;
class TPreviewPrinter;

// How the main window is started: by the program entry with the real
// folders and dialogs, or by a test with temporary ones and scripted dialogs.
struct StartupConfig
{
    QString programFolder;  // the executable's folder, ending with "/"
    QString workFolder;     // empty: "Data/" in the program folder, or a fallback
    QStringList arguments;  // command-line arguments after the program's name
    Dialogs *dialogs = nullptr; // null: real message boxes and file dialogs
};

// The main window: explorer, editor, path bar, menus, tool bar and status
// bar, and the document state they share. Commands live in files of their
// own by menu; the handlers here stay thin.
class TfrmTree : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmTree(const StartupConfig &config, QWidget *parent = nullptr);
    ~TfrmTree() override;

    // False when start-up could not give the window a master file; the
    // reason has been shown and the program should end.
    bool startedOk() const { return m_startedOk; }

    DocState &doc() { return m_doc; }
    Dialogs &dialogs() { return *m_dialogs; }
    QTreeWidget *tree() const { return tvwTree; }
    RichEdit *editor() const { return txtEdit; }
    const QString &programFolder() const { return m_programFolder; }
    const QString &pendingStartupFile() const { return m_pendingStartupFile; }
    // The help window and the about box, made when first asked for.
    THelp *helpWindow();
    TAboutBox *aboutBox();

    // The tree file named on the command line: all arguments joined by single blanks.
    static QString GetCommandLineFile(const QStringList &arguments);

    void ShowSelectionPath();
    void UpdateCaption();
    // Asks whether to save changes; false when the asking operation must stop.
    bool AskSaveChanges();
    // Enables the print-item, print-preview and find commands.
    void SetItemCommandsEnabled(bool enabled);

    // File commands.
    void FileNew1Execute();
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileSaveAs1Execute();
    void FileExit1Execute();
    void mnuMRUClick(int slot);
    void ShowRecentFiles(const QStringList &slots);
    void AddRecentFileAndShow(const QString &path);

    // Explorer and editor.
    // Stores the editor's text; false when typed text is still unstored.
    bool StorePoint();
    // Ends a rename still open in the explorer as Enter would; false when
    // its name was refused, and the command that asked must stop.
    bool EndRename();
    bool tvwTreeChange(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void txtEditChange();
    void txtEditExit();
    // The idle store (tmrIdleStore): typed text to the journal, unless Busy,
    // a rename or a dialog is open.
    void IdleStore();
    // On activation: offers to reload the document's file when another
    // program changed it and the document holds no unsaved changes.
    void CheckDiskFile();
    bool readOnly() const { return m_readOnly; }

    // Tree commands. The two Update routines store the editor's text, then
    // enable the Tree menu's / the explorer pop-up's entries for the selection.
    void UpdateTreeMenu();
    void UpdateTreePopup();
    void mnuAddBranchClick();
    void mnuAddItemClick();
    void mnuMoveUpClick();
    void mnuMoveDownClick();
    void Delete2Execute();
    void mnuRenameClick();
    void mnuExpandClick();
    void mnuCollapseClick();
    void ExpandAllBranches1Click();
    void CollapseAllBranches1Click();
    // Undo and Redo of tree changes: a store point, then the step.
    void mnuUndoTreeClick();
    void mnuRedoTreeClick();
    // Enables the Undo and Redo entries for what the history holds.
    void UpdateUndoEntries();
    // Selects the node under a right click, then opens the explorer's pop-up.
    void ShowTreePopup(const QPoint &pos);

    // Edit and Format commands; the Update routines enable them for the
    // focused control (cut, copy, paste) or while an item's text has the
    // focus (fonts, alignment, bold, italic, underline, colour).
    void EditUpdate();
    void FontsExecute();
    void FontsUpdate();
    void AlignLeftUpdate();
    void TextColourExecute();

    // Find in the current item.
    void FindInItem1Execute();
    void FindDialog1Find();

    // Find in all items (SearchCommands.cpp): the panel's search, going to
    // a listed match, and F3 / Shift+F3 through them, wrapping around.
    void FindInAllItems1Execute();
    void SearchAllItems();
    void GoToSearchHit(int row);
    void StepSearchHit(int step);

    // Tools.
    void OptionsExecute();

    // Print commands (PrintCommands.cpp).
    bool PrinterInstalled();
    void PrintItem1Execute();
    void PrintPreview1Execute();
    void PageSetup1Execute();
    void FileExportPdf1Execute();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const StartupConfig &config);
    void CreateLayout();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void PrepareProgressBar();
    void FormActivate();
    void tmrDelayTimer();
    void QuitWhenIdleIfAsked();
    bool FormCloseQuery();
    bool FormClose();
    void ApplyStartupOption();
    void ApplyStoredAppearance();
    void AfterOpen(bool addRecent);
    void AfterFailedOpen();
    // The file was refused and the open document stays: show it as it was.
    void AfterRefusedOpen();
    // Opens a file named by the start-up or a recent entry, with the steps after it.
    void OpenByName(const QString &path, ReadAhead *readAhead = nullptr);
    // The file to open once the window shows: the command line's, else the
    // one the start-up option names.
    void ChooseStartupFile(const StartupConfig &config);
    bool GuardedStart();
    // Brings the master file in step with the document in memory: writes it
    // again when it went missing (its folder is made again) or fell behind.
    bool CatchUpMasterFile(QString *reason);
    // Stores the editor's text for a save; answers why the work folder
    // cannot be used, empty when it can.
    QString PrepareSave();
    // Writes the document to `path`; `unusable` as PrepareSave answered.
    bool SaveMasterTo(const QString &path, const QString &unusable);
    void SaveAs(const QString &unusable);
    void ConnectExplorerAndEditor();
    void tvwTreeDragDrop(QTreeWidgetItem *target);
    void CreateTreeMenu();
    void CreateTreePopup();
    // Ends an open rename without taking its typed text.
    void DiscardRename();
    void UndoTreeChange(bool redo);
    void CreateEditAndFormatMenus();
    void CreateEditPopup();
    void AddEditAndFormatButtons();
    void mnuHelpHowClick();
    void HelpAbout1Execute();
    void CreatePrintCommands();
    void CreateSearchCommands();

    // The safety net (SafetyCommands.cpp): the idle store, the record of
    // the document beside the master file, the offer of left work at
    // start-up, ending on a signal, and backups before Save replaces a file.
    void SetUpSafety();
    void RecordDocumentOwner();
    void OfferRecovery();
    bool RecoverLeftWork(const QString &master, const QString &document, const QString &title);
    void EndBySignal();
    // Backups around a save: the file's current version held before it
    // (answers the real file to write, links resolved), rotated in as .1
    // after it, dropped when the save failed.
    QString PrepareBackups(const QString &path);
    void FinishBackups(const QString &real, bool saved);
    void WarnOfBackups(const QString &real, const BackupResult &result);
    // Before Save replaces a file another program changed: overwrite (true),
    // save elsewhere (Save As, false) or cancel (false, SaveCancelled set).
    bool ConfirmOverwrite(const QString &unusable);
    // Before opening `path`: when another window or copy has it open, asks
    // whether to open it read-only; false when it is not to be opened.
    bool ClaimDocument(const QString &path);
    // After an open (or a new document): takes the document's lock, or
    // makes the window read-only when that was the answer.
    void ApplyDocumentLock(bool opened);

    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs *m_dialogs = nullptr;
    DocState m_doc;
    MasterChoice m_master;
    QString m_programFolder;
    QString m_pendingStartupFile;
    QString m_lastOpenName;
    bool m_startedOk = false;
    bool m_masterBehind = false; // memory holds text the master file could not take
    bool m_firstShowDone = false;
    bool m_firstPaintDone = false; // the explorer has been painted once
    THelp *frmHelp = nullptr;
    TAboutBox *frmAbout = nullptr;
    QString m_ownerRecorded;     // master file, document and title last recorded
    QStringList m_backupWarned;  // folders already said to refuse backups
    // The document's file as opened or last saved. Its hash is worked out
    // beside the window (a big file takes a while) and waited for when needed.
    FileStamp &DiskStamp();
    void SetDiskStamp(const FileStamp &stamp);
    // The stamp of the file at `path` now, the hash that of `content`.
    void StampDiskFile(const QString &path, const MasterFile &content);
    FileStamp m_diskStamp;
    std::future<FileStamp> m_diskHash;
    bool m_askingReload = false;
    ReadAhead m_startupRead;     // the start-up file, read while the window is made
    DocumentLock m_docLock;      // the open document, marked as open here
    bool m_readOnly = false;     // open in another copy: nothing may change
    bool m_openReadOnly = false; // the open under way was answered read-only

public:
    // Components, named as the user sees them in the object tree.
    QToolBar *ToolBar1 = nullptr;
    QLabel *sbPath = nullptr;
    QSplitter *Splitter1 = nullptr;
    QSplitter *splLeftPane = nullptr; // the explorer above, the search panel below
    QTreeWidget *tvwTree = nullptr;
    SearchPanel *pnlSearch = nullptr;
    RichEdit *txtEdit = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QTimer *tmrDelay = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *tmrIdleStore = nullptr; // stores typed text 2 s after the last key
    TPreviewPrinter *PreviewPrinter1 = nullptr;

    QMenu *File1 = nullptr;
    QMenu *mnuTree = nullptr;
    QMenu *Edit1 = nullptr;
    QMenu *mnuFormat = nullptr;
    QMenu *Tools1 = nullptr;
    QMenu *Help1 = nullptr;
    QMenu *mnuPopUpTree = nullptr;
    QMenu *mnuPopUpEdit = nullptr;
    TFindDialog *FindDialog1 = nullptr;

    QAction *FileNew1 = nullptr;
    QAction *FileOpen1 = nullptr;
    QAction *FileSave1 = nullptr;
    QAction *FileSaveAs1 = nullptr;
    QAction *FileExit1 = nullptr;
    QAction *N1 = nullptr;
    QAction *mnuMRU[4] = {};
    QAction *mnuSep8 = nullptr;
    QAction *PrintItem1 = nullptr;
    QAction *PrintPreview1 = nullptr;
    QAction *PageSetup1 = nullptr;
    QAction *FileExportPdf1 = nullptr;
    QAction *FindInItem1 = nullptr;
    QAction *FindInAllItems1 = nullptr;
    QAction *FindNextMatch1 = nullptr;
    QAction *FindPreviousMatch1 = nullptr;
    QAction *mnuAddBranch = nullptr;
    QAction *mnuAddItem = nullptr;
    QAction *mnuMoveUp = nullptr;
    QAction *mnuMoveDown = nullptr;
    QAction *Delete2 = nullptr; // the command itself, reached by mnuDelete, Delete1 and the Delete key
    QAction *mnuDelete = nullptr;
    QAction *mnuRename = nullptr;
    QAction *mnuExpand = nullptr;
    QAction *mnuCollapse = nullptr;
    QAction *AddBranch1 = nullptr;
    QAction *AddItem1 = nullptr;
    QAction *MoveUp1 = nullptr;
    QAction *MoveDown1 = nullptr;
    QAction *Delete1 = nullptr;
    QAction *Rename1 = nullptr;
    QAction *ExpandAllBranches1 = nullptr;
    QAction *CollapseAllBranches1 = nullptr;
    QAction *mnuUndoTree = nullptr;
    QAction *mnuRedoTree = nullptr;
    QAction *UndoTree1 = nullptr;
    QAction *RedoTree1 = nullptr;
    QAction *EditCut1 = nullptr;
    QAction *EditCopy1 = nullptr;
    QAction *EditPaste1 = nullptr;
    QAction *Fonts = nullptr;
    QAction *AlignLeft = nullptr;
    QAction *AlignCenter = nullptr;
    QAction *AlignRight = nullptr;
    QActionGroup *Alignments = nullptr;
    QAction *Bold = nullptr;
    QAction *Italic = nullptr;
    QAction *Underline = nullptr;
    QAction *TextColour = nullptr;
    QAction *Options = nullptr;
    QAction *mnuOptions = nullptr; // the Tools menu's entry: the Options action itself
    QAction *mnuHelpHow = nullptr;
    QAction *HelpAbout1 = nullptr;
};
