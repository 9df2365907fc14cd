// Find in All Items: the search panel under the explorer, going to a match
// and stepping through the matches of every item with F3 and Shift+F3.
#include "shell/MainWindow.h"

#include "shell/Actions.h"
#include "shell/RichEdit.h"
#include "shell/SearchPanel.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTreeWidget>

namespace {

// How much of a match's line a row shows.
constexpr int LineWidth = 80;

QTreeWidgetItem *nodeByKey(QTreeWidget *tree, int key)
{
    QTreeWidgetItem *found = nullptr;
    ForEachNode(tree, [&](QTreeWidgetItem *n) {
        if (NodeKey(n) == key)
            found = n;
        return !found;
    });
    return found;
}

QString searchNotRunMessage()
{
    return QStringLiteral("Not searched: the current item's text could not be stored.");
}

} // namespace

void TfrmTree::CreateSearchCommands()
{
    FindInAllItems1 = MakeAction(this, "FindInAllItems1", QStringLiteral("Find in &All Items..."),
                                 QStringLiteral("Find in All Items|Find text in every item of the document"),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    FindNextMatch1 = MakeAction(this, "FindNextMatch1", QStringLiteral("Next &Match"),
                                QStringLiteral("Next Match|Go to the next match of Find in All Items"),
                                QKeySequence(Qt::Key_F3));
    FindPreviousMatch1 = MakeAction(this, "FindPreviousMatch1", QStringLiteral("Pre&vious Match"),
                                    QStringLiteral("Previous Match|Go to the previous match of Find in All Items"),
                                    QKeySequence(Qt::SHIFT | Qt::Key_F3));
    FindNextMatch1->setEnabled(false);
    FindPreviousMatch1->setEnabled(false);
    connect(FindInAllItems1, &QAction::triggered, this, &TfrmTree::FindInAllItems1Execute);
    connect(FindNextMatch1, &QAction::triggered, this, [this] { StepSearchHit(+1); });
    connect(FindPreviousMatch1, &QAction::triggered, this, [this] { StepSearchHit(-1); });
    Edit1->addSeparator();
    Edit1->addActions({FindInAllItems1, FindNextMatch1, FindPreviousMatch1});
    connect(pnlSearch, &SearchPanel::searchRequested, this, &TfrmTree::SearchAllItems);
    connect(pnlSearch, &SearchPanel::hitActivated, this, &TfrmTree::GoToSearchHit);
}

void TfrmTree::FindInAllItems1Execute()
{
    StorePoint();
    pnlSearch->focusSearchText();
}

void TfrmTree::SearchAllItems()
{
    if (m_doc.busy || !EndRename())
        return;
    // The current item's text is searched as stored: text that cannot be
    // stored would be searched stale.
    if (!StorePoint()) {
        pnlSearch->showStatus(searchNotRunMessage());
        return;
    }
    QString error;
    const QRegularExpression re = SearchExpression(pnlSearch->query(), &error);
    if (!re.isValid()) {
        pnlSearch->showStatus(error);
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QList<PanelHit> hits;
    int nodes = 0;
    QTreeWidgetItem *last = nullptr;
    QString path;
    const qsizetype total =
        SearchItems(tvwTree, m_doc.master, pnlSearch->cache, pnlSearch->query(),
                    [&](QTreeWidgetItem *node, const SearchHit &hit, const QString &text) {
                        if (node != last) {
                            last = node;
                            ++nodes;
                            path = NodePath(node);
                        }
                        if (hits.size() < SearchPanel::MaxListed) {
                            PanelHit h;
                            h.hit = hit;
                            h.path = path;
                            qsizetype at = 0;
                            h.line = HitLine(text, hit, LineWidth, &at);
                            h.matchAt = int(at);
                            hits.append(h);
                        }
                        return true;
                    });
    QGuiApplication::restoreOverrideCursor();
    const bool any = !hits.isEmpty();
    pnlSearch->showResults(std::move(hits), total, nodes, re);
    FindNextMatch1->setEnabled(any);
    FindPreviousMatch1->setEnabled(any);
    if (any)
        pnlSearch->lstSearchResults->setFocus();
}

void TfrmTree::GoToSearchHit(int row)
{
    if (m_doc.busy || row < 0 || row >= pnlSearch->hitCount() || !EndRename())
        return;
    const SearchHit hit = pnlSearch->hit(row).hit;
    pnlSearch->setCurrentRow(row);
    pnlSearch->show();
    // Found by key and path: another document opened since may use the key.
    QTreeWidgetItem *node = nodeByKey(tvwTree, hit.key);
    if (!node || NodePath(node) != pnlSearch->hit(row).path) {
        pnlSearch->lblSearchCount->setText(QStringLiteral("The node of this match was renamed, moved or deleted; search again."));
        return;
    }
    // A normal selection change: the text being left is stored, this one loaded.
    if (tvwTree->currentItem() != node)
        tvwTree->setCurrentItem(node);
    tvwTree->scrollToItem(node);
    if (tvwTree->currentItem() != node || NodeKey(node) != (IsItemKey(hit.key) ? m_doc.currentItemKey : 0))
        return; // the text being left could not be stored
    if (hit.inName || !IsItemKey(hit.key)) {
        // The match is the node's name: no text of the editor is marked.
        QTextCursor caret = txtEdit->textCursor();
        caret.clearSelection();
        txtEdit->setTextCursor(caret);
        tvwTree->setFocus();
        return;
    }
    // The text may have changed since the search: the match at or after its
    // old place, else the first one.
    const QString text = txtEdit->toPlainText();
    const QRegularExpression &re = pnlSearch->expression();
    QRegularExpressionMatch m = re.match(text, qMin<qsizetype>(hit.start, text.size()));
    if (!m.hasMatch() || m.capturedLength() == 0)
        m = re.match(text);
    activateWindow();
    txtEdit->setFocus();
    if (m.hasMatch())
        txtEdit->setSelection(int(m.capturedStart()), int(m.capturedLength()));
    txtEdit->ensureCursorVisible();
}

void TfrmTree::StepSearchHit(int step)
{
    const int count = pnlSearch->hitCount();
    if (count == 0)
        return;
    const int current = pnlSearch->currentRow();
    // Wraps around at both ends.
    const int row = current < 0 ? (step > 0 ? 0 : count - 1) : (current + step + count) % count;
    GoToSearchHit(row);
}
