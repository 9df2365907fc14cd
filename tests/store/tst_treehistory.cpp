// Undo and Redo of tree changes: a random sequence of every tree operation,
// text stores, undos and redos leaves file and explorer equal to a replay of
// the changes that remain, and every item's text the last stored for it.
#include "support_nodeops_doc.h"

#include "store/Integrity.h"
#include "store/NodeMoves.h"
#include "store/NodeOps.h"
#include "store/TreeHistory.h"

#include <QRandomGenerator>
#include <QTest>

using namespace nodeops;

namespace {

// One tree operation, by keys, so that it can be replayed on another copy.
struct Op
{
    enum Kind { AddBranch, AddItem, Rename, Up, Down, Drag, Delete, Kinds };
    int kind = 0, key = 0, target = 0; // the node selected for it (an add's parent), a drag's destination
    QString name;
    QHash<int, int> before, after; // node key -> the node's identity, around the change
};

// Runs `op` as the window's commands do, recording it as one step.
void Apply(Doc &d, const Op &op)
{
    QTreeWidget *tree = d.tree.get();
    QTreeWidgetItem *n = d.byKey(op.key);
    tree->setCurrentItem(n);
    TreeStepScope step(d.state, op.key);
    const std::function<void()> run[Op::Kinds] = {
        [&] { step.key = NodeKey(::AddBranch(tree, &d.editor, {}, d.state)); },
        [&] { step.key = NodeKey(::AddItem(tree, &d.editor, {}, d.state)); },
        [&] { RenameNode(tree, n, op.name, d.state, {}); },
        [&] { MoveUp(tree, n, d.state); },
        [&] { MoveDown(tree, n, d.state); },
        [&] { DragDropMove(tree, n, d.byKey(op.target), d.state); },
        [&] { IsItem(n) ? DeleteItem(tree, d.state) : DeleteBranch(tree, d.state); },
    };
    run[op.kind]();
}

} // namespace

class TestTreeHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomSequence()
    {
        Doc d;
        QVERIFY(d.open(Document({})));
        QRandomGenerator rng(20261211);

        QHash<int, int> ids; // node key -> identity: a key freed and taken again is another node
        int lastId = 0;
        auto identify = [&] {
            QHash<int, int> now;
            ForEachNode(d.tree.get(), [&](QTreeWidgetItem *n) {
                now.insert(NodeKey(n), ids.contains(NodeKey(n)) ? ids.value(NodeKey(n)) : ++lastId);
                return true;
            });
            ids = now;
        };
        QList<Op> done, undone;
        int kept = 0; // how many of `done` the history can still take back
        QHash<int, QByteArray> texts; // identity -> the text last stored
        for (int step = 0; step < 400; ++step) {
            const int choice = int(rng.bounded(12)); // 7, 8: store a text; 9, 10: undo; 11: redo
            d.ui.clear();
            if (choice < Op::Kinds) {
                Op op{choice, NodeKey(d.randomNode(rng, choice <= Op::AddItem)), NodeKey(d.randomNode(rng, true)),
                      QStringLiteral("N%1").arg(step), ids, {}};
                QTreeWidgetItem *n = d.byKey(op.key);
                if (IsRoot(n) ? choice > Op::AddItem
                              : choice == Op::Drag && !DragDropRefusal(n, d.byKey(op.target)).text.isEmpty())
                    continue;
                const Lines before = d.state.master.nodes();
                Apply(d, op);
                if (d.state.master.nodes() == before)
                    continue;
                identify();
                op.after = ids;
                done.append(op);
                undone.clear();
                kept = qMin(kept + 1, TreeHistory::MaxSteps); // a small tree keeps the most steps
            } else if (choice < 9) {
                // Mostly into the item just selected, often one just added.
                QTreeWidgetItem *n = choice == 7 ? d.tree->currentItem() : d.randomNode(rng, false);
                if (IsItem(n)) {
                    const QByteArray text = "{\\rtf1 text " + QByteArray::number(step) + "}";
                    d.state.currentItemKey = NodeKey(n);
                    d.editor.type(text);
                    d.state.itemTextChanged = true;
                    QVERIFY(SaveItemText(d.tree.get(), &d.editor, d.state));
                    texts[ids.value(NodeKey(n))] = text + "\r\n";
                }
            } else {
                const bool redo = choice == 11;
                const bool can = redo ? !undone.isEmpty() : kept > 0;
                QCOMPARE(UndoTreeChange(d.tree.get(), &d.editor, d.state, redo),
                         can ? UndoResult::Done : UndoResult::Nothing);
                if (!can)
                    continue;
                kept += redo ? 1 : -1;
                Op op = (redo ? undone : done).takeLast();
                ids = redo ? op.after : op.before;
                (redo ? done : undone).append(op);
            }
            QCOMPARE(d.state.history.undoCount(), kept);
            QVERIFY2(AutoCheck(d.tree.get(), d.state), qPrintable(QString::number(step)));
            QVERIFY2(d.ui.shown.isEmpty(), qPrintable(QString::number(step) + d.ui.texts().join(QLatin1Char('\n'))));
            QVERIFY2(d.disk() == d.state.master.toBytes(), qPrintable(QString::number(step)));
            bool textsRight = true;
            int withText = 0; // and no block is left of an item that is gone
            ForEachNode(d.tree.get(), [&](QTreeWidgetItem *n) {
                const QByteArray text = IsItem(n) ? texts.value(ids.value(NodeKey(n))) : QByteArray();
                withText += !text.isEmpty();
                textsRight = textsRight && d.state.master.blockText(NodeKey(n)) == text;
                return true;
            });
            QVERIFY2(textsRight && d.state.master.blockCount() == withText, qPrintable(QString::number(step)));
        }
        // The changes that remain, replayed on the document as it began.
        Doc replay;
        QVERIFY(replay.open(Document({})));
        for (const Op &op : std::as_const(done))
            Apply(replay, op);
        QCOMPARE(d.state.master.nodes(), replay.state.master.nodes());
        QCOMPARE(d.treeLines(), replay.treeLines());
    }
};

QTEST_MAIN(TestTreeHistory)
#include "tst_treehistory.moc"
