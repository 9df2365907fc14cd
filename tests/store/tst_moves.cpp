// Moving nodes up and down and by drag and drop, in explorer and master file
// together; and a long random sequence of every tree operation after which
// file, explorer and item texts must still agree.
#include "support_nodeops_doc.h"

#include "store/Integrity.h"
#include "store/NodeMoves.h"
#include "store/NodeOps.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

using namespace nodeops;

namespace {

//   $
//   +- Notes        2000001
//   |  +- Sub       2000002
//   |  |  +- Deep   3000003
//   |  +- Other     2000004
//   |  +- First     3000001
//   |  +- Second    3000002
//   +- Recipes      2000003
//   +- Loose        3000004
Lines SampleNodes()
{
    return {"2000001 1000000 Notes", "2000002 2000001 Sub",    "3000003 2000002 Deep",
            "2000004 2000001 Other", "3000001 2000001 First",  "3000002 2000001 Second",
            "2000003 1000000 Recipes", "3000004 1000000 Loose"};
}

Lines SampleBlocks() { return {"3000001", "{\\rtf1 first}", "End", "3000003", "{\\rtf1 deep}", "End"}; }

Lines Sample() { return Document(SampleNodes(), SampleBlocks()); }

} // namespace

class TestMoves : public QObject
{
    Q_OBJECT

    std::unique_ptr<Doc> d;

    void expectUnchanged(const QByteArray &diskBefore, const Lines &treeBefore)
    {
        QCOMPARE(d->disk(), diskBefore);
        QCOMPARE(d->treeLines(), treeBefore);
        QVERIFY(!d->state.documentChanged);
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
        QVERIFY(d->open(Sample()));
    }

