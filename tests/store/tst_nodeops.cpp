// Adding, naming, renaming and deleting nodes and storing item text, checked
// on the explorer and on the master file byte for byte.
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

Lines Block(int key, const QByteArray &text)
{
    return {QByteArray::number(key), text, EndLine};
}

Lines SampleBlocks()
{
    return Block(3000001, "{\\rtf1 first}") + Block(3000003, "{\\rtf1 deep}") + Block(3000004, "{\\rtf1 loose}");
}

Lines Sample() { return Document(SampleNodes(), SampleBlocks()); }

} // namespace

class TestNodeOps : public QObject
{
    Q_OBJECT

    std::unique_ptr<Doc> d;

    QTreeWidget *tree() const { return d->tree.get(); }
    QTreeWidgetItem *addItem() { return AddItem(tree(), &d->editor, d->pathBar, d->state); }
    QTreeWidgetItem *addBranch() { return AddBranch(tree(), &d->editor, d->pathBar, d->state); }
    // The user typed `text` into the item `key`, and a store point came.
    bool store(int key, const QByteArray &text)
    {
        d->state.currentItemKey = key;
        d->editor.type(text);
        d->state.itemTextChanged = true;
        return SaveItemText(tree(), &d->editor, d->state);
    }

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

    // --- Adding ----------------------------------------------------------

    void newNodeName_data()
    {
        QTest::addColumn<Lines>("children"); // node lines under the branch 2000001
        QTest::addColumn<bool>("item");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty parent") << Lines{} << true << "New Item";
        QTest::newRow("two taken") << Lines{"3000001 2000001 New Item", "3000002 2000001 New Item (2)"}
                                   << true << "New Item (3)";
        QTest::newRow("freed number reused")
            << Lines{"3000001 2000001 New Item", "3000003 2000001 New Item (3)"} << true << "New Item (2)";
        QTest::newRow("only a numbered one") << Lines{"3000002 2000001 New Item (2)"} << true << "New Item";
        QTest::newRow("branch named New Item counts")
            << Lines{"2000002 2000001 New Item"} << true << "New Item (2)";
        QTest::newRow("other letter case is free") << Lines{"3000001 2000001 new item"} << true << "New Item";
        QTest::newRow("branch sequence") << Lines{"2000002 2000001 New Branch"} << false << "New Branch (2)";
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
        QCOMPARE(NewNodeName(tree(), d->node("$\\Parent"), item ? NodeKind::Item : NodeKind::Branch), expected);
    }

    // The small document: a new one, three items added and one renamed, a
    // branch added before them, and an item's text stored.
    void fromTheTemplate()
    {
        NewTreeFile(tree(), &d->editor, d->state);
        Lines expected = NewFileTemplateLines();
        QCOMPARE(d->disk(), JoinLines(expected));
        QStringList names;
        QList<int> keys;
        for (int i = 0; i < 3; ++i) {
            d->select("$");
            QTreeWidgetItem *n = addItem();
            names << n->text(0);
            keys << NodeKey(n);
        }
        QCOMPARE(names, (QStringList{"New Item (2)", "New Item (3)", "New Item (4)"}));
        QCOMPARE(keys, (QList<int>{3000002, 3000003, 3000004}));
        // The next add takes the name given up by a rename.
        QVERIFY(RenameNode(tree(), d->node("$\\New Item (2)"), "Shopping", d->state, d->pathBar));
        d->select("$");
        QCOMPARE(NodeKey(addItem()), 3000005);
        d->select("$");
        QVERIFY(addBranch());
        QVERIFY(RenameNode(tree(), d->node("$\\New Branch"), "Recipes", d->state, d->pathBar));
        QCOMPARE(d->pathBarText, QStringLiteral("   $\\Recipes"));
        QVERIFY(store(3000001, "{\\rtf1 soup\r\n\\par }"));

        expected.insert(8, "2000001 1000000 Recipes");
        expected = expected.mid(0, 10) + Lines{"3000002 1000000 Shopping", "3000003 1000000 New Item (3)",
                                               "3000004 1000000 New Item (4)", "3000005 1000000 New Item (2)"}
                   + expected.mid(10);
        expected << "3000001" << "{\\rtf1 soup" << "\\par }" << "End";
        QCOMPARE(d->disk(), JoinLines(expected));
        QCOMPARE(d->state.master.toBytes(), d->disk());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
    }

