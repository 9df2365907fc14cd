// The explorer and the editor of the main window: renaming in place, and
// the commands that end a rename still open, the Delete key, the editor and
// the commands that follow the selection, store points, a store that fails,
// drags inside the explorer, and the Tree menu.
#include "support_window.h"

#include "settings/Registry.h"
#include "shell/ExplorerTree.h"
#include "shell/FindDialog.h"
#include "store/NodeOps.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDragMoveEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

using namespace testwin;

namespace {

ExplorerTree *explorer(TfrmTree *w)
{
    return static_cast<ExplorerTree *>(w->tree());
}

// The in-place editor of a node label, when one is open.
QLineEdit *labelEditor(TfrmTree *w)
{
    for (QLineEdit *e : w->tree()->findChildren<QLineEdit *>())
        if (e->isVisible())
            return e;
    return nullptr;
}

QByteArray replaced(QByteArray bytes, const QByteArray &from, const QByteArray &to)
{
    const qsizetype at = bytes.indexOf(from);
    return at < 0 ? "<missing " + from + ">" : bytes.replace(at, from.size(), to);
}

const QByteArray kSoupBlock =
    "3000001\r\n{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Onion soup\\par\r\n}\r\nEnd\r\n";
// Stands in for the master file on disk: when it is still there afterwards,
// nothing was written.
const QByteArray kUntouched = "untouched by the test step";
const QByteArray kWithKitchen = replaced(sampleDocument(), "3000003 1000000 Notes",
                                         "2000002 1000000 Kitchen\r\n3000003 1000000 Notes");
const QStringList kAllPaths{"$", "$\\Recipes", "$\\Recipes\\Soup", "$\\Recipes\\Bread", "$\\Notes"};

// Refusals in real message boxes, which take the focus from the label editor.
struct BoxDialogs : ScriptedDialogs
{
    void errorDialog(const QString &text) override
    {
        ScriptedDialogs::errorDialog(text);
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Quivora"), text, QMessageBox::Ok, owner);
        box.show();
        box.activateWindow();
        if (!QTest::qWaitForWindowActive(&box))
            qWarning("the message box did not become active");
    }
    QWidget *owner = nullptr;
};

struct Window : Fixture
{
    TfrmTree *w = nullptr;
    bool lastAccepted = false;
    Qt::DropAction lastAction = Qt::IgnoreAction;

    // The sample document opened from the command line, in an active window.
    void open(const QByteArray &document = sampleDocument())
    {
        writeFile(docPath("doc.qvr"), document);
        w = start({docPath("doc.qvr")});
        dialogs.clear();
        ExplorerTree *tree = explorer(w);
        tree->dragSource = [tree](const QDropEvent *) -> const QObject * { return tree; };
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

    // Editor, item commands, current item and path bar agree with the selection.
    void checkFollowsSelection()
    {
        QTreeWidgetItem *now = w->tree()->currentItem();
        QCOMPARE(w->editor()->isEnabled(), IsItem(now));
        for (QAction *a : {w->PrintItem1, w->PrintPreview1, w->FindInItem1})
            QVERIFY2(a->isEnabled() == IsItem(now), qPrintable(a->objectName()));
        QCOMPARE(w->doc().currentItemKey, IsItem(now) ? NodeKey(now) : 0);
        QCOMPARE(w->sbPath->text(), QStringLiteral("   ") + (now ? NodePath(now) : QStringLiteral("$")));
    }

    void pressF2On(const QString &path)
    {
        select(path);
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_F2);
    }

    // A drag at height y; it comes from the explorer itself unless a test
    // says otherwise (headless platforms run no drags of their own).
    void hover(int y, QEvent::Type type)
    {
        ExplorerTree *tree = explorer(w);
        QMimeData data;
        const QPoint at(tree->viewport()->width() / 2, y);
        const auto actions = Qt::CopyAction | Qt::MoveAction;
        std::unique_ptr<QDropEvent> event;
        if (type == QEvent::Drop)
            event = std::make_unique<QDropEvent>(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        else if (type == QEvent::DragEnter)
            event = std::make_unique<QDragEnterEvent>(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        else
            event = std::make_unique<QDragMoveEvent>(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), event.get());
        lastAccepted = event->isAccepted();
        lastAction = event->dropAction();
    }

    // The names of the master file's node lines, in their order.
    QStringList fileNames() const
    {
        const QByteArray bytes = readFile(master());
        const qsizetype from = bytes.indexOf("Tree\r\n") + 6, to = bytes.indexOf("\r\nEnd\r\n", from);
        QStringList names;
        for (const QByteArray &line : bytes.mid(from, to - from).split('\n'))
            names << QString::fromLatin1(line.trimmed().mid(16));
        return names;
    }
    QStringList treeNames() const
    {
        QStringList names;
        for (const QString &p : paths(w->tree()))
            names << p.section(QLatin1Char('\\'), -1);
        return names;
    }
};

} // namespace

class TestExplorer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // --- Renaming in place ---------------------------------------------------

