// Adding, naming, renaming and deleting nodes and storing item text, checked
// on the explorer and on the master file byte for byte.
#include "support_nodeops_doc.h"

#include "store/Integrity.h"
#include "store/NodeOps.h"
#include "store/TreeKeys.h"

#include <QStandardPaths>
#include <QTest>

using namespace nodeops;


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

    // A new document: the template, dated by the test clock; item names and
    // keys run on, and a renamed item gives its name back.
    void fromTheTemplate()
    {
        NewTreeFile(tree(), &d->editor, d->state);
        Lines expected{"Quivora Ver. 2.1", "Created: 2 Jan 2026", "LastSaved: 2 Jan 2026", "Res1", "Res2", "Res3",
                       "Tree", "1000000 0000000 $", "3000001 1000000 New Item", "End", "Data", "End"};
        QCOMPARE(d->disk(), JoinLines(expected));
        for (int i = 0; i < 3; ++i) {
            d->select("$");
            QCOMPARE(NodeKey(addItem()), 3000002 + i);
        }
        QVERIFY(RenameNode(tree(), d->node("$\\New Item (2)"), "Shopping", d->state, d->pathBar));
        d->select("$");
        QCOMPARE(addItem()->text(0), QStringLiteral("New Item (2)"));
        expected = expected.mid(0, 9) + Lines{"3000002 1000000 Shopping", "3000003 1000000 New Item (3)",
                                              "3000004 1000000 New Item (4)", "3000005 1000000 New Item (2)"}
                   + expected.mid(9);
        QCOMPARE(d->disk(), JoinLines(expected));
        QCOMPARE(d->state.master.toBytes(), d->disk());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
    }

    void add_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<bool>("branch");
        QTest::addColumn<int>("lineIndex"); // index among SampleNodes where its line goes
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("item: last child, after the parent's subtree")
            << "$\\Notes" << false << 5 << QByteArray("3000005 2000001 New Item");
        QTest::newRow("branch: after the sub-branch's subtree")
            << "$\\Notes" << true << 3 << QByteArray("2000004 2000001 New Branch");
        QTest::newRow("branch under the root: after the last branch subtree")
            << "$" << true << 6 << QByteArray("2000004 1000000 New Branch");
        QTest::newRow("branch, no children: after the parent's line")
            << "$\\Recipes" << true << 6 << QByteArray("2000004 2000003 New Branch");
        QTest::newRow("branch, only items: after the parent's line")
            << "$\\Notes\\Sub" << true << 2 << QByteArray("2000004 2000002 New Branch");
    }
    void add()
    {
        QFETCH(QString, parent);
        QFETCH(bool, branch);
        QFETCH(int, lineIndex);
        QFETCH(QByteArray, line);
        QVERIFY(d->open(Sample()));
        d->state.currentItemKey = 3000001;
        d->editor.content = "shown text";
        d->select(parent);
        QTreeWidgetItem *n = branch ? addBranch() : addItem();
        QVERIFY(n);
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

    // --- Nothing written ----------------------------------------------------

    // File, memory and explorer stay as they were when there is nothing to do,
    // when the file lacks the node's line, and when the write fails.
    void fileUnchanged_data()
    {
        QTest::addColumn<QString>("path"); // the selected node
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("astray"); // renamed in the explorer only: the file lacks its line
        QTest::addColumn<bool>("full");   // every write fails, as on a full disk
        QTest::addColumn<QString>("message");
        const QString change = "The change cannot be written to the file %1 (File too large). The document was not changed.";
        QTest::newRow("add item under an item") << "$\\Loose" << "add item" << false << false << "";
        QTest::newRow("add branch under an item") << "$\\Loose" << "add branch" << false << false << "";
        QTest::newRow("add item, nothing selected") << "" << "add item" << false << false << "";
        QTest::newRow("add branch, nothing selected") << "" << "add branch" << false << false << "";
        QTest::newRow("every branch key in use")
            << "$" << "add branch, no key left" << false << false << NoKeyLeftMessage(NodeKind::Branch);
        QTest::newRow("delete the root") << "$" << "delete branch" << false << false << "";
        QTest::newRow("a branch is no item") << "$\\Notes" << "delete item" << false << false << "";
        QTest::newRow("an item is no branch") << "$\\Loose" << "delete branch" << false << false << "";
        QTest::newRow("delete, nothing selected") << "" << "delete item" << false << false << "";
        QTest::newRow("add under a line not in the file")
            << "$\\Recipes" << "add item" << true << false << "DEBUG WriteNodeToMaster item not found";
        QTest::newRow("rename a line not in the file")
            << "$\\Loose" << "rename" << true << false << "DEBUG RenameItem item not found";
        QTest::newRow("delete an item not in the file")
            << "$\\Notes\\First" << "delete item" << true << false << "DEBUG DeleteItem item not found";
        QTest::newRow("delete a branch not in the file")
            << "$\\Notes" << "delete branch" << true << false << "DEBUG DeleteBranch item not found";
        QTest::newRow("store, text not changed") << "$\\Notes\\First" << "store unchanged" << false << false << "";
        QTest::newRow("store, no current item") << "" << "store" << false << false << "";
        QTest::newRow("store, a branch's key") << "$\\Notes" << "store" << false << false << "";
        QTest::newRow("store, master file gone")
            << "$\\Notes\\First" << "store, master gone" << false << false << "Critical error - file %1 doesn't exist.";
        QTest::newRow("failed write: add item") << "$\\Notes" << "add item" << false << true << change;
        QTest::newRow("failed write: add branch") << "$\\Notes" << "add branch" << false << true << change;
        QTest::newRow("failed write: rename") << "$\\Notes" << "rename" << false << true << change;
        QTest::newRow("failed write: delete item") << "$\\Notes\\First" << "delete item" << false << true << change;
        QTest::newRow("failed write: delete branch") << "$\\Notes" << "delete branch" << false << true << change;
        QTest::newRow("failed write: store") << "$\\Notes\\First" << "store" << false << true
                                             << "The item's text cannot be written to the file %1 (File too large). "
                                                "The text stays in the editor and is stored at the next chance.";
    }
    void fileUnchanged()
    {
        QFETCH(QString, path);
        QFETCH(QString, operation);
        QFETCH(bool, astray);
        QFETCH(bool, full);
        QFETCH(QString, message);
        QVERIFY(d->open(Sample()));
        if (operation == "store, master gone")
            QVERIFY(QFile::remove(d->masterPath()));
        if (operation.endsWith("no key left"))
            for (int k = FirstBranchKey; k < BranchKeyEnd; ++k)
                TreeKeys::of(tree()).add(k);
        const QByteArray before = d->disk(), memory = d->state.master.toBytes();
        const QStringList files = QDir(d->dir.path()).entryList(QDir::Files);
        QTreeWidgetItem *n = path.isEmpty() ? nullptr : d->node(path);
        if (astray)
            n->setText(0, "Astray");
        tree()->setCurrentItem(n);
        d->editor.content = "kept";
        bool done = false;
        {
            std::unique_ptr<WriteLimit> limit(full ? new WriteLimit(64) : nullptr);
            if (operation == "add item")
                done = addItem() != nullptr;
            else if (operation.startsWith("add branch"))
                done = addBranch() != nullptr;
            else if (operation == "rename")
                done = RenameNode(tree(), n, "Gone", d->state, d->pathBar);
            else if (operation == "delete item")
                done = DeleteItem(tree(), d->state);
            else if (operation == "delete branch")
                done = DeleteBranch(tree(), d->state);
            else {
                d->state.itemTextChanged = operation != "store unchanged";
                d->state.currentItemKey = NodeKey(n);
                d->editor.modified = true;
                done = SaveItemText(tree(), &d->editor, d->state);
            }
        }
        // Only the explorer's side of an astray node changes; a store with
        // nothing to do reports success.
        QCOMPARE(done, operation.startsWith("store") ? message.isEmpty()
                                                     : astray && (operation == "add item" || operation == "rename"));
        QCOMPARE(d->ui.texts(), message.isEmpty() ? QStringList() : QStringList{"message:" + message.arg(d->masterPath())});
        QCOMPARE(d->disk(), before); // the old file whole, byte for byte
        QCOMPARE(d->state.master.toBytes(), memory);
        QCOMPARE(QDir(d->dir.path()).entryList(QDir::Files), files); // no leftovers
        QVERIFY(!d->state.busy);
        if (astray)
            return;
        QCOMPARE(d->treeLines().mid(1), SampleNodes());
        QVERIFY(!d->state.documentChanged);
        if (!full)
            QCOMPARE(d->editor.content, QByteArray("kept"));
        if (operation.startsWith("store")) // the typed text is still to store
            QVERIFY(d->state.itemTextChanged == (operation != "store unchanged") && d->editor.modified);
        if (!full)
            return;
        // Nothing half done: the text is stored and the keys are free at the next chance.
        if (operation == "store") {
            QVERIFY(SaveItemText(tree(), &d->editor, d->state));
            QVERIFY(d->disk().endsWith("3000001\r\nkept\r\nEnd\r\n"));
        } else {
            d->select("$\\Notes");
            QCOMPARE(NodeKey(addItem()), 3000005);
            QCOMPARE(d->treeLines(), d->state.master.nodes());
        }
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

    void store_data()
    {
        QTest::addColumn<Lines>("file");   // the document before
        QTest::addColumn<Lines>("stores"); // key, text, key, text, ...
        QTest::addColumn<Lines>("blocks"); // the blocks after, below the sample's node section
        const Lines deepLoose = Block(3000003, "{\\rtf1 deep}") + Block(3000004, "{\\rtf1 loose}");
        QTest::newRow("no block yet: appended") << Sample() << Lines{"3000002", "{\\rtf1 second}\r\n"}
                                                << SampleBlocks() + Block(3000002, "{\\rtf1 second}");
        QTest::newRow("stored again: one block, at the end, CR LF lines")
            << Sample() << Lines{"3000001", "{\\rtf1 one}", "3000001", "{\\rtf1 one\n\\par two}"}
            << deepLoose + Lines{"3000001", "{\\rtf1 one", "\\par two}", EndLine};
        QTest::newRow("lines that read as End or a key are guarded")
            << Sample() << Lines{"3000002", "{\\rtf1 a\\par\r\nEnd\r\n3000004\r\n\\par b}\r\n"}
            << SampleBlocks() + Lines{"3000002", "{\\rtf1 a\\par", "{}End", "{}3000004", "\\par b}", EndLine};
        QTest::newRow("a block without End is closed first")
            << Document(SampleNodes(), Block(3000001, "{\\rtf1 first}") + Lines{"3000004", "{\\rtf1 loose}"})
            << Lines{"3000002", "{\\rtf1 n}"} << Block(3000001, "{\\rtf1 first}") + Block(3000004, "{\\rtf1 loose}") + Block(3000002, "{\\rtf1 n}");
        QTest::newRow("twin blocks of a damaged file both go")
            << Document(SampleNodes(), Block(3000001, "{\\rtf1 old}") + SampleBlocks())
            << Lines{"3000001", "{\\rtf1 new}"} << deepLoose + Block(3000001, "{\\rtf1 new}");
        // Else the block would be read as node lines: the file could not be opened again.
        QTest::newRow("an open node section gets its End and Data first")
            << Head() + Lines{RootLine} + SampleNodes() << Lines{"3000002", "{\\rtf1 typed}"}
            << Block(3000002, "{\\rtf1 typed}");
    }
    void store()
    {
        QFETCH(Lines, file);
        QFETCH(Lines, stores);
        QFETCH(Lines, blocks);
        d->open(file);
        d->ui.clear();
        for (qsizetype i = 0; i < stores.size(); i += 2) {
            QVERIFY(store(stores[i].toInt(), stores[i + 1]));
            QVERIFY(!d->state.itemTextChanged && d->state.documentChanged && !d->editor.modified);
        }
        QCOMPARE(d->disk(), JoinLines(Document(SampleNodes(), blocks)));
        QCOMPARE(d->state.master.toBytes(), d->disk());
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));
        // Opened again, every item has its own text.
        QVERIFY(d->open(SplitLines(d->disk())));
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            const int key = blocks[i].toInt();
            QByteArray text;
            while (blocks[++i] != EndLine)
                text += blocks[i] + "\r\n";
            QCOMPARE(d->state.master.blockText(key), text);
        }
    }

    // Every store point checks the explorer against the file; a known good
    // pair need not be compared again, but any change of either must be.
    void storeChecksIntegrity()
    {
        QVERIFY(d->open(Sample()));
        auto reportsAfterStore = [&] {
            d->ui.clear();
            store(3000004, "{\\rtf1 x}");
            return d->ui.texts();
        };
        QCOMPARE(reportsAfterStore(), QStringList());
        // The explorer changes behind the file's back: reported at every store.
        d->node("$\\Recipes")->setText(0, "Cooking");
        const QString report = "message:" + IntegrityMessage("2000003 1000000 Recipes", "2000003 1000000 Cooking");
        QCOMPARE(reportsAfterStore(), QStringList{report});
        QCOMPARE(reportsAfterStore(), QStringList{report});
        d->node("$\\Cooking")->setText(0, "Recipes");
        QCOMPARE(reportsAfterStore(), QStringList());
        // The file changes behind the explorer's back.
        d->state.master.nodes()[6] = "2000003 1000000 Baking";
        QCOMPARE(reportsAfterStore(),
                 QStringList{"message:" + IntegrityMessage("2000003 1000000 Baking", "2000003 1000000 Recipes")});
        // A node added to the explorer only.
        d->state.master.nodes()[6] = "2000003 1000000 Recipes";
        QCOMPARE(reportsAfterStore(), QStringList());
        auto *extra = new QTreeWidgetItem(QStringList{"Extra"});
        SetNodeKey(extra, 3000009);
        d->node("$")->addChild(extra);
        // The file's node section ends while the explorer still has a node.
        QCOMPARE(reportsAfterStore(), QStringList{"message:" + IntegrityMessage(QString(), "3000009 1000000 Extra")});
    }

    void load_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("masterGone");
        QTest::addColumn<QByteArray>("text"); // what the editor then shows
        QTest::newRow("block ending the file without End") << "$\\Notes\\Sub\\Deep" << false
                                                           << QByteArray("{\\rtf1 deep}\r\n");
        // Only a line of exactly "End" ends a block; a key line inside it is text.
        QTest::newRow("key line and other-case End are text")
            << "$\\Notes\\First" << false << QByteArray("3000002\r\nend\r\nEND\r\n");
        QTest::newRow("empty block") << "$\\Notes\\Second" << false << QByteArray();
        QTest::newRow("without block") << "$\\Loose" << false << QByteArray();
        QTest::newRow("branch: untouched") << "$\\Notes" << false << QByteArray("previous");
        QTest::newRow("root: untouched") << "$" << false << QByteArray("previous");
        QTest::newRow("master file gone: untouched") << "$\\Loose" << true << QByteArray("previous");
    }
    void load()
    {
        QFETCH(QString, path);
        QFETCH(bool, masterGone);
        QFETCH(QByteArray, text);
        QVERIFY(d->open(Document(SampleNodes(), Lines{"3000001", "3000002", "end", "END", EndLine, "3000002", EndLine,
                                                      "3000003", "{\\rtf1 deep}"})));
        if (masterGone)
            QFile::remove(d->masterPath());
        d->editor.content = "previous";
        d->select(path);
        LoadItemText(tree(), &d->editor, d->state);
        QCOMPARE(d->editor.content, text);
    }

    // --- Deleting --------------------------------------------------------

    void confirmDelete()
    {
        d->ui.answers << MsgButton::Yes << MsgButton::Cancel << MsgButton::No;
        QVERIFY(ConfirmDelete(&d->ui, "Plan B", true));
        QVERIFY(!ConfirmDelete(&d->ui, "Plan B", true)); // the box closed
        QVERIFY(!ConfirmDelete(&d->ui, "Plan B", false));
        QStringList shown;
        for (const fakes::ScriptedMessages::Shown &box : std::as_const(d->ui.shown)) {
            QVERIFY(box.icon == MsgIcon::Question && box.buttons == (MsgButton::Yes | MsgButton::No));
            shown << box.caption + ": " + box.text;
        }
        const QString item = "Confirm Item Delete: Are you sure you want to remove the item 'Plan B'?";
        QCOMPARE(shown, (QStringList{item, item, "Confirm Branch Delete: Are you sure you want to remove the "
                                                 "branch 'Plan B' and all its contents?"}));
    }

    void deleteNode_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<int>>("goneNodes"); // indexes into SampleNodes()
        QTest::addColumn<QList<int>>("goneBlocks");
        QTest::newRow("branch with items and a sub-branch")
            << "$\\Notes" << QList<int>{0, 1, 2, 3, 4} << QList<int>{3000001, 3000003};
        QTest::newRow("empty branch") << "$\\Recipes" << QList<int>{5} << QList<int>{};
        QTest::newRow("item with text") << "$\\Notes\\First" << QList<int>{3} << QList<int>{3000001};
        QTest::newRow("item without text") << "$\\Notes\\Second" << QList<int>{4} << QList<int>{};
        QTest::newRow("item last in file") << "$\\Loose" << QList<int>{6} << QList<int>{3000004};
    }
    void deleteNode()
    {
        QFETCH(QString, path);
        QFETCH(QList<int>, goneNodes);
        QFETCH(QList<int>, goneBlocks);
        QVERIFY(d->open(Sample()));
        QVERIFY(IsItem(d->select(path)) ? DeleteItem(tree(), d->state) : DeleteBranch(tree(), d->state));
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
        QTest::newRow("stops at End") << tree << 7 << tree.mid(7, 2) << (tree.mid(0, 7) + tree.mid(9));
        QTest::newRow("no End: stops at the list's end") << tree.mid(0, 5) << 1 << tree.mid(1, 4) << tree.mid(0, 1);
        QTest::newRow("short and empty lines end the run")
            << Lines{"2000001 1000000 A", "3000001 2000001 x", "30000", "", "3000002 2000001 y"} << 0
            << Lines{"2000001 1000000 A", "3000001 2000001 x"} << Lines{"30000", "", "3000002 2000001 y"};
        QTest::newRow("a child named End is a child")
            << Lines{"2000001 1000000 A", "3000001 2000001 End", EndLine} << 0
            << Lines{"2000001 1000000 A", "3000001 2000001 End"} << Lines{EndLine};
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
};

QTEST_MAIN(TestNodeOps)
#include "tst_nodeops.moc"
