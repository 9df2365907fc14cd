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
    int kind = 0;
    int key = 0;    // the node selected for it (an add's parent)
    int target = 0; // a drag's destination
    QString name;
    QHash<int, int> before, after; // node key -> the node's identity, around the change
};

QTreeWidgetItem *ByKey(QTreeWidget *tree, int key)
{
    QTreeWidgetItem *found = nullptr;
    ForEachNode(tree, [&](QTreeWidgetItem *n) {
        if (NodeKey(n) == key)
            found = n;
        return !found;
    });
    return found;
}

// Runs `op` as the window's commands do, recording it as one step.
void Apply(Doc &d, const Op &op)
{
    QTreeWidget *tree = d.tree.get();
    QTreeWidgetItem *n = ByKey(tree, op.key);
    tree->setCurrentItem(n);
    TreeStepScope step(d.state, op.key);
    QTreeWidgetItem *added = nullptr;
    switch (op.kind) {
    case Op::AddBranch:
        added = ::AddBranch(tree, &d.editor, {}, d.state);
        break;
    case Op::AddItem:
        added = ::AddItem(tree, &d.editor, {}, d.state);
        break;
    case Op::Rename:
        RenameNode(tree, n, op.name, d.state, {});
        break;
    case Op::Up:
        MoveUp(tree, n, d.state);
        break;
    case Op::Down:
        MoveDown(tree, n, d.state);
        break;
    case Op::Drag:
        DragDropMove(tree, n, ByKey(tree, op.target), d.state);
        break;
    default:
        IsItem(n) ? DeleteItem(tree, d.state) : DeleteBranch(tree, d.state);
    }
    if (added)
        step.key = NodeKey(added);
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
        auto randomNode = [&](bool parentsOnly) {
            QList<QTreeWidgetItem *> all;
            ForEachNode(d.tree.get(), [&](QTreeWidgetItem *n) {
                if (!parentsOnly || !IsItem(n))
                    all << n;
                return true;
            });
            return all.at(int(rng.bounded(qsizetype(all.size()))));
        };
        for (int i = 0; i < 40; ++i) {
            d.tree->setCurrentItem(randomNode(true));
            QVERIFY(rng.bounded(4) == 0 ? AddBranch(d.tree.get(), &d.editor, {}, d.state)
                                        : AddItem(d.tree.get(), &d.editor, {}, d.state));
        }
        const Lines start = d.state.master.allLines();
        QVERIFY(!d.state.history.canUndo()); // nothing recorded them

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
        identify();
        QList<Op> done, undone;
        int kept = 0; // how many of `done` the history can still take back
        QHash<int, QByteArray> texts; // identity -> the text last stored
        for (int step = 0; step < 400; ++step) {
            const QString where = QStringLiteral("step %1").arg(step);
            const int choice = int(rng.bounded(12)); // 7, 8: store a text; 9, 10: undo; 11: redo
            d.ui.clear();
            if (choice < Op::Kinds) {
                Op op{choice, NodeKey(randomNode(choice <= Op::AddItem)), NodeKey(randomNode(true)),
                      QStringLiteral("N%1").arg(step), ids, {}};
                QTreeWidgetItem *n = ByKey(d.tree.get(), op.key);
                if (IsRoot(n) ? choice > Op::AddItem
                              : (choice == Op::Drag && !DragDropRefusal(n, ByKey(d.tree.get(), op.target)).text.isEmpty())
                                    || (choice == Op::Delete && IsBranch(n) && n->childCount() > 10))
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
                QTreeWidgetItem *n = choice == 7 ? d.tree->currentItem() : randomNode(false);
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
                QList<Op> &from = redo ? undone : done;
                const bool can = redo ? !undone.isEmpty() : kept > 0;
                QCOMPARE(UndoTreeChange(d.tree.get(), &d.editor, d.state, redo),
                         can ? UndoResult::Done : UndoResult::Nothing);
                if (!can)
                    continue;
                kept += redo ? 1 : -1;
                Op op = from.takeLast();
                ids = redo ? op.after : op.before;
                (redo ? done : undone).append(op);
                QVERIFY(d.state.documentChanged);
                // The node the step was about is selected, or its parent when it is gone.
                QTreeWidgetItem *now = d.tree->currentItem();
                QVERIFY2(!ids.contains(op.key) || NodeKey(now) == op.key
                             || (op.kind <= Op::AddItem && NodeKey(now->parent()) == op.key), qPrintable(where));
                QCOMPARE(d.state.currentItemKey, IsItem(now) ? NodeKey(now) : 0);
                if (IsItem(now))
                    QCOMPARE(d.editor.content, d.state.master.blockText(NodeKey(now)));
            }
            QCOMPARE(d.state.history.undoCount(), kept);
            QCOMPARE(d.state.history.canRedo(), !undone.isEmpty());
            QVERIFY2(AutoCheck(d.tree.get(), d.state), qPrintable(where));
            QVERIFY2(d.ui.shown.isEmpty(), qPrintable(where + d.ui.texts().join(QLatin1Char('\n'))));
            MasterFile reread(d.masterPath());
            QVERIFY(reread.load());
            QVERIFY2(reread.nodes() == d.treeLines(), qPrintable(where));
            QList<int> wrongText;
            int withText = 0; // and no block is left of an item that is gone
            ForEachNode(d.tree.get(), [&](QTreeWidgetItem *n) {
                const QByteArray text = IsItem(n) ? texts.value(ids.value(NodeKey(n))) : QByteArray();
                withText += !text.isEmpty();
                if (IsItem(n) && reread.blockText(NodeKey(n)) != text)
                    wrongText << NodeKey(n);
                return true;
            });
            QVERIFY2(wrongText.isEmpty() && reread.blockCount() == withText, qPrintable(where));
        }
        // The changes that remain, replayed on the document as it began.
        Doc replay;
        QVERIFY(replay.open(start));
        for (const Op &op : std::as_const(done))
            Apply(replay, op);
        QCOMPARE(d.state.master.nodes(), replay.state.master.nodes());
        QCOMPARE(d.treeLines(), replay.treeLines());
    }
};

QTEST_MAIN(TestTreeHistory)
#include "tst_treehistory.moc"
