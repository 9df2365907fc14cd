// The explorer and the editor of the main window: renaming in place, and
// the commands that end a rename still open, the Delete key, the editor and
// the commands that follow the selection, store points, a store that fails,
// drags inside the explorer, and the Tree menu.
#include "support_window.h"

#include "settings/Registry.h"
#include "shell/ExplorerTree.h"
#include "store/NodeOps.h"

#include <QAction>
#include <QApplication>
#include <QDragMoveEvent>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

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

    // The sample document opened from the command line, in an active window.
    void open()
    {
        writeFile(docPath("doc.qvr"), sampleDocument());
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

    // --- The Delete key --------------------------------------------------------

    void deleteKey_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("item, Yes") << "$\\Recipes\\Soup" << int(MsgButton::Yes)
                                   << "Are you sure you want to remove the item 'Soup'?"
                                   << QStringList{"$", "$\\Recipes", "$\\Recipes\\Bread", "$\\Notes"};
        QTest::newRow("branch, No") << "$\\Recipes" << int(MsgButton::No)
                                    << "Are you sure you want to remove the branch 'Recipes' and all its contents?"
                                    << kAllPaths;
        QTest::newRow("root") << "$" << 0 << "" << kAllPaths;
    }
    void deleteKey()
    {
        QFETCH(QString, node);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QStringList, paths);
        Window f;
        f.open();
        f.select(node);
        f.dialogs.answers.enqueue(MsgButton(answer));
        f.w->tree()->setFocus();
        QTest::keyClick(f.w->tree(), Qt::Key_Delete);

        QCOMPARE(f.dialogs.texts(), question.isEmpty() ? QStringList() : QStringList{question});
        QCOMPARE(testwin::paths(f.w->tree()), paths);
        QCOMPARE(readFile(f.master()) == sampleDocument(), answer != int(MsgButton::Yes));
        // Set whether confirmed or not: closing will ask to save.
        QCOMPARE(f.w->doc().documentChanged, !question.isEmpty());
        f.checkFollowsSelection();
    }

    void deleteKeyInsideTheLabelEditorEditsTheLabel()
    {
        Window f;
        f.open();
        f.pressF2On("$\\Notes");
        labelEditor(f.w)->setCursorPosition(0);
        QTest::keyClick(labelEditor(f.w), Qt::Key_Delete);
        QCOMPARE(labelEditor(f.w)->text(), QStringLiteral("otes"));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // --- The editor and the item commands follow the selection -----------------

    void editorFollowsSelection_data()
    {
        QTest::addColumn<QString>("node"); // empty: nothing selected
        QTest::addColumn<bool>("item");
        QTest::addColumn<QString>("text");
        QTest::newRow("root") << "$" << false << "";
        QTest::newRow("branch") << "$\\Recipes" << false << "";
        QTest::newRow("item with text") << "$\\Recipes\\Soup" << true << "Onion soup";
        QTest::newRow("item without text") << "$\\Notes" << true << "";
        QTest::newRow("nothing") << "" << false << "";
    }
    void editorFollowsSelection()
    {
        QFETCH(QString, node);
        QFETCH(bool, item);
        QFETCH(QString, text);
        Window f;
        f.open();
        // Start from the opposite state each time.
        f.select(item ? "$\\Recipes" : "$\\Recipes\\Soup");
        if (node.isEmpty())
            f.w->tree()->setCurrentItem(nullptr);
        else
            f.select(node);
        f.checkFollowsSelection();
        QCOMPARE(f.w->editor()->toPlainText(), text);
        // Loading is no change of the user's.
        QVERIFY(!f.w->doc().itemTextChanged);
        QVERIFY(!f.w->doc().documentChanged);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // With the root or a branch selected the editor is empty and disabled:
    // formatting it must not count as a change to the item selected next.
    void formattingWithNoItem_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("key"); // with Ctrl; 0: the Fonts command
        QTest::newRow("Ctrl+L, root") << "$" << int(Qt::Key_L);
        QTest::newRow("Ctrl+E, branch") << "$\\Recipes" << int(Qt::Key_E);
        QTest::newRow("Ctrl+R, root") << "$" << int(Qt::Key_R);
        QTest::newRow("Fonts, branch") << "$\\Recipes" << 0;
    }
    void formattingWithNoItem()
    {
        QFETCH(QString, node);
        QFETCH(int, key);
        Window f;
        f.open();
        f.select(node);
        f.w->tree()->setFocus();
        // A font dialog that opens is confirmed with another font at once.
        bool dialogShown = false;
        QTimer confirm;
        connect(&confirm, &QTimer::timeout, [&dialogShown] {
            if (auto *d = qobject_cast<QFontDialog *>(QApplication::activeModalWidget())) {
                dialogShown = true;
                d->setCurrentFont(QFont(QStringLiteral("Courier"), 20, QFont::Bold));
                d->accept();
            }
        });
        confirm.start(10);
        if (key)
            QTest::keyClick(f.w->tree(), Qt::Key(key), Qt::ControlModifier);
        else
            f.w->Fonts->trigger();
        QVERIFY(!dialogShown);
        QVERIFY(!f.w->doc().itemTextChanged);
        f.select("$\\Recipes\\Soup");
        f.select("$\\Notes");
        QCOMPARE(readFile(f.master()), sampleDocument());
        QVERIFY(!f.w->doc().documentChanged);
    }

    // --- Store points ------------------------------------------------------------

    // Typed text is stored when a menu other than Tools opens and when the
    // editor loses the focus to another control of the window.
    void storePoints_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("stores");
        for (const char *menu : {"mnuTree", "Edit1", "mnuFormat", "Help1"})
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
        f.select("$\\Notes");
        QTRY_COMPARE(f.w->tree()->currentItem(), soup);
        QTest::qWait(20);
        QCOMPARE(f.dialogs.shown.size(), 1);
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
        QSignalSpy dropped(tree, &ExplorerTree::nodeDropped);
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

        QTreeWidgetItem *target = tree->itemAt(tree->viewport()->width() / 2, height / 2);
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
        // The window decides what a drop does: the view itself moved and copied nothing.
        QCOMPARE(dropped.count(), end == "drop" && source.isEmpty() ? 1 : 0);
        if (!dropped.isEmpty())
            QCOMPARE(dropped[0][0].value<QTreeWidgetItem *>(), target);
        QCOMPARE(paths(tree).mid(0, 5), kAllPaths);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // --- The Tree menu -------------------------------------------------------------

    // The Tree menu's entries follow the selected node; adding puts the new
    // node there with its label open for the name.
    void treeMenu_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QString>("added"); // by Add Item, else Add Branch; empty: nothing
        const QStringList always{"&Expand All Branches", "Co&llapse All Branches"};
        QTest::newRow("root") << "$" << QStringList{"Add &Branch", "Add &Item"} + always << "$\\New Item";
        QTest::newRow("branch") << "$\\Recipes"
                                << QStringList{"Add &Branch", "Add &Item", "&Delete Branch", "&Rename"} + always
                                << "$\\Recipes\\New Branch";
        QTest::newRow("item") << "$\\Notes"
                              << QStringList{"&Delete Item", "&Rename", "Print Pre&view", "Print Item ..."} + always
                              << "";
    }
    void treeMenu()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, enabled);
        QFETCH(QString, added);
        Window f;
        f.open();
        f.select(node);
        Q_EMIT f.w->mnuTree->aboutToShow();
        QStringList on;
        for (QAction *a : f.w->mnuTree->actions())
            if (!a->isSeparator() && a->isEnabled())
                on << a->text();
        QCOMPARE(on, enabled);

        (added.endsWith(QLatin1String("Item")) ? f.w->mnuAddItem : f.w->mnuAddBranch)->trigger();
        QTreeWidgetItem *now = f.w->tree()->currentItem();
        QCOMPARE(NodePath(now), added.isEmpty() ? node : added);
        f.checkFollowsSelection();
        QCOMPARE(f.w->doc().documentChanged, !added.isEmpty());
        QCOMPARE(labelEditor(f.w) ? labelEditor(f.w)->text() : QString(), added.isEmpty() ? QString() : now->text(0));
    }
};

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
