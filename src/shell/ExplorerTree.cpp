#include "shell/ExplorerTree.h"

#include <QDragMoveEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

// Hands the typed name to the window instead of writing it to the label.
class RenameDelegate : public QStyledItemDelegate
{
public:
    explicit RenameDelegate(ExplorerTree *tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *box = QStyledItemDelegate::createEditor(parent, option, index);
        m_tree->m_renameBox = box;
        m_tree->m_renameIndex = index;
        return box;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        // Typing replaces the whole name, as in any label editor.
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->selectAll();
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        const QString text = editor->property("text").toString();
        QTreeWidgetItem *node = m_tree->itemFromIndex(index);
        if (!node || text == node->text(0))
            return;
        // The window's rename sets the label itself when it accepts the name.
        if (m_tree->commitEdit)
            m_tree->commitEdit(node, text);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        // Losing the focus to another window (a message box, another program,
        // this window closing) neither commits nor ends the rename; only a
        // move inside the window does. A commit while the window closes would
        // write a master file that has already been removed.
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    ExplorerTree *m_tree;
};

ExplorerTree::ExplorerTree(QWidget *parent) : QTreeWidget(parent), m_timer(new QTimer(this))
{
    setItemDelegate(new RenameDelegate(this));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    // Drags start here, but only the window's drop handler may move a node.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setAutoScroll(false);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &ExplorerTree::scrollOneLine);
}

void ExplorerTree::startRename(QTreeWidgetItem *node)
{
    if (!node)
        return;
    setCurrentItem(node);
    editItem(node, 0);
}

bool ExplorerTree::finishRename()
{
    QWidget *box = m_renameBox;
    QTreeWidgetItem *node = itemFromIndex(m_renameIndex);
    if (!box || !box->isVisible() || !node)
        return true;
    const QString typed = box->property("text").toString();
    commitData(box);
    // An accepted name is on the label now; a refused one was explained.
    if (node->text(0) != typed) {
        box->setFocus();
        return false;
    }
    closeEditor(box, QAbstractItemDelegate::NoHint);
    return true;
}

void ExplorerTree::cancelRename()
{
    if (QWidget *box = m_renameBox; box && box->isVisible())
        closeEditor(box, QAbstractItemDelegate::RevertModelCache);
}

bool ExplorerTree::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (trigger == QAbstractItemView::NoEditTriggers || trigger == QAbstractItemView::CurrentChanged)
        return QTreeWidget::edit(index, trigger, event);
    QTreeWidgetItem *node = itemFromIndex(index);
    if (!node || (canEdit && !canEdit(node)))
        return false;
    // Nodes are made editable only here, so the window's rule decides.
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    const bool started = QTreeWidget::edit(index, trigger, event);
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    return started;
}

void ExplorerTree::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        Q_EMIT deletePressed();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool ExplorerTree::fromMyself(const QDropEvent *event) const
{
    return (dragSource ? dragSource(event) : event->source()) == this;
}

void ExplorerTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (!fromMyself(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void ExplorerTree::dragMoveEvent(QDragMoveEvent *event)
{
    if (!fromMyself(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const int y = event->position().toPoint().y();
    if (y < ScrollZoneHeight)
        m_scrollZone = 0;
    else if (y > viewport()->height() - ScrollZoneHeight)
        m_scrollZone = 1;
    else
        m_scrollZone = 2;
    if (m_scrollZone == 2)
        m_timer->stop();
    else if (!m_timer->isActive())
        m_timer->start();
}

void ExplorerTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    m_timer->stop();
    QTreeWidget::dragLeaveEvent(event);
}

void ExplorerTree::dropEvent(QDropEvent *event)
{
    m_timer->stop();
    if (!fromMyself(event)) {
        event->ignore();
        return;
    }
    // The window moves the node. The drag must not end as a move, or the
    // view would remove the dragged rows once more when it returns.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (QTreeWidgetItem *target = itemAt(event->position().toPoint()))
        Q_EMIT nodeDropped(target);
}

void ExplorerTree::startDrag(Qt::DropActions supportedActions)
{
    QTreeWidget::startDrag(supportedActions);
    // The drag is over, dropped or cancelled: a cancel need not pass through
    // dragLeaveEvent, and the scrolling must not outlive it.
    m_timer->stop();
    m_scrollZone = 2;
}

void ExplorerTree::scrollOneLine()
{
    QScrollBar *bar = verticalScrollBar();
    bar->triggerAction(m_scrollZone == 0 ? QAbstractSlider::SliderSingleStepSub
                                         : QAbstractSlider::SliderSingleStepAdd);
}
