// Deleting nodes, the confirmation, and the line-list walks on sound and
// damaged files.
#include "support_nodeops_doc.h"

#include "store/NodeOps.h"
#include "store/TreeKeys.h"

#include <QStandardPaths>
#include <QTest>

using namespace nodeops;

Q_DECLARE_METATYPE(MsgButton)

namespace {

//   $
//   +- Work            2000001
//   |  +- Old          2000002
//   |  |  +- Memo      3000003
//   |  +- Plan         3000001
//   |  +- Notes        3000002
//   +- Home            2000003
//   |  +- List         3000004
//   +- Loose           3000005
Lines Nodes()
{
    return {"2000001 1000000 Work", "2000002 2000001 Old",  "3000003 2000002 Memo",
            "3000001 2000001 Plan", "3000002 2000001 Notes", "2000003 1000000 Home",
            "3000004 2000003 List", "3000005 1000000 Loose"};
}

Lines Block(int key, const QByteArray &text)
{
    return {QByteArray::number(key), text, EndLine};
}

Lines Blocks()
{
    return Block(3000004, "{\\rtf1 list}") + Block(3000001, "{\\rtf1 plan}") + Block(3000003, "{\\rtf1 memo}")
           + Block(3000005, "{\\rtf1 loose}") + Block(3000002, "{\\rtf1 notes}");
}

} // namespace

