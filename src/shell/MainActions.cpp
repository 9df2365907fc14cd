// The main window's actions, menus and tool bar, with their captions, hints
// and shortcuts.
#include "shell/MainWindow.h"

#include "settings/Product.h"
#include "shell/Actions.h"
#include "shell/RichEdit.h"
#include "shell/ToolIcons.h"

#include <QAction>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

void TfrmTree::CreateActions()
{
    FileNew1 = MakeAction(this, "FileNew1", QStringLiteral("&New"), QStringLiteral("New|Create a new file"),
                          QKeySequence(Qt::CTRL | Qt::Key_N));
    FileOpen1 = MakeAction(this, "FileOpen1", QStringLiteral("&Open"), QStringLiteral("Open|Open a file"),
                           QKeySequence(Qt::CTRL | Qt::Key_O));
    FileSave1 = MakeAction(this, "FileSave1", QStringLiteral("&Save"),
                           QStringLiteral("Save|Save current file"), QKeySequence(Qt::CTRL | Qt::Key_S));
    FileSaveAs1 = MakeAction(this, "FileSaveAs1", QStringLiteral("Save &As..."),
                             QStringLiteral("Save As|Save current file with different name"));
    FileExit1 = MakeAction(this, "FileExit1", QStringLiteral("E&xit"), QStringLiteral("Exit|Exit application"));
    // Drawn here rather than looked up in an icon theme, which takes longer
    // than the rest of the window.
    FileNew1->setIcon(MakeToolIcon(ToolIcon::New));
    FileOpen1->setIcon(MakeToolIcon(ToolIcon::Open));
    FileSave1->setIcon(MakeToolIcon(ToolIcon::Save));
    connect(FileNew1, &QAction::triggered, this, &TfrmTree::FileNew1Execute);
    connect(FileOpen1, &QAction::triggered, this, &TfrmTree::FileOpen1Execute);
    connect(FileSave1, &QAction::triggered, this, &TfrmTree::FileSave1Execute);
    connect(FileSaveAs1, &QAction::triggered, this, &TfrmTree::FileSaveAs1Execute);
    connect(FileExit1, &QAction::triggered, this, &TfrmTree::FileExit1Execute);

    for (int i = 0; i < 4; ++i) {
        mnuMRU[i] = new QAction(this);
        mnuMRU[i]->setObjectName(QStringLiteral("mnuMRU%1").arg(i + 1));
        mnuMRU[i]->setVisible(false);
        mnuMRU[i]->setEnabled(false);
        connect(mnuMRU[i], &QAction::triggered, this, [this, i] { mnuMRUClick(i); });
    }

    // Item commands: they follow the selection.
    PrintItem1 = MakeAction(this, "PrintItem1", QStringLiteral("Print Item ..."),
                            QStringLiteral("Print|Print current item"),
                            QKeySequence(Qt::CTRL | Qt::Key_P));
    PrintPreview1 = MakeAction(this, "PrintPreview1", QStringLiteral("Print Pre&view"),
                               QStringLiteral("Print Preview|Print Preview"));
    FindInItem1 = MakeAction(this, "FindInItem1", QStringLiteral("Find"),
                             QStringLiteral("Find|Find in current item"), QKeySequence(Qt::CTRL | Qt::Key_F));
    PrintItem1->setIcon(MakeToolIcon(ToolIcon::Print));
    PrintPreview1->setIcon(MakeToolIcon(ToolIcon::Preview));
    FindInItem1->setIcon(MakeToolIcon(ToolIcon::Find));
    for (QAction *a : {PrintItem1, PrintPreview1, FindInItem1})
        a->setEnabled(false);
    connect(FindInItem1, &QAction::triggered, this, &TfrmTree::FindInItem1Execute);

    Options = MakeAction(this, "Options", QStringLiteral("Options"), QStringLiteral("Options|View options"));
    Options->setIcon(MakeToolIcon(ToolIcon::Options));
    connect(Options, &QAction::triggered, this, &TfrmTree::OptionsExecute);
    mnuOptions = Options;

    mnuHelpHow = new QAction(QStringLiteral("How to &use ") + ProductName(), this);
    mnuHelpHow->setObjectName(QStringLiteral("mnuHelpHow"));
    connect(mnuHelpHow, &QAction::triggered, this, &TfrmTree::mnuHelpHowClick);
    HelpAbout1 = MakeAction(this, "HelpAbout1", QStringLiteral("&About..."),
                            QStringLiteral("About|Displays program information, version number, and copyright"));
    connect(HelpAbout1, &QAction::triggered, this, &TfrmTree::HelpAbout1Execute);
}

void TfrmTree::CreateMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = bar->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->menuAction()->setStatusTip(QStringLiteral("File related commands"));
    File1->setStatusTip(File1->menuAction()->statusTip());
    File1->addAction(FileNew1);
    File1->addAction(FileOpen1);
    File1->addAction(FileSave1);
    File1->addAction(FileSaveAs1);
    N1 = File1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    for (QAction *mru : mnuMRU)
        File1->addAction(mru);
    mnuSep8 = File1->addSeparator();
    mnuSep8->setObjectName(QStringLiteral("mnuSep8"));
    mnuSep8->setVisible(false);
    File1->addAction(FileExit1);

    mnuTree = bar->addMenu(QStringLiteral("&Tree"));
    mnuTree->setObjectName(QStringLiteral("mnuTree"));
    CreateTreeMenu();

    Edit1 = bar->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->menuAction()->setStatusTip(QStringLiteral("Edit commands"));
    Edit1->setStatusTip(Edit1->menuAction()->statusTip());
    mnuFormat = bar->addMenu(QStringLiteral("F&ormat"));
    mnuFormat->setObjectName(QStringLiteral("mnuFormat"));
    CreateEditAndFormatMenus();
    CreateSearchCommands();
    Tools1 = bar->addMenu(QStringLiteral("Too&ls"));
    Tools1->setObjectName(QStringLiteral("Tools1"));
    Tools1->addAction(mnuOptions);

    Help1 = bar->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    Help1->setStatusTip(Help1->menuAction()->statusTip());
    Help1->addAction(mnuHelpHow);
    QAction *sep9 = Help1->addSeparator();
    sep9->setObjectName(QStringLiteral("sep9"));
    Help1->addAction(HelpAbout1);

    // Opening these menus stores the editor's text first; Tools does not.
    for (QMenu *m : {File1, Edit1, mnuFormat, Help1})
        connect(m, &QMenu::aboutToShow, this, &TfrmTree::StorePoint);
    CreatePrintCommands();
}

void TfrmTree::CreateToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->addAction(FileNew1);
    ToolBar1->addAction(FileOpen1);
    ToolBar1->addAction(FileSave1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(PrintItem1);
    ToolBar1->addAction(PrintPreview1);
    ToolBar1->addSeparator();
    AddEditAndFormatButtons();
    ToolBar1->addSeparator();
    ToolBar1->addAction(FindInItem1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(Options);
}