    // Which way each node may move: items only past items, branches only past branches.
    void availability_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::newRow("root") << "$" << false << false;
        QTest::newRow("first branch") << "$\\Notes" << false << true;
        QTest::newRow("last branch before items") << "$\\Notes\\Other" << true << false;
        QTest::newRow("first item after branches") << "$\\Notes\\First" << false << true;
        QTest::newRow("last item") << "$\\Notes\\Second" << true << false;
        QTest::newRow("only child") << "$\\Notes\\Sub\\Deep" << false << false;
        QTest::newRow("branch above an item") << "$\\Recipes" << true << false;
    }
    void availability()
    {
        QFETCH(QString, path);
        QFETCH(bool, up);
        QFETCH(bool, down);
        QTreeWidgetItem *n = d->node(path);
        QVERIFY(n);
        QCOMPARE(CanMoveUp(n), up);
        QCOMPARE(CanMoveDown(n), down);
        // A command that is not available changes nothing, not even the flag.
        const QByteArray before = d->disk();
        const Lines treeBefore = d->treeLines();
        if (!CanMoveUp(n)) {
            QVERIFY(!MoveUp(d->tree.get(), n, d->state));
            expectUnchanged(before, treeBefore);
        }
        if (!CanMoveDown(n)) {
            QVERIFY(!MoveDown(d->tree.get(), n, d->state));
            expectUnchanged(before, treeBefore);
        }
    }

    void moves_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("up");
        QTest::addColumn<Lines>("nodes");
        QTest::newRow("item up") << "$\\Notes\\Second" << true
            << Lines{"2000001 1000000 Notes", "2000002 2000001 Sub", "3000003 2000002 Deep",
                     "2000004 2000001 Other", "3000002 2000001 Second", "3000001 2000001 First",
                     "2000003 1000000 Recipes", "3000004 1000000 Loose"};
        QTest::newRow("item down") << "$\\Notes\\First" << false
            << Lines{"2000001 1000000 Notes", "2000002 2000001 Sub", "3000003 2000002 Deep",
                     "2000004 2000001 Other", "3000002 2000001 Second", "3000001 2000001 First",
                     "2000003 1000000 Recipes", "3000004 1000000 Loose"};
        QTest::newRow("branch up past a subtree") << "$\\Notes\\Other" << true
            << Lines{"2000001 1000000 Notes", "2000004 2000001 Other", "2000002 2000001 Sub",
                     "3000003 2000002 Deep", "3000001 2000001 First", "3000002 2000001 Second",
                     "2000003 1000000 Recipes", "3000004 1000000 Loose"};
        QTest::newRow("branch with its subtree down") << "$\\Notes" << false
            << Lines{"2000003 1000000 Recipes", "2000001 1000000 Notes", "2000002 2000001 Sub",
                     "3000003 2000002 Deep", "2000004 2000001 Other", "3000001 2000001 First",
                     "3000002 2000001 Second", "3000004 1000000 Loose"};
    }
    void moves()
    {
        QFETCH(QString, path);
        QFETCH(bool, up);
        QFETCH(Lines, nodes);
        QTreeWidgetItem *n = d->select(path);
        d->node(QStringLiteral("$\\Notes\\Sub"))->setExpanded(true);
        QVERIFY(up ? MoveUp(d->tree.get(), n, d->state) : MoveDown(d->tree.get(), n, d->state));
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        QVERIFY(AutoCheck(d->tree.get(), d->state));
        QVERIFY(d->ui.shown.isEmpty());
        QVERIFY(d->state.documentChanged);
        QCOMPARE(d->tree->currentItem(), n);
        QVERIFY(d->node(QStringLiteral("$\\Notes\\Sub"))->isExpanded());
        // And back again: the document as it was, text blocks never moved.
        QVERIFY(up ? MoveDown(d->tree.get(), n, d->state) : MoveUp(d->tree.get(), n, d->state));
        QCOMPARE(d->disk(), JoinLines(Sample()));
    }

    void dropRefused_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("renameTo"); // the source's name first, when not empty
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::newRow("root") << "$" << "" << "$\\Notes" << "Error Moving Root" << "Cannot move root.";
        QTest::newRow("onto itself") << "$\\Notes\\Sub" << "" << "$\\Notes\\Sub" << "Error Moving Branch"
            << "Cannot move Sub: The destination node is the same as the source node.";
        QTest::newRow("onto an item") << "$\\Loose" << "" << "$\\Notes\\First" << "Error Moving Item"
            << "Cannot move Loose: The destination node is an item; item cannot have children.";
        QTest::newRow("into its own subtree") << "$\\Notes" << "" << "$\\Notes\\Sub" << "Error Moving Branch"
            << "Cannot move Notes: The destination branch is a subbranch of the same branch.";
        QTest::newRow("onto its parent") << "$\\Notes\\First" << "" << "$\\Notes" << "Error Moving Item"
            << "Cannot move First: The destination item is the same as the source item.";
        QTest::newRow("name taken") << "$\\Notes\\Sub\\Deep" << "Loose" << "$" << "Error Moving Item"
            << "Cannot move Loose: This branch already contains an item or a branch called Loose. "
               "Rename moved item before moving it into this location.";
    }
    void dropRefused()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QString, renameTo);
        QTreeWidgetItem *from = d->node(source);
        QTreeWidgetItem *onto = d->node(destination);
        QVERIFY(from && onto);
        if (!renameTo.isEmpty()) {
            QVERIFY(RenameNode(d->tree.get(), from, renameTo, d->state, {}));
            d->state.documentChanged = false;
        }
        const QByteArray before = d->disk();
        const Lines treeBefore = d->treeLines();
        QVERIFY(!CheckDragDrop(from, onto, &d->ui));
        QCOMPARE(d->ui.shown.size(), 1);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QCOMPARE(d->ui.shown[0].caption, caption);
        QCOMPARE(d->ui.shown[0].text, text);
        QCOMPARE(d->ui.shown[0].icon, MsgIcon::Error);
        QVERIFY(!DragDropMove(d->tree.get(), from, onto, d->state));
        expectUnchanged(before, treeBefore);
    }

    void drops_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("onto");
        QTest::addColumn<Lines>("nodes");
        QTest::newRow("item between branches and items") << "$\\Loose" << "$\\Notes"
            << Lines{"2000001 1000000 Notes", "2000002 2000001 Sub", "3000003 2000002 Deep",
                     "2000004 2000001 Other", "3000004 2000001 Loose", "3000001 2000001 First",
                     "3000002 2000001 Second", "2000003 1000000 Recipes"};
        QTest::newRow("item into an empty branch") << "$\\Notes\\First" << "$\\Recipes"
            << Lines{"2000001 1000000 Notes", "2000002 2000001 Sub", "3000003 2000002 Deep",
                     "2000004 2000001 Other", "3000002 2000001 Second", "2000003 1000000 Recipes",
                     "3000001 2000003 First", "3000004 1000000 Loose"};
        QTest::newRow("item from deep below onto the root") << "$\\Notes\\Sub\\Deep" << "$"
            << Lines{"2000001 1000000 Notes", "2000002 2000001 Sub", "2000004 2000001 Other",
                     "3000001 2000001 First", "3000002 2000001 Second", "2000003 1000000 Recipes",
                     "3000003 1000000 Deep", "3000004 1000000 Loose"};
        QTest::newRow("branch with descendants becomes the first child") << "$\\Notes\\Sub" << "$\\Recipes"
            << Lines{"2000001 1000000 Notes", "2000004 2000001 Other", "3000001 2000001 First",
                     "3000002 2000001 Second", "2000003 1000000 Recipes", "2000002 2000003 Sub",
                     "3000003 2000002 Deep", "3000004 1000000 Loose"};
        QTest::newRow("branch to a deeper level elsewhere") << "$\\Recipes" << "$\\Notes\\Sub"
            << Lines{"2000001 1000000 Notes", "2000002 2000001 Sub", "2000003 2000002 Recipes",
                     "3000003 2000002 Deep", "2000004 2000001 Other", "3000001 2000001 First",
                     "3000002 2000001 Second", "3000004 1000000 Loose"};
    }
    void drops()
    {
        QFETCH(QString, from);
        QFETCH(QString, onto);
        QTreeWidgetItem *source = d->select(from);
        QTreeWidgetItem *destination = d->node(onto);
        QVERIFY(CheckDragDrop(source, destination, &d->ui));
        QVERIFY(DragDropMove(d->tree.get(), source, destination, d->state));
        QFETCH(Lines, nodes);
        QCOMPARE(d->disk(), JoinLines(Document(nodes, SampleBlocks())));
        QVERIFY(AutoCheck(d->tree.get(), d->state));
        QVERIFY(d->ui.shown.isEmpty());
        QVERIFY(d->state.documentChanged);
        QCOMPARE(d->tree->currentItem(), source);
    }

    // A move the file cannot take leaves explorer and file in agreement.
    void failedMoves_data()
    {
        QTest::addColumn<int>("operation"); // 0 up, 1 down, 2 drop
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("lineMissing");
        QTest::addColumn<QString>("message");
        QTest::newRow("up, line missing") << 0 << "$\\Notes\\Second" << true << "DEBUG MoveUpInFile item not found";
        QTest::newRow("down, line missing") << 1 << "$\\Notes\\First" << true << "DEBUG MoveDownInFile item not found";
        QTest::newRow("branch, line missing") << 0 << "$\\Notes\\Other" << true << "DEBUG MoveBranchUpInFile item not found";
        QTest::newRow("drop, line missing") << 2 << "$\\Notes\\Sub" << true << "DEBUG DragDropBranchInFile item not found";
        QTest::newRow("up, disk full") << 0 << "$\\Notes\\Other" << false << "";
        QTest::newRow("drop, disk full") << 2 << "$\\Loose" << false << "";
    }
    void failedMoves()
    {
        QFETCH(int, operation);
        QFETCH(bool, lineMissing);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QTreeWidgetItem *n = d->select(path);
        if (lineMissing)
            d->state.master.nodes().removeAll(NodeLine(n)); // as if the file had lost it
        const QByteArray before = d->disk();
        const Lines treeBefore = d->treeLines();
        const QByteArray memoryBefore = d->state.master.toBytes();
        {
            std::unique_ptr<WriteLimit> full(lineMissing ? nullptr : new WriteLimit(16));
            QTreeWidgetItem *recipes = d->node(QStringLiteral("$\\Recipes"));
            const bool moved = operation == 0   ? MoveUp(d->tree.get(), n, d->state)
                               : operation == 1 ? MoveDown(d->tree.get(), n, d->state)
                                                : DragDropMove(d->tree.get(), n, recipes, d->state);
            QVERIFY(!moved);
        }
        expectUnchanged(before, treeBefore);
        QCOMPARE(d->state.master.toBytes(), memoryBefore);
        QCOMPARE(d->tree->currentItem(), n);
        QCOMPARE(d->ui.shown.size(), 1);
        if (!message.isEmpty())
            QCOMPARE(d->ui.shown[0].text, message);
    }

    // Random adds, renames, moves, drops, deletes and text stores; after each
    // step the file passes the check, reads back as the same tree, and every
    // item holds the text last stored for it. QUIVORA_RANDOM_STEPS runs longer.
    void randomSequence()
    {
        const QString shm = QStringLiteral("/dev/shm");
        QTemporaryDir fast(QFileInfo(shm).isWritable() ? shm + QStringLiteral("/quivora-XXXXXX")
                                                       : QString());
        QVERIFY(fast.isValid());
        d->state.workFolder = fast.path() + QLatin1Char('/');
        d->state.master.setPath(d->state.workFolder + QStringLiteral("Master"));

        // 2,000 nodes, a quarter of them branches, added where a user would.
        QRandomGenerator rng(20261207);
        for (int i = 0; i < 2000; ++i) {
            d->tree->setCurrentItem(d->randomNode(rng, true));
            QVERIFY(rng.bounded(4) == 0 ? AddBranch(d->tree.get(), &d->editor, {}, d->state)
                                        : AddItem(d->tree.get(), &d->editor, {}, d->state));
        }

        QHash<int, QByteArray> texts; // item key -> text last stored
        const int steps = qEnvironmentVariableIsSet("QUIVORA_RANDOM_STEPS")
                              ? qEnvironmentVariableIntValue("QUIVORA_RANDOM_STEPS")
                              : 500;
        for (int step = 0; step < steps; ++step) {
            QTreeWidgetItem *n = d->randomNode(rng, false);
            d->tree->setCurrentItem(n);
            const int op = int(rng.bounded(8));
            d->ui.clear();
            d->ui.answers.enqueue(MsgButton::Yes);
            switch (op) {
            case 0:
                AddBranch(d->tree.get(), &d->editor, {}, d->state);
                break;
            case 1:
                AddItem(d->tree.get(), &d->editor, {}, d->state);
                break;
            case 2:
                if (!IsRoot(n))
                    RenameNode(d->tree.get(), n, QStringLiteral("N%1").arg(step), d->state, {});
                break;
            case 3:
                MoveUp(d->tree.get(), n, d->state);
                break;
            case 4:
                MoveDown(d->tree.get(), n, d->state);
                break;
            case 5: {
                QTreeWidgetItem *target = d->randomNode(rng, true);
                if (DragDropRefusal(n, target).text.isEmpty())
                    QVERIFY(DragDropMove(d->tree.get(), n, target, d->state));
                break;
            }
            case 6:
                if (step % 5 == 0 && (IsItem(n) || (IsBranch(n) && n->childCount() < 20))) {
                    QList<int> gone;
                    ForEachNode(d->tree.get(), [&](QTreeWidgetItem *x) {
                        if (x == n || IsSubnode(x, n))
                            gone << NodeKey(x);
                        return true;
                    });
                    if (IsItem(n) ? DeleteItem(d->tree.get(), d->state) : DeleteBranch(d->tree.get(), d->state))
                        for (int k : gone)
                            texts.remove(k);
                }
                break;
            default:
                if (IsItem(n)) {
                    const QByteArray text = "{\\rtf1 text " + QByteArray::number(step) + "}";
                    d->state.currentItemKey = NodeKey(n);
                    d->editor.type(text);
                    d->state.itemTextChanged = true;
                    QVERIFY(SaveItemText(d->tree.get(), &d->editor, d->state));
                    texts[NodeKey(n)] = text + "\r\n";
                }
            }
            const QString where = QStringLiteral("step %1, operation %2").arg(step).arg(op);
            QVERIFY2(AutoCheck(d->tree.get(), d->state), qPrintable(where));
            QVERIFY2(d->ui.texts().filter(QStringLiteral("DEBUG")).isEmpty(), qPrintable(where));
            MasterFile reread(d->masterPath());
            QVERIFY(reread.load());
            QVERIFY2(reread.nodes() == d->treeLines(), qPrintable(where));
            for (auto it = texts.cbegin(); it != texts.cend(); ++it)
                QVERIFY2(reread.blockText(it.key()) == it.value(), qPrintable(where));
        }
    }
};

QTEST_MAIN(TestMoves)
#include "tst_moves.moc"