class TestNodeDelete : public QObject
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

    // --- Confirmation ----------------------------------------------------

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
        QTest::newRow("item no") << true << MsgButton::No << false << "Confirm Item Delete" << itemText;
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
        QCOMPARE(d->ui.shown[0].kind, QStringLiteral("box"));
        QCOMPARE(d->ui.shown[0].caption, caption);
        QCOMPARE(d->ui.shown[0].text, text);
        QCOMPARE(d->ui.shown[0].icon, MsgIcon::Question);
        QCOMPARE(d->ui.shown[0].buttons, MsgButton::Yes | MsgButton::No);
    }

    // --- Deleting --------------------------------------------------------

    void deleteNode_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QList<int>>("goneNodes"); // indexes into Nodes()
        QTest::addColumn<QList<int>>("goneBlocks");
        QTest::newRow("branch with items and a sub-branch")
            << "$\\Work" << true << QList<int>{0, 1, 2, 3, 4} << QList<int>{3000001, 3000002, 3000003};
        QTest::newRow("sub-branch") << "$\\Work\\Old" << true << QList<int>{1, 2} << QList<int>{3000003};
        QTest::newRow("last branch") << "$\\Home" << true << QList<int>{5, 6} << QList<int>{3000004};
        QTest::newRow("item with text") << "$\\Work\\Plan" << true << QList<int>{3} << QList<int>{3000001};
        QTest::newRow("item last in file") << "$\\Loose" << true << QList<int>{7} << QList<int>{3000005};
        QTest::newRow("root: nothing") << "$" << false << QList<int>{} << QList<int>{};
    }
    void deleteNode()
    {
        QFETCH(QString, path);
        QFETCH(bool, written);
        QFETCH(QList<int>, goneNodes);
        QFETCH(QList<int>, goneBlocks);
        QVERIFY(d->open(Document(Nodes(), Blocks())));
        QTreeWidgetItem *n = d->select(path);
        const bool item = IsItem(n);
        const bool done = item ? DeleteItem(d->tree.get(), d->state) : DeleteBranch(d->tree.get(), d->state);
        QCOMPARE(done, written);
        QVERIFY2(d->ui.shown.isEmpty(), qPrintable(d->ui.texts().join('\n')));

        Lines nodes;
        for (int i = 0; i < Nodes().size(); ++i)
            if (!goneNodes.contains(i))
                nodes << Nodes()[i];
        // Blocks() in its order, less the removed ones.
        Lines blocks;
        const Lines all = Blocks();
        for (qsizetype i = 0; i < all.size(); i += 3)
            if (!goneBlocks.contains(all[i].toInt()))
                blocks << all.mid(i, 3);
        QCOMPARE(d->disk(), JoinLines(Document(nodes, blocks)));
        QCOMPARE(d->treeLines().mid(1), nodes);
        // The keys of the removed nodes are free again.
        for (int i : goneNodes) {
            int key = 0;
            ParseKeyField(QByteArrayView(Nodes()[i]).first(7), &key);
            QVERIFY(!TreeKeys::of(d->tree.get()).contains(key));
        }
        QVERIFY(!d->state.documentChanged); // the delete command sets it, confirmed or not
    }

    void deleteWrongKind()
    {
        QVERIFY(d->open(Document(Nodes(), Blocks())));
        const QByteArray before = d->disk();
        d->select("$\\Work");
        QVERIFY(!DeleteItem(d->tree.get(), d->state));
        d->select("$\\Loose");
        QVERIFY(!DeleteBranch(d->tree.get(), d->state));
        d->tree->setCurrentItem(nullptr);
        QVERIFY(!DeleteItem(d->tree.get(), d->state));
        QVERIFY(!DeleteBranch(d->tree.get(), d->state));
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->treeLines().mid(1), Nodes());
    }

    void deleteLineMissing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("item") << "$\\Work\\Plan" << "DEBUG DeleteItem item not found";
        QTest::newRow("branch") << "$\\Work" << "DEBUG DeleteBranch item not found";
    }
    void deleteLineMissing()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QVERIFY(d->open(Document(Nodes(), Blocks())));
        const QByteArray before = d->disk();
        QTreeWidgetItem *n = d->node(path);
        n->setText(0, "Astray");
        d->tree->setCurrentItem(n);
        const bool written = IsItem(n) ? DeleteItem(d->tree.get(), d->state) : DeleteBranch(d->tree.get(), d->state);
        QVERIFY(!written);
        QCOMPARE(d->ui.texts(), QStringList{"message:" + message});
        // The file keeps everything, text included; the explorer lost the node.
        QCOMPARE(d->disk(), before);
        QCOMPARE(d->state.master.toBytes(), before);
        QVERIFY(!d->node(path.section('\\', 0, -2) + "\\Astray"));
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
        QTest::newRow("whole subtree, nested")
            << tree << 1 << tree.mid(1, 6) << Lines{RootLine, "2000003 1000000 B", "3000004 2000003 b item", EndLine, "Data", EndLine};
        QTest::newRow("inner branch") << tree << 2 << tree.mid(2, 4)
                                      << (Lines{tree[0], tree[1]} + tree.mid(6));
        QTest::newRow("stops at End") << tree << 7 << tree.mid(7, 2) << (tree.mid(0, 7) + tree.mid(9));
        QTest::newRow("no End: stops at the list's end")
            << Lines{RootLine, "2000001 1000000 A", "2000002 2000001 A1", "3000001 2000002 x"} << 1
            << Lines{"2000001 1000000 A", "2000002 2000001 A1", "3000001 2000002 x"} << Lines{RootLine};
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

    void cutDeepBranch()
    {
        // A chain far deeper than any call stack would take.
        Lines source{"2000001 1000000 top"};
        for (int k = 2000002; k < 2200000; ++k)
            source << QByteArray::number(k) + ' ' + QByteArray::number(k - 1) + " b";
        source << "3000001 1000000 after";
        Lines target;
        CutBranchLines(source, target, source[0], 0);
        QCOMPARE(target.size(), 200000 - 1);
        QCOMPARE(source, Lines{"3000001 1000000 after"});
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
    }

    void deleteItemTextMaster()
    {
        MasterFile master;
        master.setLines(Document({"3000001 1000000 a"}, Lines{"2000001", "odd", EndLine} + Block(3000001, "t")));
        DeleteItemText(master, 2000001); // only item keys have text
        DeleteItemText(master, 3000009);
        QCOMPARE(master.allLines(), Document({"3000001 1000000 a"}, Lines{"2000001", "odd", EndLine} + Block(3000001, "t")));
        DeleteItemText(master, 3000001);
        QCOMPARE(master.allLines(), Document({"3000001 1000000 a"}, Lines{"2000001", "odd", EndLine}));
    }

    void deleteItemTextsLines()
    {
        Lines lines{"Tree", EndLine, "3000001", "a", EndLine, "3000002", "b", EndLine, "3000003", "c", EndLine};
        DeleteItemTexts(lines, {"2000001 1000000 B", "", "3000001 2000001 x", "3000003 2000001 y", "junk"});
        QCOMPARE(lines, (Lines{"Tree", EndLine, "3000002", "b", EndLine}));
    }

    void damagedBlockWithoutEnd()
    {
        // The last block lost its "End": deleting that item removes its text
        // only, and storing another item leaves the rest as it was.
        Lines blocks = Block(3000001, "{\\rtf1 plan}") + Lines{"3000005", "{\\rtf1 loose"};
        QVERIFY(d->open(Document(Nodes(), blocks)));
        QVERIFY(d->ui.shown.isEmpty());
        d->state.currentItemKey = 3000002;
        d->editor.type("{\\rtf1 n}");
        d->state.itemTextChanged = true;
        QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
        d->select("$\\Loose");
        QVERIFY(DeleteItem(d->tree.get(), d->state));
        Lines nodes = Nodes();
        nodes.removeLast();
        QCOMPARE(d->disk(), JoinLines(Document(nodes, Block(3000001, "{\\rtf1 plan}") + Block(3000002, "{\\rtf1 n}"))));
    }
};

QTEST_MAIN(TestNodeDelete)
#include "tst_nodeops_delete.moc"
