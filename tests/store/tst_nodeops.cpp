// Adding, naming, renaming nodes and storing item text, checked on the
// explorer and on the master file byte for byte.
#include "support_nodeops_doc.h"

#include "store/Integrity.h"
#include "store/NodeOps.h"
#include "store/TreeKeys.h"

#include <QStandardPaths>
#include <QTest>

using namespace nodeops;

Q_DECLARE_METATYPE(MsgButton)

namespace {

// Two branches and three items with text, used by most cases.
//   $
//   +- Notes        2000001
//   |  +- Sub       2000002
//   |  |  +- Deep   3000003
//   |  +- First     3000001
//   |  +- Second    3000002
//   +- Recipes      2000003
//   +- Loose        3000004
Lines SampleNodes()
{
    return {"2000001 1000000 Notes", "2000002 2000001 Sub",    "3000003 2000002 Deep",
            "3000001 2000001 First", "3000002 2000001 Second", "2000003 1000000 Recipes",
            "3000004 1000000 Loose"};
}

Lines SampleBlocks()
{
    return {"3000001", "{\\rtf1 first}", "End", "3000003", "{\\rtf1 deep}", "End",
            "3000004", "{\\rtf1 loose}", "End"};
}

Lines Sample() { return Document(SampleNodes(), SampleBlocks()); }

} // namespace

class TestNodeOps : public QObject
{
    Q_OBJECT

