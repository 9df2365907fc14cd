#include "store/CheckMemo.h"

#include "store/DocState.h"
#include "store/Integrity.h"
#include "store/MasterFile.h"

#include <QAbstractItemModel>
#include <QTreeWidget>

CheckMemo &CheckMemo::of(QTreeWidget *tree)
{
    auto *memo = tree->findChild<CheckMemo *>(QString(), Qt::FindDirectChildrenOnly);
    if (!memo)
        memo = new CheckMemo(tree);
    return *memo;
}

CheckMemo::CheckMemo(QTreeWidget *tree) : QObject(tree)
{
    const QAbstractItemModel *model = tree->model();
    const auto changed = [this] { ++m_generation; };
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model, &QAbstractItemModel::rowsMoved, this, changed);
    connect(model, &QAbstractItemModel::dataChanged, this, changed);
    connect(model, &QAbstractItemModel::layoutChanged, this, changed);
    connect(model, &QAbstractItemModel::modelReset, this, changed);
}

bool CheckMemo::passed(const MasterFile &master) const
{
    const QList<QByteArray> &nodes = master.nodes();
    return m_valid && m_passedGeneration == m_generation && master.nodeSectionClosed()
           && nodes.size() == m_passedNodes.size() && nodes.constData() == m_passedNodes.constData();
}

void CheckMemo::remember(const MasterFile &master)
{
    m_passedNodes = master.nodes();
    m_passedGeneration = m_generation;
    m_valid = true;
}

void CheckMemo::forget()
{
    m_passedNodes.clear();
    m_valid = false;
}

bool AutoCheckIfChanged(QTreeWidget *tree, DocState &doc)
{
    CheckMemo &memo = CheckMemo::of(tree);
    if (memo.passed(doc.master))
        return true;
    const bool ok = AutoCheck(tree, doc);
    if (ok)
        memo.remember(doc.master);
    else
        memo.forget();
    return ok;
}
