#pragma once

#include <QListView>
#include <QPointer>
#include <QUuid>

#include <functional>
#include <optional>

class QPropertyAnimation;
class TrackListModel;

// The scrolling rows of the track list. A left click counts on release and only when the
// pointer did not move far enough to drag; a drag carries the row's track identifier as text;
// a right press asks for the row's menu. A dropped identifier is handed on with the row it fell
// on, only while `acceptsReorder` allows it.
class TrackRowsView : public QListView
{
    Q_OBJECT

public:
    explicit TrackRowsView(QWidget *parent = nullptr);

    TrackListModel *rows() const;
    // Asked when a drag enters and when it is dropped; refused drops change nothing.
    std::function<bool()> acceptsReorder;

    // Brings the row to the middle of the view with a short animation.
    void scrollToRow(int row);

signals:
    void trackClicked(const QUuid &trackID, Qt::KeyboardModifiers modifiers);
    void contextMenuRequested(const QUuid &trackID, const QRect &rowRect);
    void trackDropped(const QUuid &draggedID, const QUuid &targetID);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::optional<QUuid> trackAt(const QPoint &position) const;
    bool offersReorder(const QDropEvent &event) const;

    std::optional<QUuid> m_pressedTrack;
    QPoint m_pressPosition;
    QPointer<QPropertyAnimation> m_scrollAnimation;
};
