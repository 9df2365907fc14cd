#pragma once
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>
#include <functional>

class QTimer;

// The explorer: a tree view that renames nodes in place only when the window
// allows it, hands the Delete key to the window, and accepts drags only from
// itself, scrolling while a drag hovers near its top or bottom edge. It moves
// nothing by itself: the window moves the node on a drop.
class ExplorerTree : public QTreeWidget
{
    Q_OBJECT
public:
    static constexpr int ScrollZoneHeight = 18;

    explicit ExplorerTree(QWidget *parent = nullptr);

    // Asked before an in-place edit starts; false refuses it.
    std::function<bool(QTreeWidgetItem *)> canEdit;
    // Asked when an in-place edit ends with a new text; true applies it.
    std::function<bool(QTreeWidgetItem *, const QString &)> commitEdit;
    // Where a hovering drag comes from; unset: the drag manager's answer.
    // Headless platforms run no drags, so tests stand in for the source.
    std::function<const QObject *(const QDropEvent *)> dragSource;

    // Starts editing the node's caption in place (the Rename command).
    void startRename(QTreeWidgetItem *node);
    // Ends an open in-place edit the way Enter does. False when the typed
    // name was refused: the edit stays open for the user to correct.
    bool finishRename();
    // Ends an open in-place edit without taking the typed text.
    void cancelRename();
    bool renaming() const { return !m_renameBox.isNull(); }

    // 0: near the top edge, 1: near the bottom edge, 2: elsewhere.
    int scrollZone() const { return m_scrollZone; }
    QTimer *scrollTimer() const { return m_timer; }

Q_SIGNALS:
    void deletePressed();
    void nodeDropped(QTreeWidgetItem *target);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    friend class RenameDelegate;
    void scrollOneLine();
    bool fromMyself(const QDropEvent *event) const;

    QTimer *m_timer;
    int m_scrollZone = 2;
    QPointer<QWidget> m_renameBox;
    QPersistentModelIndex m_renameIndex;
};