    void add_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<bool>("branch");
        QTest::addColumn<int>("childIndex");
        QTest::addColumn<int>("lineIndex"); // index among SampleNodes where its line goes
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("item: last child, after the parent's subtree")
            << "$\\Notes" << false << 3 << 5 << QByteArray("3000005 2000001 New Item");
        QTest::newRow("branch: after the sub-branch's subtree")
            << "$\\Notes" << true << 1 << 3 << QByteArray("2000004 2000001 New Branch");
        QTest::newRow("branch under the root: after the last branch subtree")
            << "$" << true << 2 << 6 << QByteArray("2000004 1000000 New Branch");
        QTest::newRow("branch, no children: after the parent's line")
            << "$\\Recipes" << true << 0 << 6 << QByteArray("2000004 2000003 New Branch");
        QTest::newRow("branch, only items: after the parent's line")
            << "$\\Notes\\Sub" << true << 0 << 2 << QByteArray("2000004 2000002 New Branch");
    }
    void add()
    {
        QFETCH(QString, parent);
        QFETCH(bool, branch);
        QFETCH(int, childIndex);
        QFETCH(int, lineIndex);
        QFETCH(QByteArray, line);
        QVERIFY(d->open(Sample()));
        d->state.currentItemKey = 3000001;
        d->editor.content = "shown text";
        QTreeWidgetItem *p = d->select(parent);
        QTreeWidgetItem *n = branch ? addBranch() : addItem();
        QVERIFY(n);
        QCOMPARE(p->indexOfChild(n), childIndex);
        QCOMPARE(tree()->currentItem(), n);
        QCOMPARE(d->pathBarText, QStringLiteral("   ") + parent + (branch ? "\\New Branch" : "\\New Item"));
        QVERIFY(d->editor.content.isEmpty());
        QVERIFY(d->state.documentChanged && !d->state.busy);
        // A new item is the one the editor shows, in the default font; a branch has no text.
        QCOMPARE(d->state.currentItemKey, branch ? 3000001 : NodeKey(n));
        QCOMPARE(d->editor.enabled, !branch);
        QCOMPARE(d->editor.fontsApplied, branch ? 0 : 1);
        Lines nodes = SampleNodes();
        nodes.insert(lineIndex, line);
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        QCOMPARE(d->treeLines().mid(1), nodes);
        QVERIFY(d->ui.shown.isEmpty());
    }

    void addRefused_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("branch");
        QTest::addColumn<QString>("message");
        QTest::newRow("item, add item") << "$\\Loose" << false << "";
        QTest::newRow("item, add branch") << "$\\Loose" << true << "";
        QTest::newRow("nothing, add item") << QString() << false << "";
        QTest::newRow("nothing, add branch") << QString() << true << "";
        QTest::newRow("every branch key in use") << "$" << true << NoKeyLeftMessage(NodeKind::Branch);
    }
    void addRefused()
    {
        QFETCH(QString, selected);
        QFETCH(bool, branch);
        QFETCH(QString, message);
        QVERIFY(d->open(Sample()));
        if (!message.isEmpty())
            for (int k = FirstBranchKey; k < BranchKeyEnd; ++k)
                TreeKeys::of(tree()).add(k);
        tree()->setCurrentItem(selected.isEmpty() ? nullptr : d->node(selected));
        d->editor.content = "kept";
        const QByteArray before = d->disk();
        QVERIFY(!(branch ? addBranch() : addItem()));
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->treeLines().mid(1), SampleNodes());
        QCOMPARE(d->editor.content, QByteArray("kept"));
        QVERIFY(!d->state.busy && !d->state.documentChanged);
        QCOMPARE(d->ui.texts(), message.isEmpty() ? QStringList() : QStringList{"message:" + message});
    }

    // Keys of deleted nodes are taken again, the lowest first; a key two
    // nodes of a damaged file share stays taken while one of them is left.
    void keysAreReusedNeverShared()
    {
        Lines nodes = SampleNodes();
        nodes.insert(6, "3000004 2000003 Twin");
        QVERIFY(d->open(Document(nodes, SampleBlocks())));
        for (const char *path : {"$\\Recipes\\Twin", "$\\Notes\\First"}) {
            d->select(path);
            QVERIFY(DeleteItem(tree(), d->state));
        }
        d->select("$\\Recipes");
        QVERIFY(DeleteBranch(tree(), d->state));
        QList<int> keys;
        for (bool branch : {false, false, true, true}) {
            d->select("$");
            keys << NodeKey(branch ? addBranch() : addItem());
        }
        QCOMPARE(keys, (QList<int>{3000001, 3000005, 2000003, 2000004}));
        QCOMPARE(d->treeLines(), d->state.master.nodes());
    }

    // --- A line the file does not hold -------------------------------------

    void lineMissing_data()
    {
        QTest::addColumn<QString>("path"); // renamed to "Astray" in the explorer only
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("add under it") << "$\\Recipes" << "add" << "DEBUG WriteNodeToMaster item not found";
        QTest::newRow("rename") << "$\\Loose" << "rename" << "DEBUG RenameItem item not found";
        QTest::newRow("delete item") << "$\\Notes\\First" << "delete" << "DEBUG DeleteItem item not found";
        QTest::newRow("delete branch") << "$\\Notes" << "delete" << "DEBUG DeleteBranch item not found";
    }
    void lineMissing()
    {
        QFETCH(QString, path);
        QFETCH(QString, operation);
        QFETCH(QString, message);
        QVERIFY(d->open(Sample()));
        const QByteArray before = d->disk();
        QTreeWidgetItem *n = d->node(path);
        n->setText(0, "Astray");
        tree()->setCurrentItem(n);
        if (operation == "add")
            QVERIFY(addItem()); // the explorer keeps its change
        else if (operation == "rename")
            QVERIFY(RenameNode(tree(), n, "Gone", d->state, d->pathBar));
        else
            QVERIFY(!(IsItem(n) ? DeleteItem(tree(), d->state) : DeleteBranch(tree(), d->state)));
        QCOMPARE(d->ui.texts(), QStringList{"message:" + message});
        // The file keeps everything, text included.
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

        const QString first = "$\\Notes\\First";
        const QByteArray unchanged = "3000001 2000001 First";
        const QString dup = "Cannot rename First. An item or a branch with the name you specified "
                            "already exists. Specify a different name.";
        const QString ctl = "Cannot rename First. A name cannot hold a line break, a tab or another control "
                            "character. Specify a different name.";
        QTest::newRow("plain") << first << "Chapter 1" << true << "" << QByteArray("3000001 2000001 Chapter 1");
        QTest::newRow("branch") << "$\\Notes" << "Journal" << true << "" << QByteArray("2000001 1000000 Journal");
        QTest::newRow("unchanged") << first << "First" << true << "" << unchanged;
        QTest::newRow("root keeps its name") << "$" << "Top" << false << "" << QByteArray(RootLine);
        QTest::newRow("empty") << first << "" << false << "You must type a name." << unchanged;
        QTest::newRow("sibling item's name") << first << "Second" << false << dup << unchanged;
        QTest::newRow("sibling branch's name") << first << "Sub" << false << dup << unchanged;
        QTest::newRow("sibling's name in other case") << first << "second" << true << ""
                                                      << QByteArray("3000001 2000001 second");
        QTest::newRow("name of a cousin") << first << "Deep" << true << "" << QByteArray("3000001 2000001 Deep");
        QTest::newRow("backslash and blanks") << first << " a\\b " << true << ""
                                              << QByteArray("3000001 2000001  a\\b ");
        QTest::newRow("End") << first << "End" << true << "" << QByteArray("3000001 2000001 End");
        QTest::newRow("Windows-1252 characters") << first << QString::fromUtf8("Café €5 – “ok”") << true << ""
                                                 << QByteArray("3000001 2000001 Caf\xE9 \x80" "5 \x96 \x93ok\x94");
        QTest::newRow("line feed") << first << "a\nb" << false << ctl << unchanged;
        QTest::newRow("tab") << first << "a\tb" << false << ctl << unchanged;
        QTest::newRow("nul") << first << QString(QChar(0)) << false << ctl << unchanged;
        QTest::newRow("C1 control") << first << QString(QChar(0x81)) << false << ctl << unchanged;
        QTest::newRow("line separator") << first << QString(QChar(0x2028)) << false << ctl << unchanged;
        QTest::newRow("emoji") << first << QString::fromUtf8("ok 😀") << false
                               << QString::fromUtf8("Cannot rename First. The character '😀' (U+1F600) cannot be stored in a tree file; "
                                                    "only Western European (Windows-1252) characters can. Specify a different name.")
                               << unchanged;
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
        const qsizetype index = SampleNodes().indexOf(NodeLine(n));

        QCOMPARE(RenameNode(tree(), n, newName, d->state, d->pathBar), accepted);

        QCOMPARE(d->ui.texts(), dialog.isEmpty() ? QStringList() : QStringList{"error:" + dialog});
        Lines nodes = SampleNodes();
        if (index >= 0)
            nodes[index] = line;
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        QCOMPARE(d->treeLines().mid(1), nodes);
        const bool changed = accepted && newName != oldName;
        QCOMPARE(d->state.documentChanged, changed);
        QCOMPARE(n->text(0), accepted ? newName : oldName);
        if (changed)
            QCOMPARE(d->pathBarText, QStringLiteral("   ") + NodePath(n));
    }

    void renameFindsLineInOtherCase()
    {
        QVERIFY(d->open(Sample()));
        // The explorer spells the name in other letter case than the file.
        d->node("$\\Recipes")->setText(0, "RECIPES");
        QVERIFY(RenameNode(tree(), d->node("$\\RECIPES"), "Cooking", d->state, d->pathBar));
        Lines nodes = SampleNodes();
        nodes[5] = "2000003 1000000 Cooking";
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
    }

    // --- Item text -------------------------------------------------------

    void storeMovesBlockToTheEnd()
    {
        QVERIFY(d->open(Sample()));
        // No block yet: appended. Stored again: one block, at the end.
        QVERIFY(store(3000002, "{\\rtf1 second}\r\n"));
        QVERIFY(!d->state.itemTextChanged && d->state.documentChanged && !d->editor.modified);
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), SampleBlocks() + Block(3000002, "{\\rtf1 second}"))));
        QVERIFY(store(3000001, "{\\rtf1 one\r\n\\par two}"));
        QVERIFY(store(3000001, "{\\rtf1 one\r\n\\par three}"));
        const Lines blocks = Block(3000003, "{\\rtf1 deep}") + Block(3000004, "{\\rtf1 loose}")
                             + Block(3000002, "{\\rtf1 second}") + Lines{"3000001", "{\\rtf1 one", "\\par three}", "End"};
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
        QCOMPARE(d->state.master.toBytes(), d->disk());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
    }

    // A damaged file whose node section has no "End" gets it, and the
    // "Data"/"End" pair, before the first block: else the block would be
    // read as node lines and the file could not be opened again.
    void storeClosesAnOpenNodeSection()
    {
        QVERIFY(!d->open(Head() + Lines{RootLine} + SampleNodes()));
        QCOMPARE(d->ui.texts(), QStringList{"message:AutoCheck, no End found."});
        QVERIFY(store(3000002, "{\\rtf1 typed}"));
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), Block(3000002, "{\\rtf1 typed}"))));
        d->ui.clear();
        QVERIFY(d->open(SplitLines(d->disk())));
        d->select("$\\Notes\\Second");
        LoadItemText(tree(), &d->editor, d->state);
        QCOMPARE(d->editor.content, QByteArray("{\\rtf1 typed}\r\n"));
    }

    // Every store point checks the explorer against the file; a known good
    // pair need not be compared again, but any change of either must be.
    void storeChecksIntegrity()
    {
        QVERIFY(d->open(Sample()));
        QVERIFY(store(3000004, "{\\rtf1 x}"));
        QVERIFY(d->ui.shown.isEmpty());

        // The explorer changes behind the file's back: reported at every store.
        d->node("$\\Recipes")->setText(0, "Cooking");
        const QString report = "message:" + IntegrityMessage("2000003 1000000 Recipes", "2000003 1000000 Cooking");
        store(3000004, "{\\rtf1 x}");
        store(3000004, "{\\rtf1 x}");
        QCOMPARE(d->ui.texts(), (QStringList{report, report}));

        // Back in step: silent again.
        d->node("$\\Cooking")->setText(0, "Recipes");
        store(3000004, "{\\rtf1 x}");
        QCOMPARE(d->ui.shown.size(), 2);

        // The file changes behind the explorer's back.
        d->state.master.nodes()[6] = "2000003 1000000 Baking";
        store(3000004, "{\\rtf1 x}");
        QCOMPARE(d->ui.texts().last(), "message:" + IntegrityMessage("2000003 1000000 Baking", "2000003 1000000 Recipes"));

        // A node added to the explorer only.
        d->state.master.nodes()[6] = "2000003 1000000 Recipes";
        store(3000004, "{\\rtf1 x}");
        QCOMPARE(d->ui.shown.size(), 3);
        auto *extra = new QTreeWidgetItem(QStringList{"Extra"});
        SetNodeKey(extra, 3000009);
        d->node("$")->addChild(extra);
        store(3000004, "{\\rtf1 x}");
        QCOMPARE(d->ui.shown.size(), 4);
    }

    void storeDoesNothing_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("masterGone");
        QTest::newRow("text not changed") << false << 3000001 << false;
        QTest::newRow("no current item") << true << 0 << false;
        QTest::newRow("a branch's key") << true << 2000001 << false;
        QTest::newRow("master file gone") << true << 3000001 << true;
    }
    void storeDoesNothing()
    {
        QFETCH(bool, changed);
        QFETCH(int, key);
        QFETCH(bool, masterGone);
        QVERIFY(d->open(Sample()));
        if (masterGone)
            QVERIFY(QFile::remove(d->masterPath()));
        const QByteArray before = d->disk();
        d->editor.type("typed");
        d->state.itemTextChanged = changed;
        d->state.currentItemKey = key;
        // Only a store that should have happened reports failure.
        QCOMPARE(SaveItemText(tree(), &d->editor, d->state), !masterGone);
        QCOMPARE(d->ui.texts(), masterGone ? QStringList{"message:Critical error - file " + d->masterPath() + " doesn't exist."}
                                           : QStringList());
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.itemTextChanged, changed);
        QVERIFY(!d->state.documentChanged);
        QVERIFY(d->editor.modified);
        QCOMPARE(d->editor.content, QByteArray("typed"));
    }

    void storeGuardsBlockBoundaries()
    {
        QVERIFY(d->open(Sample()));
        QVERIFY(store(3000002, "{\\rtf1 a\\par\r\nEnd\r\n3000004\r\n\\par b}\r\n"));
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
        QTest::addColumn<bool>("masterGone");
        QTest::addColumn<QByteArray>("text"); // what the editor then shows
        QTest::newRow("with block") << "$\\Notes\\Sub\\Deep" << false << QByteArray("{\\rtf1 deep}\r\n");
        QTest::newRow("empty block") << "$\\Notes\\Second" << false << QByteArray();
        QTest::newRow("without block") << "$\\Notes\\First" << false << QByteArray();
        QTest::newRow("branch: untouched") << "$\\Notes" << false << QByteArray("previous");
        QTest::newRow("root: untouched") << "$" << false << QByteArray("previous");
        QTest::newRow("master file gone: untouched") << "$\\Loose" << true << QByteArray("previous");
    }
    void load()
    {
        QFETCH(QString, path);
        QFETCH(bool, masterGone);
        QFETCH(QByteArray, text);
        QVERIFY(d->open(Document(SampleNodes(), Block(3000003, "{\\rtf1 deep}") + Lines{"3000002", EndLine})));
        if (masterGone)
            QFile::remove(d->masterPath());
        d->editor.content = "previous";
        d->select(path);
        LoadItemText(tree(), &d->editor, d->state);
        QCOMPARE(d->editor.content, text);
    }

    // --- Failed writes ---------------------------------------------------

    void failedStoreKeepsEverything()
    {
        QVERIFY(d->open(Sample()));
        const QByteArray before = d->disk();
        {
            WriteLimit full(64);
            QVERIFY(!store(3000001, "{\\rtf1 new text}"));
        }
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.master.toBytes(), before);
        QCOMPARE(QDir(d->dir.path()).entryList(QDir::Files), QStringList{"Master"}); // no leftovers
        QVERIFY(d->state.itemTextChanged && !d->state.documentChanged && d->editor.modified);
        QCOMPARE(d->ui.shown.size(), 1);
        const QString text = d->ui.shown[0].text;
        QVERIFY2(text.startsWith("The item's text cannot be written to the file " + d->masterPath() + " ("), qPrintable(text));
        QVERIFY2(text.endsWith("). The text stays in the editor and is stored at the next chance."), qPrintable(text));

        // The next store point, with room again, stores it.
        QVERIFY(SaveItemText(tree(), &d->editor, d->state));
        const Lines blocks = Block(3000003, "{\\rtf1 deep}") + Block(3000004, "{\\rtf1 loose}") + Block(3000001, "{\\rtf1 new text}");
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
    }

    void failedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char *op : {"add item", "add branch", "rename", "delete item", "delete branch"})
            QTest::newRow(op) << QString::fromLatin1(op);
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
                done = addItem() != nullptr;
            else if (operation == "add branch")
                done = addBranch() != nullptr;
            else if (operation == "rename")
                done = RenameNode(tree(), notes, "Journal", d->state, d->pathBar);
            else if (operation == "delete item")
                done = (d->select("$\\Notes\\First"), DeleteItem(tree(), d->state));
            else
                done = DeleteBranch(tree(), d->state);
        }
        QVERIFY(!done);
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.master.toBytes(), before);
        QCOMPARE(d->treeLines(), treeBefore);
        QVERIFY(!d->state.documentChanged && !d->state.busy);
        QCOMPARE(d->ui.shown.size(), 1);
        const QString text = d->ui.shown[0].text;
        QVERIFY2(text.startsWith("The change cannot be written to the file " + d->masterPath() + " ("), qPrintable(text));
        QVERIFY(text.endsWith("). The document was not changed."));
        QVERIFY2(text.contains("File too large"), qPrintable(text)); // the reason
        // Nothing half done: the keys are free and the next add works.
        d->select("$\\Notes");
        QCOMPARE(NodeKey(addItem()), 3000005);
        QCOMPARE(d->treeLines(), d->state.master.nodes());
    }

    // --- Deleting --------------------------------------------------------

    void confirmDelete_data()
    {
        QTest::addColumn<bool>("item");
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        const QString itemText = "Are you sure you want to remove the item 'Plan B'?";
        const QString branchText = "Are you sure you want to remove the branch 'Plan B' and all its contents?";
        QTest::newRow("item yes") << true << MsgButton::Yes << true << "Confirm Item Delete" << itemText;
        QTest::newRow("item closed") << true << MsgButton::Cancel << false << "Confirm Item Delete" << itemText;
        QTest::newRow("branch yes") << false << MsgButton::Yes << true << "Confirm Branch Delete" << branchText;
        QTest::newRow("branch no") << false << MsgButton::No << false << "Confirm Branch Delete" << branchText;
    }
    void confirmDelete()
    {
        QFETCH(bool, item);
        QFETCH(MsgButton, answer);
        QFETCH(bool, confirmed);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        d->ui.answers.enqueue(answer);
        QCOMPARE(ConfirmDelete(&d->ui, "Plan B", item), confirmed);
        QCOMPARE(d->ui.shown.size(), 1);
        const fakes::ScriptedMessages::Shown &box = d->ui.shown[0];
        QCOMPARE(box.kind + '|' + box.caption + '|' + box.text, "box|" + caption + '|' + text);
        QCOMPARE(box.icon, MsgIcon::Question);
        QCOMPARE(box.buttons, MsgButton::Yes | MsgButton::No);
    }

    void deleteNode_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("asItem"); // DeleteItem, else DeleteBranch
        QTest::addColumn<QList<int>>("goneNodes"); // indexes into SampleNodes(); none: nothing written
        QTest::addColumn<QList<int>>("goneBlocks");
        QTest::newRow("branch with items and a sub-branch")
            << "$\\Notes" << false << QList<int>{0, 1, 2, 3, 4} << QList<int>{3000001, 3000003};
        QTest::newRow("sub-branch") << "$\\Notes\\Sub" << false << QList<int>{1, 2} << QList<int>{3000003};
        QTest::newRow("empty branch") << "$\\Recipes" << false << QList<int>{5} << QList<int>{};
        QTest::newRow("item with text") << "$\\Notes\\First" << true << QList<int>{3} << QList<int>{3000001};
        QTest::newRow("item without text") << "$\\Notes\\Second" << true << QList<int>{4} << QList<int>{};
        QTest::newRow("item last in file") << "$\\Loose" << true << QList<int>{6} << QList<int>{3000004};
        QTest::newRow("root: nothing") << "$" << false << QList<int>{} << QList<int>{};
        QTest::newRow("a branch is no item") << "$\\Notes" << true << QList<int>{} << QList<int>{};
        QTest::newRow("an item is no branch") << "$\\Loose" << false << QList<int>{} << QList<int>{};
        QTest::newRow("nothing selected") << QString() << true << QList<int>{} << QList<int>{};
    }
    void deleteNode()
    {
        QFETCH(QString, path);
        QFETCH(bool, asItem);
        QFETCH(QList<int>, goneNodes);
        QFETCH(QList<int>, goneBlocks);
        QVERIFY(d->open(Sample()));
        tree()->setCurrentItem(path.isEmpty() ? nullptr : d->node(path));
        QCOMPARE(asItem ? DeleteItem(tree(), d->state) : DeleteBranch(tree(), d->state), !goneNodes.isEmpty());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));

        Lines nodes;
        for (int i = 0; i < SampleNodes().size(); ++i)
            if (!goneNodes.contains(i))
                nodes << SampleNodes()[i];
        Lines blocks;
        for (qsizetype i = 0; i < SampleBlocks().size(); i += 3)
            if (!goneBlocks.contains(SampleBlocks()[i].toInt()))
                blocks << SampleBlocks().mid(i, 3);
        QCOMPARE(d->disk(), JoinLines(Document(nodes, blocks)));
        QCOMPARE(d->treeLines().mid(1), nodes);
        // The keys of the removed nodes are free again.
        for (int i : goneNodes)
            QVERIFY(!TreeKeys::of(tree()).contains(SampleNodes()[i].left(7).toInt()));
        QVERIFY(!d->state.documentChanged); // the delete command sets it, confirmed or not
    }

    // The last block lost its "End": deleting that item removes its text
    // only, and storing another item leaves the rest as it was.
    void damagedBlockWithoutEnd()
    {
        QVERIFY(d->open(Document(SampleNodes(), Block(3000001, "{\\rtf1 first}") + Lines{"3000004", "{\\rtf1 loose"})));
        QVERIFY(d->ui.shown.isEmpty());
        QVERIFY(store(3000002, "{\\rtf1 n}"));
        d->select("$\\Loose");
        QVERIFY(DeleteItem(tree(), d->state));
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes().mid(0, 6),
                                               Block(3000001, "{\\rtf1 first}") + Block(3000002, "{\\rtf1 n}"))));
    }

    // --- Line lists ------------------------------------------------------

    void cutBranchLines_data()
    {
        QTest::addColumn<Lines>("source");
        QTest::addColumn<int>("index");
        QTest::addColumn<Lines>("cut");
        QTest::addColumn<Lines>("rest");
        const Lines tree{RootLine, "2000001 1000000 A", "2000002 2000001 A1", "2000004 2000002 A1x",
                         "3000001 2000004 deep", "3000002 2000002 a1 item", "3000003 2000001 a item",
                         "2000003 1000000 B", "3000004 2000003 b item", EndLine, "Data", EndLine};
        QTest::newRow("whole subtree, nested") << tree << 1 << tree.mid(1, 6) << (tree.mid(0, 1) + tree.mid(7));
        QTest::newRow("inner branch") << tree << 2 << tree.mid(2, 4) << (tree.mid(0, 2) + tree.mid(6));
        QTest::newRow("stops at End") << tree << 7 << tree.mid(7, 2) << (tree.mid(0, 7) + tree.mid(9));
        QTest::newRow("no End: stops at the list's end") << tree.mid(0, 5) << 1 << tree.mid(1, 4) << tree.mid(0, 1);
        QTest::newRow("short and empty lines end the run")
            << Lines{"2000001 1000000 A", "3000001 2000001 x", "30000", "", "3000002 2000001 y"} << 0
            << Lines{"2000001 1000000 A", "3000001 2000001 x"} << Lines{"30000", "", "3000002 2000001 y"};
        QTest::newRow("a child named End is a child")
            << Lines{"2000001 1000000 A", "3000001 2000001 End", EndLine} << 0
            << Lines{"2000001 1000000 A", "3000001 2000001 End"} << Lines{EndLine};
        QTest::newRow("index past the end") << Lines{RootLine} << 3 << Lines{} << Lines{RootLine};
    }
    void cutBranchLines()
    {
        QFETCH(Lines, source);
        QFETCH(int, index);
        QFETCH(Lines, cut);
        QFETCH(Lines, rest);
        Lines target{"kept"};
        const QByteArray branchLine = index < source.size() ? source[index] : QByteArray("2000009 1000000 X");
        CutBranchLines(source, target, branchLine, index);
        QCOMPARE(target, Lines{"kept"} + cut);
        QCOMPARE(source, rest);
    }

    void deleteItemTextLines_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<int>("key");
        QTest::addColumn<Lines>("expected");
        const Lines file{"3000002 1000000 x", EndLine, "3000001", "a", EndLine, "3000002", "b", "c", EndLine,
                         "3000003", "d", EndLine};
        QTest::newRow("middle block") << file << 3000002 << (file.mid(0, 5) + file.mid(9));
        QTest::newRow("first block") << file << 3000001 << (file.mid(0, 2) + file.mid(5));
        QTest::newRow("absent") << file << 3000009 << file;
        QTest::newRow("branch key does nothing") << Lines{"2000001", "x", EndLine} << 2000001
                                                 << Lines{"2000001", "x", EndLine};
        QTest::newRow("End compared exactly") << Lines{"3000001", "end", "END", EndLine, "z"} << 3000001 << Lines{"z"};
        QTest::newRow("no End: to the list's end") << Lines{"q", "3000001", "a", "b"} << 3000001 << Lines{"q"};
        QTest::newRow("key line last") << Lines{"q", "3000001"} << 3000001 << Lines{"q"};
    }
    void deleteItemTextLines()
    {
        QFETCH(Lines, lines);
        QFETCH(int, key);
        QFETCH(Lines, expected);
        DeleteItemText(lines, key);
        QCOMPARE(lines, expected);
        // The master file's form agrees.
        MasterFile master;
        master.setLines(Head() + Lines{EndLine} + lines);
        DeleteItemText(master, key);
        QCOMPARE(master.allLines(), Head() + Lines{EndLine} + expected);
    }

    void deleteItemTexts()
    {
        Lines lines{"Tree", EndLine, "3000001", "a", EndLine, "3000002", "b", EndLine, "3000003", "c", EndLine};
        DeleteItemTexts(lines, {"2000001 1000000 B", "", "3000001 2000001 x", "3000003 2000001 y", "junk"});
        QCOMPARE(lines, (Lines{"Tree", EndLine, "3000002", "b", EndLine}));
    }
};

QTEST_MAIN(TestNodeOps)
#include "tst_nodeops.moc"
