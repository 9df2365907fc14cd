#include "shell/MainWindow.h"

#include "settings/Product.h"
#include "settings/Registry.h"
#include "settings/WindowPosition.h"
#include "shell/AboutBox.h"
#include "shell/Application.h"
#include "shell/Dialogs.h"
#include "shell/ExplorerTree.h"
#include "shell/HelpFile.h"
#include "shell/HelpWindow.h"
#include "shell/RecentFiles.h"
#include "shell/RichEdit.h"
#include "shell/SearchPanel.h"
#include "shell/ToolIcons.h"
#include "shell/WorkFolder.h"
#include "store/Loader.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <cstdio>

namespace {

// A tree view lays out each expanded level in a stack frame of its own
// (expanding all, scrolling to a node): deeper files are refused.
constexpr int MaxShownDepth = 10000;

} // namespace

TfrmTree::TfrmTree(const StartupConfig &config, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TfrmTree"));
    if (config.dialogs) {
        m_dialogs = config.dialogs;
    } else {
        m_ownDialogs = std::make_unique<WidgetDialogs>(this);
        m_dialogs = m_ownDialogs.get();
    }
    m_doc.ui = m_dialogs;
    m_doc.expandOnLoad = false; // every open ends by collapsing the tree
    m_doc.maxDepth = MaxShownDepth;
    m_doc.enableItemCommands = [this](bool on) { SetItemCommandsEnabled(on); };

    // Read on a second thread while the window is made; opened in its turn.
    ChooseStartupFile(config);
    if (!m_pendingStartupFile.isEmpty())
        m_startupRead.start(m_pendingStartupFile, MaxShownDepth);

    CreateLayout();
    // Fonts and colours before anything is laid out: set later, they lay
    // the explorer out again.
    ApplyStoredAppearance();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    ConnectExplorerAndEditor();
    FormCreate(config);
}

TfrmTree::~TfrmTree()
{
    // The tree view would delete its nodes recursively, one stack frame per
    // level. A label being edited goes without renaming anything.
    m_doc.busy = true;
    static_cast<ExplorerTree *>(tvwTree)->commitEdit = nullptr;
    ClearTree(tvwTree);
    // The focus moves while the base class deletes the widgets; the command
    // updates must not run on a window that is no longer a TfrmTree.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
}

void TfrmTree::CreateLayout()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sbPath = new QLabel(central);
    sbPath->setObjectName(QStringLiteral("sbPath"));
    sbPath->setFrameShape(QFrame::StyledPanel);
    sbPath->setFrameShadow(QFrame::Sunken);
    sbPath->setMinimumHeight(19);
    sbPath->setTextFormat(Qt::PlainText);
    layout->addWidget(sbPath);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setOpaqueResize(false); // draws a line until the mouse is released
    Splitter1->setChildrenCollapsible(false);

    splLeftPane = new QSplitter(Qt::Vertical, Splitter1);
    splLeftPane->setObjectName(QStringLiteral("splLeftPane"));
    splLeftPane->setChildrenCollapsible(false);
    SetNodeIcons(MakeToolIcon(ToolIcon::Branch), MakeToolIcon(ToolIcon::Item));
    auto *explorer = new ExplorerTree(splLeftPane);
    tvwTree = explorer;
    tvwTree->setObjectName(QStringLiteral("tvwTree"));
    tvwTree->setHeaderHidden(true);
    tvwTree->setIndentation(19);
    tvwTree->setMinimumWidth(90);
    tvwTree->setUniformRowHeights(true);
    // Long names scroll sideways instead of being cut short.
    tvwTree->header()->setStretchLastSection(false);
    tvwTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tvwTree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Timer1 = explorer->scrollTimer();

    txtEdit = new RichEdit(Splitter1);
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    txtEdit->setMinimumSize(3, 120);
    txtEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    pnlSearch = new SearchPanel(splLeftPane);
    pnlSearch->hide(); // until Find in All Items
    splLeftPane->addWidget(tvwTree);
    splLeftPane->addWidget(pnlSearch);
    splLeftPane->setStretchFactor(0, 1);
    Splitter1->addWidget(splLeftPane);
    Splitter1->addWidget(txtEdit);
    Splitter1->setStretchFactor(1, 1);
    // The hint belongs to the bar between the panels, not to the panels.
    Splitter1->handle(1)->setToolTip(QStringLiteral("Resize Explorer/Editor panel"));
    Splitter1->handle(1)->setStatusTip(Splitter1->handle(1)->toolTip());
    layout->addWidget(Splitter1, 1);
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    tmrDelay = new QTimer(this);
    tmrDelay->setObjectName(QStringLiteral("tmrDelay"));
    tmrDelay->setSingleShot(true);
    tmrDelay->setInterval(10);
    connect(tmrDelay, &QTimer::timeout, this, &TfrmTree::tmrDelayTimer);
    // The first paint tells that the window shows the new document.
    tvwTree->viewport()->installEventFilter(this);
}