    std::unique_ptr<Doc> d;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        SetTodayForTesting(QDate(2026, 1, 2));
    }
    void init()
    {
        d = std::make_unique<Doc>();
        QVERIFY(d->dir.isValid());
    }
    void cleanup() { d.reset(); }

    // --- Default names ---------------------------------------------------

    void newNodeName_data()
    {
        QTest::addColumn<Lines>("children"); // node lines under the branch 2000001
        QTest::addColumn<bool>("item");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty parent, item") << Lines{} << true << "New Item";
        QTest::newRow("empty parent, branch") << Lines{} << false << "New Branch";
        QTest::newRow("one taken") << Lines{"3000001 2000001 New Item"} << true << "New Item (2)";
        QTest::newRow("two taken") << Lines{"3000001 2000001 New Item", "3000002 2000001 New Item (2)"}
                                   << true << "New Item (3)";
        QTest::newRow("freed number reused")
            << Lines{"3000001 2000001 New Item", "3000003 2000001 New Item (3)"} << true << "New Item (2)";
        QTest::newRow("only a numbered one") << Lines{"3000002 2000001 New Item (2)"} << true << "New Item";
        QTest::newRow("branch named New Item counts")
            << Lines{"2000002 2000001 New Item"} << true << "New Item (2)";
        QTest::newRow("other letter case is free") << Lines{"3000001 2000001 new item"} << true << "New Item";
        QTest::newRow("branch sequence")
            << Lines{"2000002 2000001 New Branch", "2000003 2000001 New Branch (2)"} << false
            << "New Branch (3)";
        QTest::newRow("grandchild does not count")
            << Lines{"2000002 2000001 Sub", "3000001 2000002 New Item"} << true << "New Item";
    }
    void newNodeName()
    {
        QFETCH(Lines, children);
        QFETCH(bool, item);
        QFETCH(QString, expected);
        // A sibling branch of the parent holding the name must not count either.
        Lines nodes{"2000001 1000000 Parent"};
        nodes << children << "2000009 1000000 Other" << "3000009 2000009 New Item";
        QVERIFY(d->open(Document(nodes)));
        QCOMPARE(NewNodeName(d->tree.get(), d->node("$\\Parent"), item ? NodeKind::Item : NodeKind::Branch),
                 expected);
    }

    // --- Adding ----------------------------------------------------------

    void addThreeItemsThenRename()
    {
        NewTreeFile(d->tree.get(), &d->editor, d->state);
        const Lines start = NewFileTemplateLines();
        QCOMPARE(d->disk(), JoinLines(start));
        QTreeWidgetItem *root = d->node("$");

        QStringList names;
        QList<int> keys;
        for (int i = 0; i < 3; ++i) {
            d->tree->setCurrentItem(root);
            QTreeWidgetItem *n = AddItem(d->tree.get(), &d->editor, d->pathBar, d->state);
            QVERIFY(n);
            names << n->text(0);
            keys << NodeKey(n);
        }
        QCOMPARE(names, (QStringList{"New Item (2)", "New Item (3)", "New Item (4)"}));
        QCOMPARE(keys, (QList<int>{3000002, 3000003, 3000004}));

        // Rename "New Item (2)", and the next add takes that name again.
        QVERIFY(RenameNode(d->tree.get(), d->node("$\\New Item (2)"), "Shopping", d->state, d->pathBar));
        d->tree->setCurrentItem(root);
        QTreeWidgetItem *again = AddItem(d->tree.get(), &d->editor, d->pathBar, d->state);
        QCOMPARE(again->text(0), QStringLiteral("New Item (2)"));
        QCOMPARE(NodeKey(again), 3000005);

        Lines expected = start;
        expected.insert(9, "3000005 1000000 New Item (2)");
        expected.insert(9, "3000004 1000000 New Item (4)");
        expected.insert(9, "3000003 1000000 New Item (3)");
        expected.insert(9, "3000002 1000000 Shopping");
        QCOMPARE(d->disk(), JoinLines(expected));
        QCOMPARE(d->state.master.toBytes(), d->disk());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
    }

    void addItemSetsState()
    {
        QVERIFY(d->open(Sample()));
        d->state.currentItemKey = 3000004;
        d->editor.content = "old text";
        d->editor.enabled = false;
        d->select("$\\Notes");
        QTreeWidgetItem *n = AddItem(d->tree.get(), &d->editor, d->pathBar, d->state);
        QVERIFY(n);
        QCOMPARE(NodeKey(n), 3000005);
        QCOMPARE(n->parent(), d->node("$\\Notes"));
        QCOMPARE(n->parent()->indexOfChild(n), n->parent()->childCount() - 1);
        QCOMPARE(d->tree->currentItem(), n);
        QCOMPARE(d->pathBarText, QStringLiteral("   $\\Notes\\New Item"));
        QCOMPARE(d->state.currentItemKey, 3000005);
        QVERIFY(d->state.documentChanged);
        QVERIFY(!d->state.busy);
        QVERIFY(d->editor.content.isEmpty());
        QVERIFY(d->editor.enabled);
        QCOMPARE(d->editor.fontsApplied, 1);
        QVERIFY(TreeKeys::of(d->tree.get()).contains(3000005));
        // Its line follows the last node of the parent's subtree.
        Lines nodes = SampleNodes();
        nodes.insert(5, "3000005 2000001 New Item");
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        QCOMPARE(d->treeLines().mid(1), nodes);
    }

    void addBranchGoesBeforeItems_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<int>("childIndex");
        QTest::addColumn<int>("lineIndex"); // index among SampleNodes where its line goes
        QTest::addColumn<QString>("line");
        QTest::newRow("after sub-branch subtree") << "$\\Notes" << 1 << 3 << "2000004 2000001 New Branch";
        QTest::newRow("root: after the last branch subtree")
            << "$" << 2 << 6 << "2000004 1000000 New Branch";
        QTest::newRow("no children: after parent line") << "$\\Recipes" << 0 << 6
                                                        << "2000004 2000003 New Branch";
        QTest::newRow("only items: after parent line") << "$\\Notes\\Sub" << 0 << 2
                                                       << "2000004 2000002 New Branch";
    }
    void addBranchGoesBeforeItems()
    {
        QFETCH(QString, parent);
        QFETCH(int, childIndex);
        QFETCH(int, lineIndex);
        QFETCH(QString, line);
        QVERIFY(d->open(Sample()));
        d->state.currentItemKey = 3000001;
        d->editor.content = "shown text";
        QTreeWidgetItem *p = d->select(parent);
        QTreeWidgetItem *n = AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state);
        QVERIFY(n);
        QCOMPARE(p->indexOfChild(n), childIndex);
        QCOMPARE(d->tree->currentItem(), n);
        QCOMPARE(d->pathBarText, QStringLiteral("   ") + parent + QStringLiteral("\\New Branch"));
        QVERIFY(d->editor.content.isEmpty());
        QVERIFY(d->state.documentChanged);
        QVERIFY(!d->state.busy);
        QCOMPARE(d->state.currentItemKey, 3000001); // a branch has no text of its own

        Lines nodes = SampleNodes();
        nodes.insert(lineIndex, line.toLatin1());
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        QCOMPARE(d->treeLines().mid(1), nodes);
        QVERIFY(d->ui.shown.isEmpty());
    }

    void smallDocumentFromTheTemplate()
    {
        NewTreeFile(d->tree.get(), &d->editor, d->state);
        d->select("$");
        QVERIFY(AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state));
        QVERIFY(RenameNode(d->tree.get(), d->node("$\\New Branch"), "Recipes", d->state, d->pathBar));
        QCOMPARE(d->pathBarText, QStringLiteral("   $\\Recipes"));
        d->select("$\\New Item");
        d->state.currentItemKey = 3000001;
        d->editor.type("{\\rtf1 soup\r\n\\par }");
        d->state.itemTextChanged = true;
        QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
        Lines expected = NewFileTemplateLines();
        expected.insert(8, "2000001 1000000 Recipes");
        expected << "3000001" << "{\\rtf1 soup" << "\\par }" << "End";
        QCOMPARE(d->disk(), JoinLines(expected));
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
    }

    void addRefusedForItemOrNothing_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("branch");
        QTest::newRow("item, add item") << "$\\Loose" << false;
        QTest::newRow("item, add branch") << "$\\Loose" << true;
        QTest::newRow("nothing, add item") << QString() << false;
        QTest::newRow("nothing, add branch") << QString() << true;
    }
    void addRefusedForItemOrNothing()
    {
        QFETCH(QString, selected);
        QFETCH(bool, branch);
        QVERIFY(d->open(Sample()));
        d->tree->setCurrentItem(selected.isEmpty() ? nullptr : d->node(selected));
        d->editor.content = "kept";
        const QByteArray before = d->disk();
        QTreeWidgetItem *n = branch ? AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state)
                                    : AddItem(d->tree.get(), &d->editor, d->pathBar, d->state);
        QVERIFY(!n);
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->editor.content, QByteArray("kept"));
        QVERIFY(!d->state.busy);
        QVERIFY(!d->state.documentChanged);
        QVERIFY(d->ui.shown.isEmpty());
    }

    void keysOfDeletedNodesAreReused()
    {
        QVERIFY(d->open(Sample()));
        d->select("$\\Notes\\First");
        QVERIFY(DeleteItem(d->tree.get(), d->state));
        d->select("$\\Recipes");
        QVERIFY(DeleteBranch(d->tree.get(), d->state));
        d->select("$");
        QCOMPARE(NodeKey(AddItem(d->tree.get(), &d->editor, d->pathBar, d->state)), 3000001);
        d->select("$");
        QCOMPARE(NodeKey(AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state)), 2000003);
        d->select("$");
        QCOMPARE(NodeKey(AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state)), 2000004);
        QCOMPARE(d->treeLines(), d->state.master.nodes());
    }

    void allBranchKeysInUse()
    {
        QVERIFY(d->open(Sample()));
        TreeKeys &keys = TreeKeys::of(d->tree.get());
        for (int k = FirstBranchKey; k < BranchKeyEnd; ++k)
            keys.add(k);
        d->select("$");
        d->editor.content = "kept";
        const QByteArray before = d->disk();
        QVERIFY(!AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state));
        QCOMPARE(d->ui.texts(), QStringList{"message:" + NoKeyLeftMessage(NodeKind::Branch)});
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->childNames("$"), (QStringList{"Notes", "Recipes", "Loose"}));
        QCOMPARE(d->editor.content, QByteArray("kept"));
        QVERIFY(!d->state.documentChanged);
        QVERIFY(!d->state.busy);
        // Items still have keys.
        QVERIFY(AddItem(d->tree.get(), &d->editor, d->pathBar, d->state));
    }

    void previousLineMissing()
    {
        QVERIFY(d->open(Sample()));
        // The explorer and the file disagree about Recipes' name.
        d->node("$\\Recipes")->setText(0, "Renamed");
        const QByteArray before = d->disk();
        d->select("$\\Renamed");
        QTreeWidgetItem *n = AddItem(d->tree.get(), &d->editor, d->pathBar, d->state);
        QVERIFY(n); // the explorer keeps the node
        QCOMPARE(d->ui.texts(), QStringList{"message:DEBUG WriteNodeToMaster item not found"});
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.master.toBytes(), before);
    }

    // --- Renaming --------------------------------------------------------

    void rename_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("dialog"); // the error dialog's text; empty for none
        QTest::addColumn<QByteArray>("line"); // the node's line in the file afterwards

        const QString dup = "Cannot rename First. An item or a branch with the name you specified "
                            "already exists. Specify a different name.";
        QTest::newRow("plain") << "$\\Notes\\First" << "Chapter 1" << true << "" << QByteArray("3000001 2000001 Chapter 1");
        QTest::newRow("branch") << "$\\Notes" << "Journal" << true << "" << QByteArray("2000001 1000000 Journal");
        QTest::newRow("unchanged") << "$\\Notes\\First" << "First" << true << "" << QByteArray("3000001 2000001 First");
        QTest::newRow("empty") << "$\\Notes\\First" << "" << false << "You must type a name."
                               << QByteArray("3000001 2000001 First");
        QTest::newRow("sibling item's name") << "$\\Notes\\First" << "Second" << false << dup
                                             << QByteArray("3000001 2000001 First");
        QTest::newRow("sibling branch's name") << "$\\Notes\\First" << "Sub" << false << dup
                                               << QByteArray("3000001 2000001 First");
        QTest::newRow("sibling's name in other case") << "$\\Notes\\First" << "second" << true << ""
                                                      << QByteArray("3000001 2000001 second");
        QTest::newRow("own name in other case") << "$\\Notes\\First" << "FIRST" << true << ""
                                                << QByteArray("3000001 2000001 FIRST");
        QTest::newRow("name of a cousin") << "$\\Notes\\First" << "Deep" << true << ""
                                          << QByteArray("3000001 2000001 Deep");
        QTest::newRow("backslash and blanks") << "$\\Notes\\First" << " a\\b " << true << ""
                                              << QByteArray("3000001 2000001  a\\b ");
        QTest::newRow("End") << "$\\Notes\\First" << "End" << true << "" << QByteArray("3000001 2000001 End");
        QTest::newRow("Windows-1252 characters") << "$\\Notes\\First" << QString::fromUtf8("Café €5 – “ok”")
                                                 << true << ""
                                                 << QByteArray("3000001 2000001 Caf\xE9 \x80" "5 \x96 \x93ok\x94");
        const QString ctl = "Cannot rename First. A name cannot hold a line break, a tab or another control "
                            "character. Specify a different name.";
        QTest::newRow("line feed") << "$\\Notes\\First" << "a\nb" << false << ctl << QByteArray("3000001 2000001 First");
        QTest::newRow("carriage return") << "$\\Notes\\First" << "a\rb" << false << ctl << QByteArray("3000001 2000001 First");
        QTest::newRow("tab") << "$\\Notes\\First" << "a\tb" << false << ctl << QByteArray("3000001 2000001 First");
        QTest::newRow("nul") << "$\\Notes\\First" << QString(QChar(0)) << false << ctl << QByteArray("3000001 2000001 First");
        QTest::newRow("C1 control") << "$\\Notes\\First" << QString(QChar(0x81)) << false << ctl
                                    << QByteArray("3000001 2000001 First");
        QTest::newRow("line separator") << "$\\Notes\\First" << QString(QChar(0x2028)) << false << ctl
                                        << QByteArray("3000001 2000001 First");
        QTest::newRow("Chinese") << "$\\Notes\\First" << QString::fromUtf8("笔记") << false
                                 << QString::fromUtf8("Cannot rename First. The character '笔' (U+7B14) cannot be stored in a tree file; "
                                                      "only Western European (Windows-1252) characters can. Specify a different name.")
                                 << QByteArray("3000001 2000001 First");
        QTest::newRow("emoji") << "$\\Notes\\First" << QString::fromUtf8("ok 😀") << false
                               << QString::fromUtf8("Cannot rename First. The character '😀' (U+1F600) cannot be stored in a tree file; "
                                                    "only Western European (Windows-1252) characters can. Specify a different name.")
                               << QByteArray("3000001 2000001 First");
    }
    void rename()
    {
        QFETCH(QString, path);
        QFETCH(QString, newName);
        QFETCH(bool, accepted);
        QFETCH(QString, dialog);
        QFETCH(QByteArray, line);
        QVERIFY(d->open(Sample()));
        QTreeWidgetItem *n = d->node(path);
        const QString oldName = n->text(0);
        const int index = int(SampleNodes().indexOf(NodeLine(n)));
        const QByteArray before = d->disk();

        QCOMPARE(RenameNode(d->tree.get(), n, newName, d->state, d->pathBar), accepted);

        QCOMPARE(d->ui.texts(), dialog.isEmpty() ? QStringList() : QStringList{"error:" + dialog});
        Lines nodes = SampleNodes();
        nodes[index] = line;
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        const bool changed = accepted && newName != oldName;
        QCOMPARE(d->state.documentChanged, changed);
        QCOMPARE(n->text(0), accepted ? newName : oldName);
        if (changed)
            QCOMPARE(d->pathBarText, QStringLiteral("   ") + NodePath(n));
        else
            QCOMPARE(d->disk(), before);
        QCOMPARE(d->treeLines().mid(1), nodes);
    }

    void rootKeepsItsName()
    {
        QVERIFY(d->open(Sample()));
        const QByteArray before = d->disk();
        QVERIFY(!RenameNode(d->tree.get(), d->node("$"), "Top", d->state, d->pathBar));
        QCOMPARE(d->node("$")->text(0), QStringLiteral("$"));
        QCOMPARE(d->disk(), before);
        QVERIFY(d->ui.shown.isEmpty());
        QVERIFY(!d->state.documentChanged);
    }

    void renameFindsLineInOtherCase()
    {
        Lines nodes = SampleNodes();
        QVERIFY(d->open(Document(nodes, SampleBlocks())));
        // The explorer spells the name in other letter case than the file.
        d->node("$\\Recipes")->setText(0, "RECIPES");
        QVERIFY(RenameNode(d->tree.get(), d->node("$\\RECIPES"), "Cooking", d->state, d->pathBar));
        nodes[5] = "2000003 1000000 Cooking";
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
    }

    void renameLineMissing()
    {
        QVERIFY(d->open(Sample()));
        d->node("$\\Loose")->setText(0, "Elsewhere");
        const QByteArray before = d->disk();
        QVERIFY(RenameNode(d->tree.get(), d->node("$\\Elsewhere"), "Gone", d->state, d->pathBar));
        QCOMPARE(d->ui.texts(), QStringList{"message:DEBUG RenameItem item not found"});
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->node("$\\Gone") != nullptr, true); // the explorer keeps its change
    }

    // --- Item text -------------------------------------------------------

    void storeMovesBlockToTheEnd()
    {
        QVERIFY(d->open(Sample()));
        auto store = [&](int key, const QByteArray &text) {
            d->state.currentItemKey = key;
            d->editor.type(text);
            d->state.itemTextChanged = true;
            d->state.documentChanged = false;
            QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
            QVERIFY(!d->state.itemTextChanged);
            QVERIFY(d->state.documentChanged);
            QVERIFY(!d->editor.modified);
        };
        // No block yet: appended.
        store(3000002, "{\\rtf1 second}\r\n");
        Lines blocks = SampleBlocks();
        blocks << "3000002" << "{\\rtf1 second}" << "End";
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
        // Stored again: one block, at the end.
        store(3000001, "{\\rtf1 one\r\n\\par two}");
        store(3000001, "{\\rtf1 one\r\n\\par three}");
        blocks = {"3000003", "{\\rtf1 deep}", "End", "3000004", "{\\rtf1 loose}", "End",
                  "3000002", "{\\rtf1 second}", "End", "3000001", "{\\rtf1 one", "\\par three}", "End"};
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
        QCOMPARE(d->state.master.toBytes(), d->disk());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
    }

    // Every store point checks the explorer against the file; a known good
    // pair need not be compared again, but any change of either must be.
    void storeChecksIntegrity()
    {
        QVERIFY(d->open(Sample()));
        auto store = [&] {
            d->state.currentItemKey = 3000004;
            d->editor.type("{\\rtf1 x}");
            d->state.itemTextChanged = true;
            QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
        };
        store();
        QVERIFY(d->ui.shown.isEmpty());

        // The explorer changes behind the file's back: reported at every store.
        d->node("$\\Recipes")->setText(0, "Cooking");
        const QString report = "message:" + IntegrityMessage("2000003 1000000 Recipes", "2000003 1000000 Cooking");
        store();
        QCOMPARE(d->ui.texts(), QStringList{report});
        store();
        QCOMPARE(d->ui.texts(), (QStringList{report, report}));

        // Back in step: silent again.
        d->node("$\\Cooking")->setText(0, "Recipes");
        store();
        store();
        QCOMPARE(d->ui.shown.size(), 2);

        // The file changes behind the explorer's back.
        d->state.master.nodes()[6] = "2000003 1000000 Baking";
        store();
        QCOMPARE(d->ui.texts().last(), "message:" + IntegrityMessage("2000003 1000000 Baking", "2000003 1000000 Recipes"));

        // A node added to the explorer only.
        d->state.master.nodes()[6] = "2000003 1000000 Recipes";
        store();
        QCOMPARE(d->ui.shown.size(), 3);
        auto *extra = new QTreeWidgetItem(QStringList{"Extra"});
        SetNodeKey(extra, 3000009);
        d->node("$")->addChild(extra);
        store();
        QCOMPARE(d->ui.shown.size(), 4);
    }

    void storeDoesNothing_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("key");
        QTest::newRow("text not changed") << false << 3000001;
        QTest::newRow("no current item") << true << 0;
        QTest::newRow("a branch's key") << true << 2000001;
    }
    void storeDoesNothing()
    {
        QFETCH(bool, changed);
        QFETCH(int, key);
        QVERIFY(d->open(Sample()));
        const QByteArray before = d->disk();
        d->editor.type("typed");
        d->state.itemTextChanged = changed;
        d->state.currentItemKey = key;
        QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.itemTextChanged, changed);
        QVERIFY(!d->state.documentChanged);
        QVERIFY(d->editor.modified);
    }

    void storeWithMasterMissing()
    {
        QVERIFY(d->open(Sample()));
        QVERIFY(QFile::remove(d->masterPath()));
        d->editor.type("typed");
        d->state.itemTextChanged = true;
        d->state.currentItemKey = 3000001;
        QVERIFY(!SaveItemText(d->tree.get(), &d->editor, d->state));
        QCOMPARE(d->ui.texts(),
                 QStringList{"message:Critical error - file " + d->masterPath() + " doesn't exist."});
        QVERIFY(d->state.itemTextChanged);
        QVERIFY(!d->state.documentChanged);
        QCOMPARE(d->editor.content, QByteArray("typed"));
        QVERIFY(d->editor.modified);
        QVERIFY(!QFile::exists(d->masterPath()));
    }

    void storeGuardsBlockBoundaries()
    {
        QVERIFY(d->open(Sample()));
        d->state.currentItemKey = 3000002;
        d->editor.type("{\\rtf1 a\\par\r\nEnd\r\n3000004\r\n\\par b}\r\n");
        d->state.itemTextChanged = true;
        QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
        Lines blocks = SampleBlocks();
        blocks << "3000002" << "{\\rtf1 a\\par" << "{}End" << "{}3000004" << "\\par b}" << "End";
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
        // Read back, every item keeps its own text.
        MasterFile reread(d->masterPath());
        QVERIFY(reread.load());
        QCOMPARE(reread.blockText(3000004), QByteArray("{\\rtf1 loose}\r\n"));
        QCOMPARE(reread.blockText(3000002), QByteArray("{\\rtf1 a\\par\r\n{}End\r\n{}3000004\r\n\\par b}\r\n"));
    }

    void load_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("imports");
        QTest::newRow("with block") << "$\\Notes\\Sub\\Deep" << QByteArray("{\\rtf1 deep}\r\n") << 1;
        QTest::newRow("without block") << "$\\Notes\\Second" << QByteArray() << 0;
    }
    void load()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, text);
        QFETCH(int, imports);
        QVERIFY(d->open(Sample()));
        d->editor.content = "previous";
        d->select(path);
        LoadItemText(d->tree.get(), &d->editor, d->state);
        QCOMPARE(d->editor.content, text);
        QCOMPARE(d->editor.imports, imports);
    }

    void loadEmptyBlock()
    {
        QVERIFY(d->open(Document({"3000001 1000000 Empty"}, {"3000001", "End"})));
        d->editor.content = "previous";
        d->select("$\\Empty");
        LoadItemText(d->tree.get(), &d->editor, d->state);
        QVERIFY(d->editor.content.isEmpty());
    }

    void loadDoesNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("removeMaster");
        QTest::newRow("branch") << "$\\Notes" << false;
        QTest::newRow("root") << "$" << false;
        QTest::newRow("master missing") << "$\\Loose" << true;
    }
    void loadDoesNothing()
    {
        QFETCH(QString, path);
        QFETCH(bool, removeMaster);
        QVERIFY(d->open(Sample()));
        if (removeMaster)
            QFile::remove(d->masterPath());
        d->editor.content = "previous";
        d->select(path);
        LoadItemText(d->tree.get(), &d->editor, d->state);
        QCOMPARE(d->editor.content, QByteArray("previous"));
        QCOMPARE(d->editor.clears, 0);
    }

    // --- Failed writes ---------------------------------------------------

    void failedStoreKeepsEverything()
    {
        QVERIFY(d->open(Sample()));
        const QByteArray before = d->disk();
        d->state.currentItemKey = 3000001;
        d->editor.type("{\\rtf1 new text}");
        d->state.itemTextChanged = true;
        {
            WriteLimit full(64);
            QVERIFY(!SaveItemText(d->tree.get(), &d->editor, d->state));
        }
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.master.toBytes(), before);
        QCOMPARE(QDir(d->dir.path()).entryList(QDir::Files), QStringList{"Master"}); // no leftovers
        QVERIFY(d->state.itemTextChanged);
        QVERIFY(!d->state.documentChanged);
        QVERIFY(d->editor.modified);
        QCOMPARE(d->editor.content, QByteArray("{\\rtf1 new text}"));
        QCOMPARE(d->ui.shown.size(), 1);
        const QString text = d->ui.shown[0].text;
        QVERIFY2(text.startsWith("The item's text cannot be written to the file " + d->masterPath() + " ("), qPrintable(text));
        QVERIFY2(text.endsWith("). The text stays in the editor and is stored at the next chance."), qPrintable(text));

        // The next store point, with room again, stores it.
        QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
        Lines blocks = {"3000003", "{\\rtf1 deep}", "End", "3000004", "{\\rtf1 loose}", "End",
                        "3000001", "{\\rtf1 new text}", "End"};
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
    }

    void failedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("add item") << "add item";
        QTest::newRow("add branch") << "add branch";
        QTest::newRow("rename") << "rename";
        QTest::newRow("delete item") << "delete item";
        QTest::newRow("delete branch") << "delete branch";
    }
    void failedWritesChangeNothing()
    {
        QFETCH(QString, operation);
        QVERIFY(d->open(Sample()));
        const QByteArray before = d->disk();
        const Lines treeBefore = d->treeLines();
        QTreeWidgetItem *notes = d->select("$\\Notes");
        bool done = true;
        {
            WriteLimit full(64);
            if (operation == "add item")
                done = AddItem(d->tree.get(), &d->editor, d->pathBar, d->state) != nullptr;
            else if (operation == "add branch")
                done = AddBranch(d->tree.get(), &d->editor, d->pathBar, d->state) != nullptr;
            else if (operation == "rename")
                done = RenameNode(d->tree.get(), notes, "Journal", d->state, d->pathBar);
            else if (operation == "delete item")
                done = (d->select("$\\Notes\\First"), DeleteItem(d->tree.get(), d->state));
            else
                done = DeleteBranch(d->tree.get(), d->state);
        }
        QVERIFY(!done);
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.master.toBytes(), before);
        QCOMPARE(d->treeLines(), treeBefore);
        QVERIFY(!d->state.documentChanged);
        QVERIFY(!d->state.busy);
        QCOMPARE(d->ui.shown.size(), 1);
        QVERIFY2(d->ui.shown[0].text.startsWith("The change cannot be written to the file " + d->masterPath() + " ("),
                 qPrintable(d->ui.shown[0].text));
        QVERIFY(d->ui.shown[0].text.endsWith("). The document was not changed."));
        QVERIFY2(d->ui.shown[0].text.contains("File too large"), qPrintable(d->ui.shown[0].text)); // the reason
        // Nothing half done: the keys are free and the next add works.
        d->select("$\\Notes");
        QTreeWidgetItem *n = AddItem(d->tree.get(), &d->editor, d->pathBar, d->state);
        QVERIFY(n);
        QCOMPARE(NodeKey(n), 3000005);
        QCOMPARE(d->treeLines(), d->state.master.nodes());
    }
};

QTEST_MAIN(TestNodeOps)
#include "tst_nodeops.moc"
