#include "store/TreeHistory.h"

#include "store/DocState.h"
#include "store/ItemEditor.h"
#include "store/Loader.h"
#include "store/MasterEdit.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QSet>
#include <QTreeWidget>

namespace {

int LineKey(const QByteArray &line)
{
    int key = 0;
    return ParseKeyField(QByteArrayView(line).first(qMin<qsizetype>(7, line.size())), &key) ? key : 0;
}

QSet<int> ItemKeys(const QList<QByteArray> &nodes)
{
    QSet<int> keys;
    keys.reserve(nodes.size());
    for (const QByteArray &line : nodes)
        if (const int key = LineKey(line); IsItemKey(key))
            keys.insert(key);
    return keys;
}

// The parent's key on the line of `key`; 0 when there is no such line.
int ParentKeyIn(const QList<QByteArray> &nodes, int key)
{
    for (const QByteArray &line : nodes)
        if (LineKey(line) == key)
            return line.size() >= 15 ? LineKey(line.mid(8, 7)) : 0;
    return 0;
}

} // namespace

void TreeHistory::begin(const MasterFile &master, int key)
{
    m_pending = master;
    m_pendingKey = key;
}

void TreeHistory::end(const MasterFile &master, int key)
{
    Step step;
    step.before = m_pending.nodes();
    step.after = master.nodes();
    step.key = key ? key : m_pendingKey;
    const MasterFile before = m_pending;
    m_pending = MasterFile();
    if (step.before == step.after)
        return;
    // Items the change removed take their text with the step.
    const QSet<int> now = ItemKeys(step.after);
    for (int k : ItemKeys(step.before))
        if (!now.contains(k) && before.hasBlock(k))
            step.blocks.insert(k, before.blockText(k));
    m_undo.append(step);
    m_redo.clear();
    trim();
    notify();
}

void TreeHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_pending = MasterFile();
    notify();
}

qsizetype TreeHistory::memoryBytes() const
{
    QSet<const void *> lists; // a list shared by two steps counts once
    qsizetype bytes = 0;
    auto countList = [&](const QList<QByteArray> &l) {
        if (!lists.contains(l.constData())) {
            lists.insert(l.constData());
            bytes += l.size() * qsizetype(sizeof(QByteArray));
        }
    };
    for (const QList<Step> *stack : {&m_undo, &m_redo})
        for (const Step &s : *stack) {
            countList(s.before);
            countList(s.after);
            for (const QByteArray &b : s.blocks)
                bytes += b.size();
        }
    return bytes;
}

void TreeHistory::trim()
{
    while (m_undo.size() > MaxSteps || (m_undo.size() > MinSteps && memoryBytes() > MemoryBudget))
        m_undo.removeFirst();
}

UndoResult UndoTreeChange(QTreeWidget *tree, ItemEditor *editor, DocState &doc, bool redo)
{
    TreeHistory &h = doc.history;
    QList<TreeHistory::Step> &from = redo ? h.m_redo : h.m_undo;
    QList<TreeHistory::Step> &to = redo ? h.m_undo : h.m_redo;
    if (from.isEmpty())
        return UndoResult::Nothing;
    TreeHistory::Step step = from.last();
    const QList<QByteArray> &current = redo ? step.before : step.after;
    const QList<QByteArray> &target = redo ? step.after : step.before;
    // Only the state the step left can be taken back without harm.
    if (doc.master.nodes() != current) {
        ShowPlain(doc, UndoMismatchMessage());
        return UndoResult::Mismatch;
    }

    MasterEdit edit(doc);
    const QSet<int> there = ItemKeys(target);
    const QSet<int> here = ItemKeys(current);
    for (int k : here)
        if (!there.contains(k) && doc.master.hasBlock(k)) {
            step.blocks.insert(k, doc.master.blockText(k));
            doc.master.removeBlock(k);
        }
    for (int k : there)
        if (!here.contains(k) && step.blocks.contains(k))
            doc.master.appendBlock(k, step.blocks.take(k));
    doc.master.nodes() = target;
    if (!edit.commit())
        return UndoResult::WriteFailed;
    from.removeLast();
    to.append(step);

    BusyScope busy(doc);
    QSet<int> expanded;
    ForEachNode(tree, [&](QTreeWidgetItem *n) {
        if (n->isExpanded())
            expanded.insert(NodeKey(n));
        return true;
    });
    BuildExplorer(tree, doc, false);
    const int wanted = ParentKeyIn(target, step.key) ? step.key : ParentKeyIn(current, step.key);
    QTreeWidgetItem *select = FirstNode(tree);
    ForEachNode(tree, [&](QTreeWidgetItem *n) {
        const int key = NodeKey(n);
        if (expanded.contains(key))
            n->setExpanded(true);
        if (key == wanted)
            select = n;
        return true;
    });
    for (QTreeWidgetItem *p = select ? select->parent() : nullptr; p; p = p->parent())
        p->setExpanded(true);
    tree->setCurrentItem(select);

    doc.documentChanged = true;
    doc.itemTextChanged = false;
    doc.currentItemKey = IsItem(select) ? NodeKey(select) : 0;
    if (editor) {
        editor->clearContent();
        editor->setEditorEnabled(doc.currentItemKey != 0);
        if (doc.currentItemKey)
            LoadItemText(tree, editor, doc);
    }
    h.notify();
    return UndoResult::Done;
}

QString UndoMismatchMessage()
{
    return QStringLiteral("The tree was changed in a way that cannot be undone; nothing was changed.");
}

TreeStepScope::TreeStepScope(DocState &d, int k) : doc(d), key(k)
{
    doc.history.begin(doc.master, key);
}

TreeStepScope::~TreeStepScope()
{
    doc.history.end(doc.master, key);
}