void TfrmTree::FormCreate(const StartupConfig &config)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_doc.activated = false;

    m_programFolder = config.programFolder;
    if (!m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');
    QString error;
    m_doc.workFolder = config.workFolder.isEmpty() ? ChooseWorkFolder(m_programFolder, &error)
                                                   : config.workFolder;
    if (!m_doc.workFolder.isEmpty() && !m_doc.workFolder.endsWith(QLatin1Char('/')))
        m_doc.workFolder += QLatin1Char('/');

    LoadWindowPosition(this, Splitter1);

    if (m_doc.workFolder.isEmpty() || !FolderIsWritable(m_doc.workFolder)) {
        QGuiApplication::restoreOverrideCursor();
        m_dialogs->showMessage(ProductName() + QStringLiteral(" cannot start: it has no folder to work in. ")
                               + error);
        return;
    }
    m_master = ChooseMasterFile(m_doc.workFolder);
    if (m_master.path.isEmpty()) {
        QGuiApplication::restoreOverrideCursor();
        m_dialogs->showMessage(
            ProductName()
            + QStringLiteral(" cannot start: all %1 work files in %2 are in use by other running copies.")
                  .arg(MasterFileNumbers)
                  .arg(QDir::toNativeSeparators(m_doc.workFolder)));
        return;
    }
    m_doc.master.setPath(m_master.path);

    m_doc.currentItemKey = 0;
    tvwTree->setUpdatesEnabled(false);
    NewTreeFile(tvwTree, txtEdit, m_doc);
    txtEdit->setEditorEnabled(true);
    tvwTree->setUpdatesEnabled(true);
    UpdateCaption();
    ShowSelectionPath();

    ShowRecentFiles(ReadRecentFiles());
    m_doc.documentChanged = false;
    m_doc.itemTextChanged = false;

    // The help window and the about box are made on first use.
    WriteHelpFile(m_programFolder, m_doc.workFolder);

    SetUpSafety();
    if (m_pendingStartupFile.isEmpty())
        QGuiApplication::restoreOverrideCursor();
    m_startedOk = true;
}

void TfrmTree::ApplyStoredAppearance()
{
    QFont font;
    QColor color;
    GetDefaultFont(font, color, true);
    txtEdit->applyDefaultFont(font, color);
    GetDefaultFont(font, color, false);
    tvwTree->setFont(font);
    QPalette treePalette = tvwTree->palette();
    treePalette.setColor(QPalette::Text, color);

    LoadPanelColors();
    QPalette editPalette = txtEdit->palette();
    editPalette.setColor(QPalette::Base, EditColor());
    txtEdit->setPalette(editPalette);
    treePalette.setColor(QPalette::Base, TreeColor());
    tvwTree->setPalette(treePalette);
}

