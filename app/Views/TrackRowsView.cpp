#include "TrackRowsView.h"

#include "TrackListModel.h"

#include "Storage/JsonFields.h"
#include "UI/DragPayloads.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScrollBar>

TrackRowsView::TrackRowsView(QWidget *parent) : QListView(parent)
{
    setObjectName(QStringLiteral("trackRows"));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    // Drags start from mouseMoveEvent, which knows the pressed row; rows show no drop marks.
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // The list's top and bottom margins stay inside the scrolled content's frame.
    setViewportMargins(0, 6, 0, 14);
    verticalScrollBar()->setSingleStep(18);
}

TrackListModel *TrackRowsView::rows() const
{
    return static_cast<TrackListModel *>(model());
}

std::optional<QUuid> TrackRowsView::trackAt(const QPoint &position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return std::nullopt;
    return rows()->trackAt(index.row()).id;
}

void TrackRowsView::scrollToRow(int row)
{
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid())
        return;
    QScrollBar *bar = verticalScrollBar();
    const int from = bar->value();
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    const int to = bar->value();
    if (from == to || !isVisible())
        return;
    bar->setValue(from);
    if (m_scrollAnimation)
        m_scrollAnimation->stop();
    m_scrollAnimation = new QPropertyAnimation(bar, "value", this);
    m_scrollAnimation->setDuration(250);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    m_scrollAnimation->setStartValue(from);
    m_scrollAnimation->setEndValue(to);
    m_scrollAnimation->start(QAbstractAnimation::DeleteWhenStopped);
}

void TrackRowsView::mousePressEvent(QMouseEvent *event)
{
    const std::optional<QUuid> track = trackAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        m_pressedTrack.reset();
        if (track)
            emit contextMenuRequested(*track, visualRect(indexAt(event->position().toPoint())));
        return event->accept();
    }
    if (event->button() != Qt::LeftButton)
        return QListView::mousePressEvent(event);
    m_pressedTrack = track;
    m_pressPosition = event->position().toPoint();
    event->accept();
}

void TrackRowsView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // No double-click gesture: the second click is a click like the first.
    mousePressEvent(event);
}

void TrackRowsView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedTrack && event->buttons().testFlag(Qt::LeftButton)
        && (event->position().toPoint() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        const QUuid dragged = *m_pressedTrack;
        m_pressedTrack.reset();
        auto *drag = new QDrag(this);
        drag->setMimeData(DragPayloads::trackPayload(dragged));
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        return event->accept();
    }
    QListView::mouseMoveEvent(event);
}

void TrackRowsView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QListView::mouseReleaseEvent(event);
    const std::optional<QUuid> pressed = std::exchange(m_pressedTrack, std::nullopt);
    if (pressed && trackAt(event->position().toPoint()) == pressed)
        emit trackClicked(*pressed, event->modifiers());
    event->accept();
}

bool TrackRowsView::offersReorder(const QDropEvent &event) const
{
    // Files from a file manager also come with their addresses as text; they go on to the
    // window, which imports them.
    const QMimeData &data = *event.mimeData();
    return !DragPayloads::offersFileURLs(data)
        && (data.hasFormat(QString::fromLatin1(DragPayloads::utf8TextType)) || data.hasText());
}

void TrackRowsView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!offersReorder(*event) || !acceptsReorder || !acceptsReorder())
        return event->ignore();
    event->acceptProposedAction();
}

void TrackRowsView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!offersReorder(*event) || !acceptsReorder || !acceptsReorder() || !trackAt(event->position().toPoint()))
        return event->ignore();
    event->acceptProposedAction();
}

void TrackRowsView::dropEvent(QDropEvent *event)
{
    const std::optional<QUuid> target = trackAt(event->position().toPoint());
    if (!target || !offersReorder(*event) || !acceptsReorder || !acceptsReorder())
        return event->ignore();
    event->acceptProposedAction();
    const std::optional<QString> text = DragPayloads::textValue(*event->mimeData());
    if (!text)
        return;
    if (const std::optional<QUuid> dragged = Json::parseUuid(*text))
        emit trackDropped(*dragged, *target);
}