    void rename_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("byMenu"); // the Rename command, else F2
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("error"); // empty: none
        QTest::addColumn<bool>("realBox");  // shown in a real message box, once
        const QString soup = QStringLiteral("$\\Recipes\\Soup");
        const QString refused = DuplicateNameMessage(QStringLiteral("Soup"));
        QTest::newRow("item, Rename command") << soup << true << "Broth" << int(Qt::Key_Return) << "" << false;
        QTest::newRow("branch, F2") << "$\\Recipes" << false << "Cooking" << int(Qt::Key_Return) << "" << false;
        QTest::newRow("a sibling's name") << soup << true << "Bread" << int(Qt::Key_Return) << refused << false;
        QTest::newRow("a sibling's name, real box") << soup << false << "Bread" << int(Qt::Key_Return) << refused << true;
        QTest::newRow("the same name") << soup << false << "Soup" << int(Qt::Key_Return) << "" << false;
        QTest::newRow("Escape") << "$\\Notes" << false << "Gone" << int(Qt::Key_Escape) << "" << false;
        QTest::newRow("the root, F2") << "$" << false << "" << 0 << "" << false;
        QTest::newRow("the root, Rename command") << "$" << true << "" << 0 << "" << false;
    }
    void rename()
    {
        QFETCH(QString, node);
        QFETCH(bool, byMenu);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, error);
        QFETCH(bool, realBox);
        BoxDialogs boxes;
        Window f;
        f.open();
        boxes.owner = f.w;
        if (realBox)
            f.w->doc().ui = &boxes;
        QTreeWidgetItem *renamed = testwin::node(f.w->tree(), node);
        const QString old = renamed->text(0);
        if (byMenu) {
            f.select(node);
            f.w->mnuRenameClick();
        } else {
            f.pressF2On(node);
        }
        const QString editorText = f.w->editor()->toPlainText();
        QLineEdit *edit = labelEditor(f.w);
        if (node == "$") // keeps its name
            f.w->tree()->editItem(renamed);
        QCOMPARE(!edit && !labelEditor(f.w), node == "$");
        if (!edit)
            return;
        QCOMPARE(edit->text(), old);
        QTest::keyClicks(edit, typed); // the whole name is selected: typing replaces it
        writeFile(f.master(), kUntouched);
        QTest::keyClick(edit, Qt::Key(key));
        QTRY_VERIFY(!labelEditor(f.w));
        QTest::qWait(realBox ? 50 : 0);

        const bool writes = error.isEmpty() && key == Qt::Key_Return && typed != old;
        QCOMPARE((realBox ? boxes : f.dialogs).texts(), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(renamed->text(0), writes ? typed : old);
        QCOMPARE(readFile(f.master()), writes ? replaced(sampleDocument(), ' ' + old.toLatin1() + "\r\n",
                                                         ' ' + typed.toLatin1() + "\r\n")
                                              : kUntouched);
        QCOMPARE(f.w->doc().documentChanged, writes);
        QCOMPARE(f.w->sbPath->text(), QStringLiteral("   ") + NodePath(renamed));
        // The item's text and the editor stay as they were.
        QCOMPARE(f.w->editor()->toPlainText(), editorText);
        QVERIFY(!f.w->doc().itemTextChanged);
    }

    // Replacing, saving or closing the document first ends a rename still
    // open as Enter would; a refused name keeps it open and stops the command.
    void commandsEndAnOpenRename_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("typed");
        for (const char *command : {"new", "open", "recent", "save", "save as", "close"})
            QTest::addRow("%s", command) << command << "Late";
        for (const char *command : {"new", "save", "close"})
            QTest::addRow("%s, a refused name", command) << command << "Recipes";
    }
    void commandsEndAnOpenRename()
    {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        Window f;
        const QByteArray other = sampleDocument().replace("Notes", "Other");
        writeFile(f.docPath("other.qvr"), other);
        SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile1"), f.docPath("other.qvr"));
        f.open();
        f.pressF2On("$\\Notes");
        QTest::keyClicks(labelEditor(f.w), typed);
        f.dialogs.answers.enqueue(MsgButton::Yes); // save the changes first
        f.dialogs.fileAnswers.enqueue(f.docPath(command == "save as" ? "saved.qvr" : "other.qvr"));
        bool closed = false;
        if (command == "new")
            f.w->FileNew1Execute();
        else if (command == "open")
            f.w->FileOpen1Execute();
        else if (command == "recent")
            f.w->mnuMRU[1]->trigger();
        else if (command == "save")
            f.w->FileSave1Execute();
        else if (command == "save as")
            f.w->FileSaveAs1Execute();
        else
            closed = f.w->close();

        if (typed == "Recipes") {
            QCOMPARE(f.dialogs.texts(), QStringList{DuplicateNameMessage(QStringLiteral("Notes"))});
            QVERIFY(labelEditor(f.w));
            QCOMPARE(labelEditor(f.w)->text(), typed);
            QCOMPARE(readFile(f.master()), sampleDocument());
            QCOMPARE(readFile(f.docPath("doc.qvr")), sampleDocument());
            QCOMPARE(f.w->windowTitle(), QStringLiteral("Quivora - doc"));
            QVERIFY(!closed);
            return;
        }
        const bool asks = command != "save" && command != "save as";
        QCOMPARE(f.dialogs.texts(), asks ? QStringList{"Do you want to save changes to doc?"} : QStringList());
        QVERIFY(readFile(f.docPath(command == "save as" ? "saved.qvr" : "doc.qvr")).contains(" Late\r\n"));
        QCOMPARE(closed, command == "close");
        if (command == "new")
            QCOMPARE(paths(f.w->tree()), (QStringList{"$", "$\\New Item"}));
        if (command == "open" || command == "recent")
            QCOMPARE(readFile(f.master()), other);
        if (!closed)
            QVERIFY(!labelEditor(f.w));
    }

    // --- Store points ------------------------------------------------------------

    // Typed text is stored when a menu other than Tools opens and when the
    // editor loses the focus to another control of the window.
    void storePoints_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("stores");
        for (const char *menu : {"File1", "mnuTree", "mnuPopUpTree", "Edit1", "mnuFormat", "Help1"})
            QTest::addRow("%s opens", menu) << menu << true;
        QTest::newRow("Tools1 opens") << "Tools1" << false;
        QTest::newRow("focus to the explorer") << "explorer" << true;
        QTest::newRow("focus to the explorer while busy") << "busy" << false;
        QTest::newRow("focus to a message box") << "box" << false;
        QTest::newRow("focus to a menu") << "menu" << false;
    }
    void storePoints()
    {
        QFETCH(QString, cause);
        QFETCH(bool, stores);
        Window f;
        f.open();
        f.select("$\\Notes");
        f.w->editor()->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.w->editor()));
        QTest::keyClicks(f.w->editor(), QStringLiteral("typed keys"));
        QMessageBox box(QMessageBox::Information, QStringLiteral("Quivora"), QStringLiteral("A message"),
                        QMessageBox::Ok, f.w);
        QMenu menu(f.w);
        menu.addAction(QStringLiteral("Something"));
        if (QMenu *bar = f.w->findChild<QMenu *>(cause)) {
            Q_EMIT bar->aboutToShow();
        } else if (cause == "box") {
            box.show();
            box.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&box));
        } else if (cause == "menu") {
            menu.popup(f.w->mapToGlobal(QPoint(20, 20)));
            QVERIFY(QTest::qWaitForWindowExposed(&menu));
        } else {
            f.w->doc().busy = cause == "busy";
            f.w->tree()->setFocus(Qt::MouseFocusReason);
        }
        QTest::qWait(50);
        f.w->doc().busy = false;
        QCOMPARE(f.w->doc().itemTextChanged, !stores);
        QCOMPARE(f.w->doc().documentChanged, stores);
        // Into the item being edited, and only there.
        QCOMPARE(readFile(f.master()).contains("\r\n3000003\r\n{\\rtf1"), stores);
        QCOMPARE(readFile(f.master()).contains("typed keys"), stores);
    }

    // The editor's own undo steps of an item survive a visit to another item,
    // but only while the item's stored text is what the editor last held.
    void editorUndoSurvivesReselect_data()
    {
        QTest::addColumn<bool>("storedElsewhere");
        QTest::newRow("text unchanged meanwhile") << false;
        QTest::newRow("text stored some other way") << true;
    }
    void editorUndoSurvivesReselect()
    {
        QFETCH(bool, storedElsewhere);
        Window f;
        f.open();
        f.select("$\\Recipes\\Soup");
        f.type(QStringLiteral(" and bread"));
        f.select("$\\Recipes\\Bread");
        if (storedElsewhere) {
            f.w->doc().master.removeBlock(3000001);
            f.w->doc().master.appendBlock(3000001, "{\\rtf1 Leek soup\\par}");
        }
        f.select("$\\Recipes\\Soup");
        QCOMPARE(f.w->editor()->toPlainText(),
                 storedElsewhere ? QStringLiteral("Leek soup") : QStringLiteral("Onion soup and bread"));
        QCOMPARE(f.w->editor()->document()->isUndoAvailable(), !storedElsewhere);
        f.w->editor()->undo();
        QCOMPARE(f.w->editor()->toPlainText(),
                 storedElsewhere ? QStringLiteral("Leek soup") : QStringLiteral("Onion soup"));
    }

    // --- A store that fails on a selection change --------------------------------

    // The text goes back to its item and waits there, and nothing is lost.
    void failedStoreKeepsTheText()
    {
        Window f;
        f.open();
        f.select("$\\Recipes\\Soup");
        QTreeWidgetItem *soup = f.w->tree()->currentItem();
        f.type(QStringLiteral(" and bread"));
        QFile::remove(f.master());
        QVERIFY(QDir().mkdir(f.master())); // a rename cannot replace a folder
        f.select("$\\Recipes");
        f.w->mnuAddItem->trigger(); // adding would clear the editor: it waits too
        QTRY_COMPARE(f.w->tree()->currentItem(), soup);
        QTest::qWait(20);
        QCOMPARE(paths(f.w->tree()), kAllPaths);
        QCOMPARE(f.dialogs.shown.size(), 2);
        QVERIFY(f.dialogs.shown[0].text.startsWith(QStringLiteral("The item's text cannot be written to the file ")
                                                   + f.master() + " ("));
        QCOMPARE(f.w->editor()->toPlainText(), QStringLiteral("Onion soup and bread"));
        QVERIFY(f.w->editor()->isEnabled() && f.w->PrintItem1->isEnabled());
        QVERIFY(f.w->doc().itemTextChanged);
        QCOMPARE(f.w->doc().currentItemKey, 3000001);
        QCOMPARE(f.w->sbPath->text(), QStringLiteral("   $\\Recipes\\Soup"));

        // Closing keeps the text in memory and asks to save it; Cancel keeps the window.
        f.dialogs.clear();
        f.dialogs.answers.enqueue(MsgButton::Cancel);
        QVERIFY(!f.w->close());
        QCOMPARE(f.dialogs.texts(), QStringList{"Do you want to save changes to doc?"});
        QCOMPARE(f.w->editor()->toPlainText(), QStringLiteral("Onion soup and bread"));

        // Once the file can be written again the text goes where it belongs.
        QVERIFY(QDir().rmdir(f.master()));
        writeFile(f.master(), sampleDocument());
        f.dialogs.clear();
        f.select("$\\Notes");
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(readFile(f.master()).contains("Onion soup and bread"));
        QVERIFY(!readFile(f.master()).contains(kSoupBlock));
    }

    // --- Drags inside the explorer -------------------------------------------------

    // A drag near the top or bottom edge scrolls one line every 100 ms; only
    // the explorer's own drags are taken, and the window decides what a
    // drop does.
    void dragsInsideTheExplorer_data()
    {
        QTest::addColumn<int>("y"); // below 0: from the bottom edge of the client area
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("source"); // empty: the explorer itself
        QTest::addColumn<QString>("end");    // how the hovering ends
        QTest::newRow("top edge, dropped") << 0 << 0 << "" << "drop";
        QTest::newRow("17 px from the top, to the middle") << 17 << 0 << "" << "middle";
        QTest::newRow("18 px from the top, dropped") << 18 << 2 << "" << "drop";
        QTest::newRow("height - 18, to the middle") << -18 << 2 << "" << "middle";
        QTest::newRow("height - 17, left") << -17 << 1 << "" << "leave";
        QTest::newRow("from another widget") << 0 << 2 << "editor" << "drop";
        QTest::newRow("from another program") << 0 << 2 << "none" << "drop";
        // Last: a drag made with the mouse leaves the platform's drag state
        // pointing at a window that is gone, which later made-up events trip on.
        QTest::newRow("bottom edge, cancelled") << -1 << 1 << "" << "cancel";
    }
    void dragsInsideTheExplorer()
    {
        QFETCH(int, y);
        QFETCH(int, zone);
        QFETCH(QString, source);
        QFETCH(QString, end);
        Window f;
        f.open();
        ExplorerTree *tree = explorer(f.w);
        for (int i = 0; i < 40; ++i)
            new QTreeWidgetItem(FirstNode(tree), {QStringLiteral("filler")});
        QScrollBar *bar = tree->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 5 * bar->singleStep());
        bar->setValue(3 * bar->singleStep());
        const int height = tree->viewport()->height();
        QObject *editor = f.w->editor();
        if (source == "editor")
            tree->dragSource = [editor](const QDropEvent *) -> const QObject * { return editor; };
        else if (source == "none")
            tree->dragSource = nullptr; // the drag manager knows no source
        for (QEvent::Type type : {QEvent::DragEnter, QEvent::DragMove}) {
            f.hover(y < 0 ? height + y : y, type);
            QCOMPARE(f.lastAccepted, source.isEmpty());
        }
        QCOMPARE(tree->scrollZone(), zone);
        QCOMPARE(f.w->Timer1->isActive(), zone != 2);
        if (zone != 2)
            QTRY_COMPARE(bar->value(), (zone == 0 ? 2 : 4) * bar->singleStep());

        if (end == "middle") {
            f.hover(height / 2, QEvent::DragMove);
        } else if (end == "leave") {
            QDragLeaveEvent leave;
            QApplication::sendEvent(tree->viewport(), &leave);
        } else if (end == "cancel") {
            // A drag with the mouse ends at once here (no platform drag), as a
            // cancelled one ends, without a leave event.
            QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, QPoint(20, height / 2));
            QTest::mouseMove(tree->viewport(), QPoint(20, height / 2 + 30));
            QTest::mouseMove(tree->viewport(), QPoint(25, height / 2 + 40));
            QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, QPoint(25, height / 2 + 40));
        } else {
            f.hover(height / 2, QEvent::Drop);
            QCOMPARE(f.lastAccepted, source.isEmpty());
        }
        QVERIFY(!f.w->Timer1->isActive());
        // Filler nodes have no key: whatever moves was refused.
        QCOMPARE(paths(tree).mid(0, 5), kAllPaths);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // --- Tree commands: the Tree menu, the explorer's pop-up, the Delete key, drops -----

    // The menus enable their entries for the selected node (a right click
    // selects it first); each command then changes explorer and master file
    // alike, or asks and says why not, and changes nothing.
    void treeCommands_data()
    {
        QTest::addColumn<QString>("node"); // empty: nothing selected
        QTest::addColumn<QString>("menu"); // the menu opened first; empty: none
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QString>("command"); // an entry, "Delete key", or "drop on" a node
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("shown"); // "caption: text"
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("selected");
        const QStringList always{"&Expand All Branches", "Co&llapse All Branches"};
        const QStringList adds{"Add &Branch", "Add &Item"};
        const QStringList item{"&Delete Item", "&Rename"};
        const QStringList all{"$", "Recipes", "Soup", "Bread", "Kitchen", "Notes"};
        const QStringList swapped{"$", "Recipes", "Bread", "Soup", "Kitchen", "Notes"};
        const QString branchQ = "Confirm Branch Delete: Are you sure you want to remove the branch 'Recipes' and all its contents?";
        const QString cannot = QStringLiteral("Cannot move %1: The destination %2.");
        QTest::newRow("nothing") << "" << "mnuTree" << QStringList{"Page &Setup"} + always << "mnuCollapse" << 0 << QStringList() << all << "$";
        QTest::newRow("root, pop-up") << "$" << "mnuPopUpTree" << adds + always << "AddItem1" << 0 << QStringList()
                                      << all + QStringList{"New Item"} << "New Item";
        QTest::newRow("first branch") << "$\\Recipes" << "mnuTree"
            << adds + QStringList{"Move D&own", "&Delete Branch", "&Rename", "Page &Setup"} + always << "mnuAddBranch" << 0 << QStringList()
            << QStringList{"$", "Recipes", "New Branch", "Soup", "Bread", "Kitchen", "Notes"} << "New Branch";
        QTest::newRow("last branch before an item, pop-up") << "$\\Kitchen" << "mnuPopUpTree"
            << adds + QStringList{"Move &Up", "&Delete Branch", "&Rename"} + always << "MoveUp1" << 0 << QStringList()
            << QStringList{"$", "Kitchen", "Recipes", "Soup", "Bread", "Notes"} << "Kitchen";
        QTest::newRow("first item") << "$\\Recipes\\Soup" << "mnuTree"
            << QStringList{"Move D&own"} + item + QStringList{"Print Pre&view", "Print Item ...", "Page &Setup"} + always
            << "mnuMoveDown" << 0 << QStringList() << swapped << "Soup";
        QTest::newRow("last item, pop-up") << "$\\Recipes\\Bread" << "mnuPopUpTree"
            << QStringList{"Move &Up"} + item + QStringList{"Print Item ..."} + always << "MoveUp1" << 0 << QStringList()
            << swapped << "Bread";
        QTest::newRow("first item after a branch, pop-up") << "$\\Notes" << "mnuPopUpTree"
            << item + QStringList{"Print Item ..."} + always << "CollapseAllBranches1" << 0 << QStringList() << all << "$";
        QTest::newRow("delete an item, Yes") << "$\\Recipes\\Soup" << "mnuTree" << QStringList() << "mnuDelete"
            << int(MsgButton::Yes) << QStringList{"Confirm Item Delete: Are you sure you want to remove the item 'Soup'?"}
            << QStringList{"$", "Recipes", "Bread", "Kitchen", "Notes"} << "Bread";
        QTest::newRow("delete a branch, pop-up, No") << "$\\Recipes" << "mnuPopUpTree" << QStringList() << "Delete1"
            << int(MsgButton::No) << QStringList{branchQ} << all << "Recipes";
        QTest::newRow("Delete key, branch, Yes") << "$\\Recipes" << "" << QStringList() << "Delete key"
            << int(MsgButton::Yes) << QStringList{branchQ} << QStringList{"$", "Kitchen", "Notes"} << "Kitchen";
        QTest::newRow("Delete key, root") << "$" << "" << QStringList() << "Delete key" << 0 << QStringList() << all << "$";
        QTest::newRow("drop a branch with its items") << "$\\Recipes" << "" << QStringList() << "drop on $\\Kitchen" << 0
            << QStringList() << QStringList{"$", "Kitchen", "Recipes", "Soup", "Bread", "Notes"} << "Recipes";
        QTest::newRow("drop an item onto items") << "$\\Notes" << "" << QStringList() << "drop on $\\Recipes" << 0
            << QStringList() << QStringList{"$", "Recipes", "Notes", "Soup", "Bread", "Kitchen"} << "Notes";
        QTest::newRow("drop an item after the branches") << "$\\Recipes\\Soup" << "" << QStringList() << "drop on $" << 0
            << QStringList() << QStringList{"$", "Recipes", "Bread", "Kitchen", "Soup", "Notes"} << "Soup";
        QTest::newRow("drop the root") << "$" << "" << QStringList() << "drop on $\\Kitchen" << 0
            << QStringList{"Error Moving Root: Cannot move root."} << all << "$";
        QTest::newRow("drop onto an item") << "$\\Recipes" << "" << QStringList() << "drop on $\\Notes" << 0
            << QStringList{"Error Moving Branch: " + cannot.arg("Recipes", "node is an item; item cannot have children")}
            << all << "Recipes";
        QTest::newRow("drop onto its parent") << "$\\Recipes\\Soup" << "" << QStringList() << "drop on $\\Recipes" << 0
            << QStringList{"Error Moving Item: " + cannot.arg("Soup", "item is the same as the source item")} << all << "Soup";
    }
    void treeCommands()
    {
        QFETCH(QString, node);
        QFETCH(QString, menu);
        QFETCH(QStringList, enabled);
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, after);
        QFETCH(QString, selected);
        Window f;
        f.open(kWithKitchen);
        QTreeWidget *tree = f.w->tree();
        tree->expandAll();
        const QStringList before = f.treeNames();
        auto *opened = f.w->findChild<QMenu *>(menu);
        if (opened == f.w->mnuPopUpTree) {
            f.select("$\\Recipes\\Soup");
            Q_EMIT tree->customContextMenuRequested(tree->visualItemRect(testwin::node(tree, node)).center());
            QTRY_VERIFY(opened->isVisible());
            QCOMPARE(NodePath(tree->currentItem()), node);
        } else {
            node.isEmpty() ? tree->setCurrentItem(nullptr) : f.select(node);
            if (opened)
                Q_EMIT opened->aboutToShow();
        }
        QStringList on;
        for (QAction *a : opened ? opened->actions() : QList<QAction *>())
            if (!a->isSeparator() && a->isEnabled())
                on << a->text();
        QVERIFY(enabled.isEmpty() || on == enabled);
        if (opened)
            opened->hide();
        f.dialogs.answers.enqueue(MsgButton(answer));
        if (command == "Delete key") {
            tree->setFocus();
            QTest::keyClick(tree, Qt::Key_Delete);
        } else if (command.startsWith("drop on ")) {
            const int y = tree->visualItemRect(testwin::node(tree, command.mid(8))).center().y();
            for (QEvent::Type type : {QEvent::DragEnter, QEvent::DragMove, QEvent::Drop})
                f.hover(y, type);
            // Ending as a move would have the view remove the dragged rows once more.
            QVERIFY(f.lastAccepted && f.lastAction != Qt::MoveAction);
        } else {
            f.w->findChild<QAction *>(command)->trigger();
        }
        QStringList told;
        for (const ScriptedDialogs::Shown &s : f.dialogs.shown) {
            told << s.caption + ": " + s.text;
            QCOMPARE(s.icon, s.caption.startsWith("Confirm") ? MsgIcon::Question : MsgIcon::Error);
        }
        QCOMPARE(told, shown);
        QCOMPARE(f.treeNames(), after);
        QCOMPARE(f.fileNames(), after);
        // Only a change of the tree makes closing ask to save.
        QCOMPARE(f.w->doc().documentChanged, after != before);
        if (after == before)
            QCOMPARE(readFile(f.master()), kWithKitchen);
        QCOMPARE(tree->currentItem()->text(0), selected);
        f.checkFollowsSelection();
    }

    // Undo and Redo are enabled by what the history holds; each makes a store
    // point, takes back or brings again one step, reselects its node and
    // marks the document changed; New and Open start with none.
    void undoTreeChanges_data()
    {
        QTest::addColumn<QStringList>("commands"); // entries, or a key such as "Ctrl+Alt+Z"
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("enabled"); // of Undo and Redo: "undo", "redo", "both" or ""
        const QStringList all{"$", "Recipes", "Soup", "Bread", "Notes"};
        const QStringList swapped{"$", "Recipes", "Bread", "Soup", "Notes"};
        QTest::newRow("move, undo, redo, pop-up") << QStringList{"mnuMoveDown", "UndoTree1", "RedoTree1"} << swapped << "Soup" << "undo";
        QTest::newRow("two moves, undo one by key") << QStringList{"mnuMoveDown", "mnuMoveUp", "Ctrl+Alt+Z"} << swapped << "Soup" << "both";
        QTest::newRow("delete with its text, undo") << QStringList{"mnuDelete", "mnuUndoTree"} << all << "Soup" << "redo";
        QTest::newRow("New clears") << QStringList{"mnuMoveDown", "FileNew1"} << QStringList{"$", "New Item"} << "New Item" << "";
        QTest::newRow("Open clears") << QStringList{"mnuMoveDown", "mnuUndoTree", "FileOpen1"} << all << "$" << "";
    }
    void undoTreeChanges()
    {
        QFETCH(QStringList, commands);
        QFETCH(QStringList, after);
        QFETCH(QString, selected);
        QFETCH(QString, enabled);
        Window f;
        f.open();
        f.select("$\\Recipes\\Soup");
        for (const QString &command : commands) {
            f.dialogs.answers.enqueue(MsgButton::Yes); // the delete question
            f.dialogs.answers.enqueue(MsgButton::No);  // the save question
            f.dialogs.fileAnswers.enqueue(f.docPath("doc.qvr"));
            // Text typed before an undo is stored first, whatever the undo does.
            if (command.startsWith("Ctrl") || command.contains("Tree1"))
                f.type(QStringLiteral("typed"));
            if (command.startsWith("Ctrl"))
                QTest::keySequence(f.w, QKeySequence(command));
            else
                f.w->findChild<QAction *>(command)->trigger();
        }
        QCOMPARE(f.treeNames(), after);
        QCOMPARE(f.fileNames(), after);
        QCOMPARE(f.w->tree()->currentItem()->text(0), selected);
        f.checkFollowsSelection();
        const bool undo = f.w->mnuUndoTree->isEnabled(), redo = f.w->mnuRedoTree->isEnabled();
        QCOMPARE(undo && redo ? "both" : undo ? "undo" : redo ? "redo" : "", enabled);
        QVERIFY(f.w->UndoTree1->isEnabled() == undo && f.w->RedoTree1->isEnabled() == redo);
        QCOMPARE(f.w->doc().documentChanged, !commands.last().startsWith("File"));
        if (selected == "Soup") // a deleted item's text came back, the typed text stayed
            QVERIFY(f.w->editor()->toPlainText().startsWith("Onion soup"));
        QCOMPARE(readFile(f.master()).contains("typed"), commands.contains("Ctrl+Alt+Z") || commands.contains("UndoTree1"));
    }

    // --- Find in the item ------------------------------------------------------------

    void findInItem_data()
    {
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options"); // "case", "word"
        QTest::addColumn<QList<int>>("found"); // per Find Next; -1: "Cannot find "
        // In "The cat scattered the Cats.\nCat nap": "cat" 4, "scattered" 8,
        // "the" 18, "Cats" 22, "Cat" 28.
        QTest::newRow("a caret searches from the top") << 10 << 0 << "cat" << "" << QList<int>{4};
        QTest::newRow("Find Next walks on, no wrap") << 0 << 0 << "cat" << "" << QList<int>{4, 9, 22, 28, -1};
        QTest::newRow("match case") << 4 << 3 << "Cat" << "case" << QList<int>{22, 28};
        QTest::newRow("whole word") << 4 << 3 << "cat" << "word" << QList<int>{28};
        QTest::newRow("only before the selection") << 28 << 3 << "the" << "" << QList<int>{-1};
    }
    void findInItem()
    {
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, text);
        QFETCH(QString, options);
        QFETCH(QList<int>, found);
        Window f;
        f.open();
        f.select("$\\Recipes");
        QTest::keyClick(f.w, Qt::Key_F, Qt::ControlModifier); // only while an item is selected
        QVERIFY(!f.w->FindDialog1);
        f.select("$\\Notes");
        f.type(QStringLiteral("The cat scattered the Cats.\nCat nap"));
        f.w->editor()->setSelection(selStart, selLength);
        QTest::keyClick(f.w, Qt::Key_F, Qt::ControlModifier);
        TFindDialog *dialog = f.w->FindDialog1;
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->pos(), f.w->editor()->mapToGlobal(QPoint(0, f.w->ToolBar1->height())));
        dialog->setFindText(text);
        dialog->chkMatchCase->setChecked(options == "case");
        dialog->chkWholeWord->setChecked(options == "word");
        int selected = selStart;
        for (int at : found) {
            f.dialogs.clear();
            QTest::mouseClick(dialog->btnFindNext, Qt::LeftButton);
            QCOMPARE(f.dialogs.texts(), at < 0 ? QStringList{"Cannot find " + text} : QStringList());
            if (at < 0)
                QVERIFY(f.dialogs.shown[0].caption == "Quivora" && f.dialogs.shown[0].icon == MsgIcon::Information);
            selected = at < 0 ? selected : at;
            QCOMPARE(f.w->editor()->selectionStart(), selected);
        }
        if (found[0] >= 0)
            QTRY_VERIFY(f.w->editor()->hasFocus());
    }

    // --- Formatting and the clipboard commands ------------------------------------------

    // The format commands change the selection only while an item's text has
    // the focus, and are disabled otherwise.
    void formatting_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("editorFocus");
        QTest::addColumn<QString>("command"); // a key with Ctrl, or "colour"
        const QString soup = QStringLiteral("$\\Recipes\\Soup");
        for (const char *key : {"B", "I", "U", "colour", "E"})
            QTest::addRow("%s", key) << soup << true << key;
        QTest::newRow("Ctrl+B, the explorer focused") << soup << false << "B";
        QTest::newRow("Ctrl+L, a branch") << "$\\Recipes" << false << "L";
        QTest::newRow("colour, the root") << "$" << false << "colour";
    }
    void formatting()
    {
        QFETCH(QString, node);
        QFETCH(bool, editorFocus);
        QFETCH(QString, command);
        Window f;
        f.open();
        f.select(node);
        RichEdit *editor = f.w->editor();
        QWidget *focus = editorFocus ? static_cast<QWidget *>(editor) : f.w->tree();
        focus->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focus);
        if (editorFocus)
            editor->setAlignment(Qt::AlignJustify);
        editor->setSelection(0, 5); // "Onion"
        QVERIFY(!editorFocus || !f.w->Alignments->checkedAction()); // justified marks none
        QTextCursor rest(editor->document());
        rest.setPosition(9);
        const QTextCharFormat restFormat = rest.charFormat();
        for (QAction *a : {f.w->Fonts, f.w->Bold, f.w->Italic, f.w->Underline, f.w->TextColour, f.w->AlignLeft,
                           f.w->AlignCenter, f.w->AlignRight})
            QVERIFY2(a->isEnabled() == editorFocus, qPrintable(a->objectName()));
        QTimer confirm; // a colour dialog that opens is confirmed with red at once
        connect(&confirm, &QTimer::timeout, [] {
            if (auto *d = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
                d->setCurrentColor(Qt::red);
                d->accept();
            }
        });
        confirm.start(10);
        if (command == "colour")
            f.w->TextColour->trigger();
        else
            QTest::keyClick(focus, Qt::Key(command[0].unicode()), Qt::ControlModifier);
        const QTextCharFormat now = editor->currentCharFormat();
        QCOMPARE(now.fontWeight() > QFont::Normal, editorFocus && command == "B");
        QCOMPARE(now.fontItalic(), editorFocus && command == "I");
        QCOMPARE(now.fontUnderline(), editorFocus && command == "U");
        QCOMPARE(now.foreground().color() == QColor(Qt::red), editorFocus && command == "colour");
        QCOMPARE(f.w->AlignCenter->isChecked(), editorFocus && command == "E");
        QCOMPARE(rest.charFormat(), restFormat); // only the selection
        f.select("$\\Notes");
        QCOMPARE(readFile(f.master()) != sampleDocument(), editorFocus);
    }

    // Cut and copy need a selection in the focused edit control (the editor
    // or the label editor), paste text on the clipboard.
    void clipboardCommands()
    {
        Window f;
        f.open();
        f.select("$\\Recipes\\Soup");
        QApplication::clipboard()->clear();
        f.w->editor()->setFocus();
        QTRY_VERIFY(f.w->editor()->hasFocus());
        const auto on = [&f] {
            return QList<bool>{f.w->EditCut1->isEnabled(), f.w->EditCopy1->isEnabled(), f.w->EditPaste1->isEnabled()};
        };
        QCOMPARE(on(), (QList<bool>{false, false, false}));
        f.w->editor()->setSelection(0, 5);
        QCOMPARE(on(), (QList<bool>{true, true, false}));
        f.w->EditCut1->trigger();
        QCOMPARE(f.w->editor()->toPlainText(), QStringLiteral(" soup"));
        QCOMPARE(on(), (QList<bool>{false, false, true}));
        f.pressF2On("$\\Notes"); // the label editor opens with the name selected
        QTRY_VERIFY(labelEditor(f.w) && labelEditor(f.w)->hasFocus());
        QCOMPARE(on(), (QList<bool>{true, true, true}));
        QTest::keyClick(labelEditor(f.w), Qt::Key_Delete); // edits the name, deletes no node
        QVERIFY(labelEditor(f.w)->text().isEmpty() && f.dialogs.shown.isEmpty());
        f.w->EditPaste1->trigger();
        QCOMPARE(labelEditor(f.w)->text(), QStringLiteral("Onion"));
        QCOMPARE(on(), (QList<bool>{false, false, true}));
        f.w->mnuCollapse->trigger(); // ends the rename without taking the typed name
        QVERIFY(!labelEditor(f.w) && paths(f.w->tree()).contains("$\\Notes") && f.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