void TfrmTree::ChooseStartupFile(const StartupConfig &config)
{
    m_pendingStartupFile = GetCommandLineFile(config.arguments);
    // The document's path and its recent entry must name the same file
    // whichever folder the program is started from next time.
    if (!m_pendingStartupFile.isEmpty())
        m_pendingStartupFile = QFileInfo(m_pendingStartupFile).absoluteFilePath();
    else
        ApplyStartupOption();
}

QString TfrmTree::GetCommandLineFile(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

void TfrmTree::ApplyStartupOption()
{
    const QString option = GetStartupFileOption();
    if (option == QLatin1String("2"))
        m_pendingStartupFile = ReadRecentFiles().constFirst();
    else if (option == QLatin1String("3"))
        m_pendingStartupFile = GetRegistryValue(QStringLiteral("Options"),
                                                QStringLiteral("StartupFilePath"), QString());
}

void TfrmTree::PrepareProgressBar()
{
    if (ProgressBar)
        return;
    ProgressBar = new QProgressBar(statusBar());
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setFixedWidth(200);
    ProgressBar->setMaximum(100);
    ProgressBar->setTextVisible(false);
    statusBar()->addWidget(ProgressBar);
    ProgressBar->hide();
    m_doc.progressBar = ProgressBar;
}

void TfrmTree::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    PrepareProgressBar();
    // A window manager may never activate the window (none at all, or
    // focus-stealing prevention): the first showing counts as activation.
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        QTimer::singleShot(0, this, &TfrmTree::FormActivate);
    }
}

void TfrmTree::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
        CheckDiskFile();
    }
}

void TfrmTree::FormActivate()
{
    if (m_doc.activated)
        return;
    m_doc.activated = true;
    StartupStamp("activated");
    OfferRecovery();
    if (!m_pendingStartupFile.isEmpty()) {
        txtEdit->setEditorEnabled(false);
        tmrDelay->start();
        // Painted already: the file need not wait for the timer.
        if (m_firstPaintDone)
            QTimer::singleShot(0, this, &TfrmTree::tmrDelayTimer);
    } else {
        QuitWhenIdleIfAsked();
    }
}

