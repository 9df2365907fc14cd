// The explorer and the editor of the main window: renaming in place, the
// Delete key, which commands follow the selection, the editor's focus-lost
// store point, a store that fails, drags inside the explorer, and adding
// branches and items from the Tree menu.
#include "support_window.h"

#include "shell/ExplorerTree.h"
#include "store/NodeOps.h"

#include <QAction>
#include <QApplication>
#include <QDragMoveEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
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
    if (at < 0)
        return "<missing " + from + ">";
    return bytes.replace(at, from.size(), to);
}

const QByteArray kSoupLine = "3000001 2000001 Soup\r\n";
const QByteArray kSoupBlock =
    "3000001\r\n{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Onion soup\\par\r\n}\r\nEnd\r\n";
// Stands in for the master file on disk: when it is still there afterwards,
// nothing was written.
const QByteArray kUntouched = "untouched by the test step";

struct Window : Fixture
{
    TfrmTree *w = nullptr;

    // The sample document opened from the command line, its master file a
    // byte copy of it.
    void open()
    {
        writeFile(docPath("doc.qvr"), sampleDocument());
        w = start({docPath("doc.qvr")});
        QCOMPARE(readFile(master()), sampleDocument());
        dialogs.clear();
    }

    void activate()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

    void focusEditor()
    {
        w->editor()->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->editor()));
    }

    void hover(int y, QEvent::Type type = QEvent::DragMove)
    {
        QWidget *view = w->tree()->viewport();
        QMimeData data;
        const QPointF at(view->width() / 2, y);
        if (type == QEvent::Drop) {
            QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(view, &drop);
            lastAccepted = drop.isAccepted();
            return;
        }
        if (type == QEvent::DragEnter) {
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(view, &enter);
            lastAccepted = enter.isAccepted();
            return;
        }
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(view, &move);
        lastAccepted = move.isAccepted();
    }
    bool lastAccepted = false;
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
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::addColumn<QByteArray>("oldLine");
        QTest::addColumn<QByteArray>("newLine");
        const QByteArray soup = "3000001 2000001 Soup";
        QTest::newRow("item") << "$\\Recipes\\Soup" << "Broth" << "" << soup << QByteArray("3000001 2000001 Broth");
        QTest::newRow("branch") << "$\\Recipes" << "Cooking" << ""
                                << QByteArray("2000001 1000000 Recipes") << QByteArray("2000001 1000000 Cooking");
        QTest::newRow("sibling's name in other letter case")
            << "$\\Recipes\\Soup" << "bread" << "" << soup << QByteArray("3000001 2000001 bread");
        QTest::newRow("Western European letters") << "$\\Notes" << QString::fromUtf8("Café €") << ""
                                                  << QByteArray("3000003 1000000 Notes")
                                                  << QByteArray("3000003 1000000 Caf\xe9 \x80");
        QTest::newRow("empty") << "$\\Recipes\\Soup" << "" << "You must type a name." << soup << soup;
        QTest::newRow("a sibling's name")
            << "$\\Recipes\\Soup" << "Bread"
            << "Cannot rename Soup. An item or a branch with the name you specified already exists. "
               "Specify a different name."
            << soup << soup;
        QTest::newRow("the name of the parent's sibling is free")
            << "$\\Recipes\\Soup" << "Notes" << "" << soup << QByteArray("3000001 2000001 Notes");
        QTest::newRow("a line break")
            << "$\\Recipes\\Soup" << "Soup\nand more"
            << "Cannot rename Soup. A name cannot hold a line break, a tab or another control "
               "character. Specify a different name."
            << soup << soup;
        QTest::newRow("a paragraph separator")
            << "$\\Notes" << QString(QStringLiteral("a") + QChar(QChar::ParagraphSeparator) + QStringLiteral("b"))
            << "Cannot rename Notes. A name cannot hold a line break, a tab or another control "
               "character. Specify a different name."
            << QByteArray("3000003 1000000 Notes") << QByteArray("3000003 1000000 Notes");
        QTest::newRow("the same name") << "$\\Recipes\\Soup" << "Soup" << "" << soup << soup;
    }
    void rename()
    {
        QFETCH(QString, node);
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(QByteArray, oldLine);
        QFETCH(QByteArray, newLine);
        Window f;
        f.open();
        f.select(node);
        QTreeWidgetItem *renamed = testwin::node(f.w->tree(), node);
        const QString oldName = renamed->text(0);
        const QString editorText = f.w->editor()->toPlainText();
        const int currentKey = f.w->doc().currentItemKey;

        f.w->mnuRenameClick();
        QLineEdit *edit = labelEditor(f.w);
        QVERIFY(edit);
        QCOMPARE(edit->text(), oldName);
        edit->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else if (std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.unicode() < 32 || c.unicode() > 126; }))
            edit->insert(typed); // pasted: no key types a line break into a one-line box
        else
            QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), typed);
        writeFile(f.master(), kUntouched);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!labelEditor(f.w));

        const bool writes = error.isEmpty() && typed != oldName;
        if (!error.isEmpty()) {
            QCOMPARE(f.dialogs.shown.size(), 1);
            QCOMPARE(f.dialogs.shown[0].kind, QStringLiteral("error"));
            QCOMPARE(f.dialogs.shown[0].text, error);
        } else {
            QCOMPARE(f.dialogs.texts(), QStringList());
        }
        QCOMPARE(renamed->text(0), error.isEmpty() ? typed : oldName);
        QCOMPARE(readFile(f.master()),
                 writes ? replaced(sampleDocument(), oldLine + "\r\n", newLine + "\r\n") : kUntouched);
        QCOMPARE(f.w->doc().documentChanged, writes);
        QCOMPARE(f.w->sbPath->text(), QStringLiteral("   ") + NodePath(renamed));
        QCOMPARE(f.w->tree()->currentItem(), renamed);
        // The item's text and the editor stay as they were.
        QCOMPARE(f.w->editor()->toPlainText(), editorText);
        QCOMPARE(f.w->doc().currentItemKey, currentKey);
        QVERIFY(!f.w->doc().itemTextChanged);
    }

    // A refusal shown in a real message box takes the focus from the label
    // editor; that must not commit the name a second time.
    void refusalInARealMessageBoxIsShownOnce()
    {
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
                box.close();
            }
            QWidget *owner = nullptr;
        };
        Window f;
        f.open();
        BoxDialogs boxes;
        // A second window of the same folders, answering with real boxes.
        StartupConfig config;
        config.programFolder = f.programFolder();
        config.arguments = {f.docPath("doc.qvr")};
        config.dialogs = &boxes;
        TfrmTree w(config);
        boxes.owner = &w;
        w.show();
        QVERIFY(QTest::qWaitFor([&w] { return w.doc().activated && w.pendingStartupFile().isEmpty(); }));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.tree()->setCurrentItem(testwin::node(w.tree(), "$\\Recipes\\Soup"));
        w.mnuRenameClick();
        QLineEdit *edit = labelEditor(&w);
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Bread"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!labelEditor(&w));
        QTest::qWait(50);
        QCOMPARE(boxes.texts().size(), 1);
        QCOMPARE(testwin::node(w.tree(), "$\\Recipes\\Soup")->text(0), QStringLiteral("Soup"));
        w.doc().documentChanged = false;
        QVERIFY(w.close());
    }

    void closingDuringARenameRenamesNothing()
    {
        Window f;
        f.open();
        f.activate();
        f.select("$\\Notes");
        f.w->mnuRenameClick();
        QLineEdit *edit = labelEditor(f.w);
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("Late"));
        // Closing asks nothing (no change yet) and leaves no master file behind.
        QVERIFY(f.w->close());
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!QFile::exists(f.master()));
        QVERIFY(!f.w->doc().documentChanged);
    }

    void destroyingTheWindowDuringARenameRenamesNothing()
    {
        Window f;
        f.open();
        f.select("$\\Notes");
        f.w->mnuRenameClick();
        QVERIFY(labelEditor(f.w));
        QTest::keyClicks(labelEditor(f.w), QStringLiteral("Late"));
        const QString master = f.master();
        f.window.reset();
        QCOMPARE(readFile(master), sampleDocument());
    }

    void renameWithTheKeyboardAndEscape()
    {
        Window f;
        f.open();
        f.activate();
        f.select("$\\Notes");
        f.w->tree()->setFocus();
        QTest::keyClick(f.w->tree(), Qt::Key_F2);
        QLineEdit *edit = labelEditor(f.w);
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("Gone"));
        writeFile(f.master(), kUntouched);
        QTest::keyClick(edit, Qt::Key_Escape);
        QTRY_VERIFY(!labelEditor(f.w));
        QCOMPARE(f.w->tree()->currentItem()->text(0), QStringLiteral("Notes"));
        QCOMPARE(readFile(f.master()), kUntouched);
        QVERIFY(!f.w->doc().documentChanged);
    }

    void rootKeepsItsName()
    {
        Window f;
        f.open();
        f.activate();
        QTreeWidgetItem *root = FirstNode(f.w->tree());
        QCOMPARE(f.w->tree()->currentItem(), root);
        f.w->mnuRenameClick();
        QVERIFY(!labelEditor(f.w));
        explorer(f.w)->startRename(root);
        QVERIFY(!labelEditor(f.w));
        f.w->tree()->setFocus();
        QTest::keyClick(f.w->tree(), Qt::Key_F2);
        QVERIFY(!labelEditor(f.w));
        f.w->tree()->editItem(root);
        QVERIFY(!labelEditor(f.w));
        QCOMPARE(root->text(0), QStringLiteral("$"));
        QCOMPARE(readFile(f.master()), sampleDocument());
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // --- The Delete key --------------------------------------------------------

    void deleteKey_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("master");
        QTest::addColumn<QStringList>("paths");
        const QStringList all{"$", "$\\Recipes", "$\\Recipes\\Soup", "$\\Recipes\\Bread", "$\\Notes"};
        const QString item = QStringLiteral("Confirm Item Delete");
        const QString branch = QStringLiteral("Confirm Branch Delete");
        const QString soupQ = QStringLiteral("Are you sure you want to remove the item 'Soup'?");
        const QString recipesQ = QStringLiteral("Are you sure you want to remove the branch 'Recipes' and all its contents?");
        const QByteArray doc = sampleDocument();
        QTest::newRow("item, Yes") << "$\\Recipes\\Soup" << int(MsgButton::Yes) << item << soupQ
                                   << replaced(replaced(doc, kSoupLine, ""), kSoupBlock, "")
                                   << QStringList{"$", "$\\Recipes", "$\\Recipes\\Bread", "$\\Notes"};
        QTest::newRow("item, No") << "$\\Recipes\\Soup" << int(MsgButton::No) << item << soupQ << doc << all;
        QTest::newRow("item without text, Yes")
            << "$\\Notes" << int(MsgButton::Yes) << item
            << QStringLiteral("Are you sure you want to remove the item 'Notes'?")
            << replaced(doc, "3000003 1000000 Notes\r\n", "")
            << QStringList{"$", "$\\Recipes", "$\\Recipes\\Soup", "$\\Recipes\\Bread"};
        QTest::newRow("branch, Yes")
            << "$\\Recipes" << int(MsgButton::Yes) << branch << recipesQ
            << replaced(replaced(doc, "2000001 1000000 Recipes\r\n" + kSoupLine + "3000002 2000001 Bread\r\n", ""),
                        kSoupBlock, "")
            << QStringList{"$", "$\\Notes"};
        QTest::newRow("branch, No") << "$\\Recipes" << int(MsgButton::No) << branch << recipesQ << doc << all;
        QTest::newRow("root") << "$" << 0 << "" << "" << doc << all;
    }
    void deleteKey()
    {
        QFETCH(QString, node);
        QFETCH(int, answer);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QByteArray, master);
        QFETCH(QStringList, paths);
        Window f;
        f.open();
        f.select("$\\Recipes");
        f.select(node);
        if (answer)
            f.dialogs.answers.enqueue(MsgButton(answer));
        f.w->tree()->setFocus();
        QTest::keyClick(f.w->tree(), Qt::Key_Delete);

        if (caption.isEmpty()) {
            QVERIFY(f.dialogs.shown.isEmpty());
            QVERIFY(!f.w->doc().documentChanged);
        } else {
            QCOMPARE(f.dialogs.shown.size(), 1);
            QCOMPARE(f.dialogs.shown[0].kind, QStringLiteral("box"));
            QCOMPARE(f.dialogs.shown[0].caption, caption);
            QCOMPARE(f.dialogs.shown[0].text, text);
            QCOMPARE(f.dialogs.shown[0].icon, MsgIcon::Question);
            QCOMPARE(f.dialogs.shown[0].buttons, MsgButton::Yes | MsgButton::No);
            // Set whether confirmed or not: closing will ask to save.
            QVERIFY(f.w->doc().documentChanged);
        }
        QCOMPARE(readFile(f.master()), master);
        QCOMPARE(testwin::paths(f.w->tree()), paths);
        // Whatever is selected now, editor and commands agree with it.
        QTreeWidgetItem *now = f.w->tree()->currentItem();
        QCOMPARE(f.w->editor()->isEnabled(), IsItem(now));
        QCOMPARE(f.w->PrintItem1->isEnabled(), IsItem(now));
        QCOMPARE(f.w->doc().currentItemKey, IsItem(now) ? NodeKey(now) : 0);
        QCOMPARE(f.w->sbPath->text(), QStringLiteral("   ") + NodePath(now));
    }

    void deleteKeyInsideTheLabelEditorEditsTheLabel()
    {
        Window f;
        f.open();
        f.select("$\\Notes");
        f.w->mnuRenameClick();
        QLineEdit *edit = labelEditor(f.w);
        QVERIFY(edit);
        edit->setCursorPosition(0);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("otes"));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // --- The editor and the item commands follow the selection -----------------

    void editorFollowsSelection_data()
    {
        QTest::addColumn<QString>("node"); // empty: nothing selected
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::newRow("root") << "$" << 0 << "" << "   $";
        QTest::newRow("branch") << "$\\Recipes" << 0 << "" << "   $\\Recipes";
        QTest::newRow("item with text") << "$\\Recipes\\Soup" << 3000001 << "Onion soup" << "   $\\Recipes\\Soup";
        QTest::newRow("item without text") << "$\\Notes" << 3000003 << "" << "   $\\Notes";
        QTest::newRow("nothing") << "" << 0 << "" << "   $";
    }
    void editorFollowsSelection()
    {
        QFETCH(QString, node);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, path);
        Window f;
        f.open();
        // Start from the opposite state each time.
        f.select(key ? "$\\Recipes" : "$\\Recipes\\Soup");
        if (node.isEmpty())
            f.w->tree()->setCurrentItem(nullptr);
        else
            f.select(node);
        const bool item = key != 0;
        QCOMPARE(f.w->editor()->isEnabled(), item);
        for (QAction *a : {f.w->PrintItem1, f.w->PrintPreview1, f.w->FindInItem1})
            QVERIFY2(a->isEnabled() == item, qPrintable(a->objectName()));
        QCOMPARE(f.w->doc().currentItemKey, key);
        QCOMPARE(f.w->editor()->toPlainText(), text);
        QCOMPARE(f.w->sbPath->text(), path);
        // Loading is no change of the user's.
        QVERIFY(!f.w->doc().itemTextChanged);
        QVERIFY(!f.w->editor()->isModifiedState());
        QVERIFY(!f.w->doc().documentChanged);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // --- Store points ------------------------------------------------------------

    void menusThatStore_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<bool>("stores");
        for (const char *m : {"mnuTree", "Edit1", "mnuFormat", "Help1"})
            QTest::newRow(m) << m << true;
        QTest::newRow("Tools1") << "Tools1" << false;
    }
    void menusThatStore()
    {
        QFETCH(QString, menu);
        QFETCH(bool, stores);
        Window f;
        f.open();
        f.select("$\\Notes");
        f.type(QStringLiteral("jotted"));
        Q_EMIT f.w->findChild<QMenu *>(menu)->aboutToShow();
        QCOMPARE(readFile(f.master()).contains("jotted"), stores);
        QCOMPARE(f.w->doc().itemTextChanged, !stores);
        QCOMPARE(f.w->doc().documentChanged, stores);
    }

    void leavingTheEditorForTheExplorerStores()
    {
        Window f;
        f.open();
        f.activate();
        f.select("$\\Notes");
        f.focusEditor();
        QTest::keyClicks(f.w->editor(), QStringLiteral("typed keys"));
        QVERIFY(f.w->doc().itemTextChanged);
        f.w->tree()->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(readFile(f.master()).contains("typed keys"));
        QVERIFY(!f.w->doc().itemTextChanged);
        QVERIFY(f.w->doc().documentChanged);
        // The text went to the item being edited, and only there.
        QCOMPARE(f.w->tree()->currentItem()->text(0), QStringLiteral("Notes"));
        QVERIFY(readFile(f.master()).endsWith("End\r\n"));
        QVERIFY(readFile(f.master()).contains("\r\n3000003\r\n{\\rtf1"));
    }

    void focusLossThatDoesNotStore_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("a message box") << "box";
        QTest::newRow("a menu") << "menu";
        QTest::newRow("while busy") << "busy";
    }
    void focusLossThatDoesNotStore()
    {
        QFETCH(QString, cause);
        Window f;
        f.open();
        f.activate();
        f.select("$\\Notes");
        f.focusEditor();
        QTest::keyClicks(f.w->editor(), QStringLiteral("not yet"));
        std::unique_ptr<QMessageBox> box;
        QMenu menu(f.w);
        menu.addAction(QStringLiteral("Something"));
        if (cause == "box") {
            // Takes the focus with Qt::ActiveWindowFocusReason.
            box = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("Quivora"),
                                                QStringLiteral("A message"), QMessageBox::Ok, f.w);
            box->show();
            box->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(box.get()));
        } else if (cause == "menu") {
            menu.popup(f.w->mapToGlobal(QPoint(20, 20)));
            QVERIFY(QTest::qWaitForWindowExposed(&menu));
        } else {
            f.w->doc().busy = true;
            f.w->tree()->setFocus(Qt::MouseFocusReason);
        }
        QTest::qWait(50);
        if (cause == "busy")
            f.w->doc().busy = false;
        QCOMPARE(readFile(f.master()), sampleDocument());
        QVERIFY(f.w->doc().itemTextChanged);
        QVERIFY(!f.w->doc().documentChanged);
        if (box)
            box->close();
        menu.close();
        QTest::qWait(50);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // --- A store that fails on a selection change --------------------------------

    void failedStoreKeepsTheText()
    {
        Window f;
        f.open();
        f.select("$\\Recipes\\Soup");
        QTreeWidgetItem *soup = f.w->tree()->currentItem();
        f.type(QStringLiteral(" and bread"));
        QFile::remove(f.master());
        QVERIFY(QDir().mkdir(f.master())); // a rename cannot replace a folder
        const QString expected = QStringLiteral("The item's text cannot be written to the file ") + f.master()
                                 + QStringLiteral(" (");

        f.select("$\\Notes");
        QTRY_COMPARE(f.w->tree()->currentItem(), soup);
        QTest::qWait(20);
        QCOMPARE(f.dialogs.shown.size(), 1);
        QVERIFY2(f.dialogs.shown[0].text.startsWith(expected), qPrintable(f.dialogs.shown[0].text));
        QCOMPARE(f.w->editor()->toPlainText(), QStringLiteral("Onion soup and bread"));
        QVERIFY(f.w->editor()->isEnabled());
        QVERIFY(f.w->doc().itemTextChanged);
        QCOMPARE(f.w->doc().currentItemKey, 3000001);
        QCOMPARE(f.w->sbPath->text(), QStringLiteral("   $\\Recipes\\Soup"));
        QVERIFY(f.w->PrintItem1->isEnabled());

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
        QCOMPARE(f.w->tree()->currentItem()->text(0), QStringLiteral("Notes"));
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!f.w->doc().itemTextChanged);
        const QByteArray now = readFile(f.master());
        QVERIFY(now.contains("Onion soup and bread"));
        QVERIFY(!now.contains(kSoupBlock));
        f.select("$\\Recipes\\Soup");
        QCOMPARE(f.w->editor()->toPlainText(), QStringLiteral("Onion soup and bread"));
    }

    // --- Drags inside the explorer -------------------------------------------------

    void dragsFromElsewhereAreRefused_data()
    {
        QTest::addColumn<bool>("otherWidget"); // false: no source in this program
        QTest::newRow("another widget") << true;
        QTest::newRow("another program") << false;
    }
    void dragsFromElsewhereAreRefused()
    {
        QFETCH(bool, otherWidget);
        Window f;
        f.open();
        QSignalSpy dropped(explorer(f.w), &ExplorerTree::nodeDropped);
        if (otherWidget)
            explorer(f.w)->dragSource = [&f](const QDropEvent *) -> const QObject * { return f.w->editor(); };
        f.hover(1, QEvent::DragEnter);
        QVERIFY(!f.lastAccepted);
        f.hover(1);
        QVERIFY(!f.lastAccepted);
        QVERIFY(!f.w->Timer1->isActive());
        QCOMPARE(explorer(f.w)->scrollZone(), 2);
        f.hover(f.w->tree()->viewport()->height() / 2, QEvent::Drop);
        QVERIFY(!f.lastAccepted);
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    void scrollZones_data()
    {
        QTest::addColumn<int>("fromTop");    // -1: measured from the bottom
        QTest::addColumn<int>("fromBottom"); // y = height - fromBottom
        QTest::addColumn<int>("zone");
        QTest::newRow("top edge") << 0 << -1 << 0;
        QTest::newRow("17 px from the top") << 17 << -1 << 0;
        QTest::newRow("18 px from the top") << 18 << -1 << 2;
        QTest::newRow("middle") << -2 << -1 << 2;
        QTest::newRow("height - 18") << -1 << 18 << 2;
        QTest::newRow("height - 17") << -1 << 17 << 1;
        QTest::newRow("bottom edge") << -1 << 1 << 1;
    }
    void scrollZones()
    {
        QFETCH(int, fromTop);
        QFETCH(int, fromBottom);
        QFETCH(int, zone);
        Window f;
        f.open();
        ExplorerTree *tree = explorer(f.w);
        tree->dragSource = [tree](const QDropEvent *) -> const QObject * { return tree; };
        const int height = tree->viewport()->height();
        QVERIFY(height > 100);
        const int y = fromTop == -2 ? height / 2 : fromTop >= 0 ? fromTop : height - fromBottom;
        f.hover(y, QEvent::DragEnter);
        QVERIFY(f.lastAccepted);
        f.hover(y);
        QVERIFY(f.lastAccepted);
        QCOMPARE(tree->scrollZone(), zone);
        QCOMPARE(f.w->Timer1->isActive(), zone != 2);
        QCOMPARE(f.w->Timer1->interval(), 100);
        // Back in the middle the scrolling stops.
        f.hover(height / 2);
        QCOMPARE(tree->scrollZone(), 2);
        QVERIFY(!f.w->Timer1->isActive());
    }

    void hoveringNearAnEdgeScrollsLineByLine()
    {
        Window f;
        f.open();
        ExplorerTree *tree = explorer(f.w);
        tree->dragSource = [tree](const QDropEvent *) -> const QObject * { return tree; };
        for (int i = 0; i < 40; ++i) {
            f.select("$");
            f.w->mnuAddItem->trigger();
            if (QLineEdit *edit = labelEditor(f.w))
                QTest::keyClick(edit, Qt::Key_Escape);
        }
        QScrollBar *bar = tree->verticalScrollBar();
        const int step = bar->singleStep();
        QTRY_VERIFY(bar->maximum() > 5 * step);
        bar->setValue(0);
        const int height = tree->viewport()->height();
        f.hover(height - 2, QEvent::DragEnter);
        f.hover(height - 2);
        QTRY_COMPARE(bar->value(), step);
        QTRY_COMPARE(bar->value(), 2 * step);
        f.hover(height / 2);
        const int stopped = bar->value();
        QTest::qWait(350);
        QCOMPARE(bar->value(), stopped);
        f.hover(3);
        QTRY_COMPARE(bar->value(), stopped - step);
        // Leaving the explorer stops it too.
        QDragLeaveEvent leave;
        QApplication::sendEvent(tree->viewport(), &leave);
        QVERIFY(!f.w->Timer1->isActive());
    }

    void dropLeavesTheMoveToTheWindow()
    {
        Window f;
        f.open();
        ExplorerTree *tree = explorer(f.w);
        tree->dragSource = [tree](const QDropEvent *) -> const QObject * { return tree; };
        f.w->tree()->expandAll();
        f.select("$\\Notes");
        QSignalSpy dropped(tree, &ExplorerTree::nodeDropped);
        const QRect target = tree->visualItemRect(testwin::node(tree, "$\\Recipes\\Soup"));
        f.hover(1, QEvent::DragEnter);
        f.hover(1);
        QVERIFY(f.w->Timer1->isActive());
        f.hover(target.center().y(), QEvent::Drop);
        QVERIFY(f.lastAccepted);
        QVERIFY(!f.w->Timer1->isActive());
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped[0][0].value<QTreeWidgetItem *>(), testwin::node(tree, "$\\Recipes\\Soup"));
        // The view itself moved and copied nothing.
        QCOMPARE(paths(tree), (QStringList{"$", "$\\Recipes", "$\\Recipes\\Soup", "$\\Recipes\\Bread", "$\\Notes"}));
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    void endOfADragStopsTheScrolling()
    {
        Window f;
        f.open();
        f.activate();
        ExplorerTree *tree = explorer(f.w);
        tree->dragSource = [tree](const QDropEvent *) -> const QObject * { return tree; };
        f.select("$\\Notes");
        f.hover(1, QEvent::DragEnter);
        f.hover(1);
        QVERIFY(f.w->Timer1->isActive());
        // A drag of Notes with the mouse; it ends at once here (no platform
        // drag), as a cancelled one ends, without a leave event.
        const QPoint at = tree->visualItemRect(tree->currentItem()).center();
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseMove(tree->viewport(), at + QPoint(0, 30));
        QTest::mouseMove(tree->viewport(), at + QPoint(5, 40));
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at + QPoint(5, 40));
        QVERIFY(!f.w->Timer1->isActive());
        QCOMPARE(paths(tree), (QStringList{"$", "$\\Recipes", "$\\Recipes\\Soup", "$\\Recipes\\Bread", "$\\Notes"}));
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // --- Adding from the Tree menu ---------------------------------------------------

    void addBranchesAndItems()
    {
        Window f;
        f.open();
        QTreeWidget *tree = f.w->tree();
        f.select("$");
        f.w->mnuAddBranch->trigger();
        // The new branch stands before the root's items and its label is open.
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("New Branch"));
        QCOMPARE(NodeKey(tree->currentItem()), 2000002);
        QCOMPARE(f.w->sbPath->text(), QStringLiteral("   $\\New Branch"));
        QLineEdit *edit = labelEditor(f.w);
        QVERIFY(edit);
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!f.w->editor()->isEnabled());
        QCOMPARE(f.w->doc().currentItemKey, 0);

        f.select("$");
        f.w->mnuAddBranch->trigger();
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("New Branch (2)"));
        edit = labelEditor(f.w);
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Travel"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!labelEditor(f.w));

        f.select("$");
        f.w->mnuAddItem->trigger();
        QTreeWidgetItem *added = tree->currentItem();
        QCOMPARE(added->text(0), QStringLiteral("New Item"));
        QCOMPARE(NodeKey(added), 3000004);
        QVERIFY(f.w->editor()->isEnabled());
        QCOMPARE(f.w->doc().currentItemKey, 3000004);
        QVERIFY(f.w->PrintItem1->isEnabled() && f.w->PrintPreview1->isEnabled() && f.w->FindInItem1->isEnabled());
        QCOMPARE(f.w->editor()->toPlainText(), QString());
        QVERIFY(labelEditor(f.w));
        QTest::keyClick(labelEditor(f.w), Qt::Key_Escape);

        f.select("$\\Recipes");
        f.w->mnuAddItem->trigger();
        QCOMPARE(NodeKey(tree->currentItem()), 3000005);
        QTest::keyClick(labelEditor(f.w), Qt::Key_Escape);
        f.type(QStringLiteral("fresh"));
        f.select("$\\Recipes");
        // An item selected: no branch or item is added under it.
        f.select("$\\Notes");
        const QByteArray before = readFile(f.master());
        f.w->mnuAddBranch->trigger();
        f.w->mnuAddItem->trigger();
        QCOMPARE(readFile(f.master()), before);

        QCOMPARE(paths(tree), (QStringList{"$", "$\\Recipes", "$\\Recipes\\Soup", "$\\Recipes\\Bread",
                                           "$\\Recipes\\New Item", "$\\New Branch", "$\\Travel", "$\\Notes",
                                           "$\\New Item"}));
        QByteArray expected = sampleDocument();
        expected = replaced(expected, "3000002 2000001 Bread\r\n",
                            "3000002 2000001 Bread\r\n3000005 2000001 New Item\r\n2000002 1000000 New Branch\r\n"
                            "2000003 1000000 Travel\r\n");
        expected = replaced(expected, "3000003 1000000 Notes\r\n", "3000003 1000000 Notes\r\n3000004 1000000 New Item\r\n");
        const QByteArray master = readFile(f.master());
        QCOMPARE(master.left(master.indexOf("3000005\r\n")), expected);
        QVERIFY(master.mid(expected.size()).startsWith("3000005\r\n{\\rtf1"));
        QVERIFY(master.contains("fresh"));
        QVERIFY(f.w->doc().documentChanged);
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // --- The Tree menu -------------------------------------------------------------

    void treeMenu_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("enabled");
        const auto entries = [](const char *deleteCaption) {
            return QStringList{"Add &Branch", "Add &Item", "-", QString::fromLatin1(deleteCaption), "&Rename", "-",
                               "Print Pre&view", "Print Item ...", "-", "&Expand All Branches",
                               "Co&llapse All Branches"};
        };
        const QStringList always{"&Expand All Branches", "Co&llapse All Branches"};
        QTest::newRow("root") << "$" << entries("&Delete")
                              << QStringList{"Add &Branch", "Add &Item"} + always;
        QTest::newRow("branch") << "$\\Recipes" << entries("&Delete Branch")
                                << QStringList{"Add &Branch", "Add &Item", "&Delete Branch", "&Rename"} + always;
        QTest::newRow("item") << "$\\Notes" << entries("&Delete Item")
                              << QStringList{"&Delete Item", "&Rename", "Print Pre&view", "Print Item ..."} + always;
    }
    void treeMenu()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, enabled);
        Window f;
        f.open();
        f.select(node);
        Q_EMIT f.w->mnuTree->aboutToShow();
        QStringList shown, on;
        for (QAction *a : f.w->mnuTree->actions()) {
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (!a->isSeparator() && a->isEnabled())
                on << a->text();
        }
        // Move Up and Move Down join the menu with moving nodes.
        QCOMPARE(shown, entries);
        QCOMPARE(on, enabled);
        QCOMPARE(f.w->PrintItem1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        QStringList bar;
        for (QAction *a : f.w->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"&File", "&Tree", "&Edit", "F&ormat", "Too&ls", "&Help"}));
    }
};

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
