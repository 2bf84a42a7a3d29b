#include "MissingTrackList.h"

#include "Localization.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"
#include "ThemedLabel.h"

#include <QAbstractListModel>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QtConcurrent>

#include <sys/stat.h>

namespace {

constexpr int buttonSpacing = 6;
constexpr int buttonPadding = 8;
constexpr int buttonHeight = 18;

QFont rowFont()
{
    return Fonts::system(10.5);
}

QString actionTitle(MissingTrackList::Action action)
{
    switch (action) {
    case MissingTrackList::Action::relocate:
        return L("重新定位…");
    case MissingTrackList::Action::reveal:
        return L("在文件管理器中显示");
    case MissingTrackList::Action::remove:
        return L("移除");
    }
    return {};
}

} // namespace

class MissingTrackList::Rows final : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(tracks.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= tracks.size())
            return {};
        const Track &track = tracks[index.row()];
        if (role == Qt::DisplayRole)
            return Lf("%@ — %@", track.title, track.url.fileNameText());
        if (role == Qt::ToolTipRole)
            return track.url.displayPath();
        return {};
    }

    void reset(const QList<Track> &list)
    {
        beginResetModel();
        tracks = list;
        present.clear();
        endResetModel();
    }

    QList<Track> tracks;
    QSet<QUuid> present;
};

class MissingTrackList::Delegate final : public QStyledItemDelegate
{
public:
    explicit Delegate(MissingTrackList &list)
        : QStyledItemDelegate(&list)
        , m_list(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return QSize(0, rowHeight); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const ThemePalette palette = ThemeEnvironment::theme(&m_list);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setFont(rowFont());
        const QFontMetrics metrics(rowFont());
        int labelRight = option.rect.right();
        for (Action action : {Action::relocate, Action::reveal, Action::remove}) {
            const QRect button = m_list.actionRect(index.row(), action);
            if (button.isEmpty())
                continue;
            labelRight = std::min(labelRight, button.left() - 6);
            painter->setPen(Qt::NoPen);
            painter->setBrush(palette.raisedFill);
            painter->drawRoundedRect(QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            painter->setPen(palette.hairline);
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            painter->setPen(palette.text);
            painter->drawText(button, Qt::AlignCenter, actionTitle(action));
        }
        const QRect label(option.rect.left(), option.rect.top(), labelRight - option.rect.left(), option.rect.height());
        painter->setPen(ThemedLabel::muted(0.45, 0.62)(palette));
        painter->drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(index.data().toString(), Qt::ElideMiddle, label.width()));
        painter->restore();
    }

private:
    MissingTrackList &m_list;
};

MissingTrackList::MissingTrackList(QWidget *parent)
    : QListView(parent)
    , m_rows(new Rows(this))
{
    setModel(m_rows);
    setItemDelegate(new Delegate(*this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(&m_presence, &QFutureWatcher<QSet<QUuid>>::finished, this, [this] {
        m_rows->present = m_presence.result();
        viewport()->update();
    });
}

void MissingTrackList::setTracks(const QList<Track> &tracks)
{
    m_rows->reset(tracks);
    setFixedHeight(sizeHint().height());
    checkPresence();
}

const QList<Track> &MissingTrackList::tracks() const
{
    return m_rows->tracks;
}

QSize MissingTrackList::sizeHint() const
{
    return QSize(QListView::sizeHint().width(), int(std::min<qsizetype>(m_rows->tracks.size(), visibleRows)) * rowHeight);
}

void MissingTrackList::checkPresence()
{
    QList<QPair<QUuid, QByteArray>> paths;
    paths.reserve(m_rows->tracks.size());
    for (const Track &track : std::as_const(m_rows->tracks))
        paths.append({track.id, track.url.path()});
    // A path on a drive that has gone away can take long to answer; never on the GUI thread.
    m_presence.setFuture(QtConcurrent::run([paths] {
        QSet<QUuid> present;
        for (const auto &[id, path] : paths) {
            struct stat status;
            if (::stat(path.constData(), &status) == 0)
                present.insert(id);
        }
        return present;
    }));
}

QRect MissingTrackList::actionRect(int row, Action action) const
{
    if (row < 0 || row >= m_rows->tracks.size())
        return {};
    if (action == Action::reveal && !m_rows->present.contains(m_rows->tracks[row].id))
        return {};
    const QRect rowRect = visualRect(m_rows->index(row));
    const QFontMetrics metrics(rowFont());
    int right = rowRect.right();
    for (Action each : {Action::remove, Action::reveal, Action::relocate}) {
        if (each == Action::reveal && !m_rows->present.contains(m_rows->tracks[row].id))
            continue;
        const int width = metrics.horizontalAdvance(actionTitle(each)) + 2 * buttonPadding;
        const QRect button(right - width + 1, rowRect.top() + (rowRect.height() - buttonHeight) / 2, width, buttonHeight);
        if (each == action)
            return button;
        right = button.left() - buttonSpacing;
    }
    return {};
}

bool MissingTrackList::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    QString tip;
    if (index.isValid()) {
        const auto over = [&](Action action) { return actionRect(index.row(), action).contains(help->pos()); };
        if (over(Action::relocate))
            tip = L("选择这个文件的新位置");
        else if (!over(Action::reveal) && !over(Action::remove))
            tip = index.data(Qt::ToolTipRole).toString().toHtmlEscaped(); // a path may hold anything
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
}

void MissingTrackList::mouseReleaseEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        for (Action action : {Action::relocate, Action::reveal, Action::remove}) {
            if (actionRect(index.row(), action).contains(event->position().toPoint())) {
                // Copied: the action may change the list.
                const Track track = m_rows->tracks[index.row()];
                emit actionTriggered(track, action);
                return;
            }
        }
    }
    QListView::mouseReleaseEvent(event);
}