void TfrmTree::QuitWhenIdleIfAsked()
{
    // Start-up timing: once the document is shown and the event queue is
    // empty, say when (wall clock, nanoseconds) and close.
    if (!qEnvironmentVariableIsSet("QUIVORA_QUIT_WHEN_IDLE"))
        return;
    QTimer::singleShot(0, this, [this] {
        std::printf("idle-at %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()) * 1000000LL);
        std::fflush(stdout);
        close();
    });
}

void TfrmTree::tmrDelayTimer()
{
    tmrDelay->stop();
    if (m_pendingStartupFile.isEmpty())
        return;
    // Busy first: the events let through to finish painting must not start
    // another document command meanwhile.
    const QString name = m_pendingStartupFile;
    m_pendingStartupFile.clear();
    m_doc.busy = true;
    QCoreApplication::processEvents();
    if (!isVisible()) {
        m_doc.busy = false;
        QGuiApplication::restoreOverrideCursor();
        return;
    }
    OpenByName(name, &m_startupRead);
    StartupStamp("start-up file opened");
    QGuiApplication::restoreOverrideCursor();
    QuitWhenIdleIfAsked();
}

void TfrmTree::AfterOpen(bool addRecent)
{
    tvwTree->collapseAll();
    if (QTreeWidgetItem *root = FirstNode(tvwTree))
        root->setExpanded(true);
    txtEdit->setEditorEnabled(false);
    m_doc.currentItemKey = 0;
    ApplyDocumentLock(true);
    tvwTree->setCurrentItem(FirstNode(tvwTree));
    SetItemCommandsEnabled(false);
    tvwTree->setUpdatesEnabled(true);
    ShowSelectionPath();
    UpdateCaption();
    if (addRecent)
        AddRecentFileAndShow(m_doc.documentPath);
    StampDiskFile(m_doc.documentPath, m_doc.master);
    m_doc.busy = false;
    m_doc.itemTextChanged = false;
}

void TfrmTree::AfterFailedOpen()
{
    ApplyDocumentLock(false);
    tvwTree->setUpdatesEnabled(true);
    txtEdit->setEditorEnabled(true);
    ShowSelectionPath();
    UpdateCaption();
    m_doc.busy = false;
    m_doc.itemTextChanged = false;
}

void TfrmTree::AfterRefusedOpen()
{
    tvwTree->setUpdatesEnabled(true);
    // The editor is enabled exactly while an item is the current one (the
    // start-up wait disabled it).
    txtEdit->setEditorEnabled(m_doc.currentItemKey != 0);
    ShowSelectionPath();
    UpdateCaption();
    m_doc.busy = false;
}

void TfrmTree::ShowSelectionPath()
{
    sbPath->setText(QStringLiteral("   ") + NodePath(tvwTree->currentItem()));
}

void TfrmTree::UpdateCaption()
{
    setWindowTitle(ProductName() + QStringLiteral(" - ") + m_doc.documentTitle
                   + (m_readOnly ? QStringLiteral(" (read-only)") : QString()));
    RecordDocumentOwner();
}

void TfrmTree::SetItemCommandsEnabled(bool enabled)
{
    for (QAction *a : {PrintItem1, PrintPreview1, FindInItem1})
        if (a)
            a->setEnabled(enabled);
}

bool TfrmTree::AskSaveChanges()
{
    if (!m_doc.documentChanged)
        return true;
    const MsgButton answer = m_dialogs->messageBox(
        m_doc.documentTitle,
        QStringLiteral("Do you want to save changes to ") + m_doc.documentTitle + QStringLiteral("?"),
        MsgIcon::Question, MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
    if (answer == MsgButton::No)
        return true;
    if (answer != MsgButton::Yes)
        return false;
    FileSave1Execute();
    // The document's own file could not be written: another may be.
    if (!m_doc.saveCancelled && m_doc.documentChanged && !m_doc.untitled)
        FileSaveAs1Execute();
    if (m_doc.saveCancelled) {
        m_doc.saveCancelled = false;
        return false;
    }
    // A save that failed has said why; the work is kept and the asker stops.
    return !m_doc.documentChanged;
}

void TfrmTree::closeEvent(QCloseEvent *event)
{
    if (!m_startedOk) {
        event->accept();
        return;
    }
    if (m_doc.busy || !FormCloseQuery() || !FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TfrmTree::FormCloseQuery()
{
    // A name still being typed is part of the document.
    if (!EndRename())
        return false;
    // Text the work folder cannot take stays in memory for the save question.
    PrepareSave();
    return true;
}

bool TfrmTree::FormClose()
{
    if (!AskSaveChanges())
        return false;
    ReleaseMasterFile(m_master); // this copy is ending: its master file name is free again
    QFile::remove(m_doc.workFolder + QStringLiteral("ItemText"));
    // Only files without a lock go, which no running copy has, so the
    // clean-up is safe whatever other copies run.
    DeleteMasterFiles(m_doc.workFolder);
    SaveWindowPosition(this, Splitter1);
    return true;
}

void TfrmTree::mnuHelpHowClick()
{
    StorePoint();
    helpWindow()->showAndRaise();
}

THelp *TfrmTree::helpWindow()
{
    // The guide is written again when it went missing since the start.
    if (!frmHelp)
        frmHelp = new THelp(WriteHelpFile(m_programFolder, m_doc.workFolder), this);
    return frmHelp;
}

TAboutBox *TfrmTree::aboutBox()
{
    if (!frmAbout)
        frmAbout = new TAboutBox(this);
    return frmAbout;
}

void TfrmTree::HelpAbout1Execute()
{
    aboutBox()->exec();
}
