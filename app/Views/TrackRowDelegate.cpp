#include "TrackRowDelegate.h"

#include "ArtworkThumbnailCache.h"
#include "TrackColumns.h"
#include "TrackListModel.h"

#include "Localization.h"
#include "Storage/FileTime.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"
#include "UI/TimeText.h"

#include <QAbstractScrollArea>
#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

namespace {

// Text at one opacity on dark palettes and 0.62 on light ones.
QColor dimmedText(const ThemePalette &palette, qreal darkOpacity)
{
    return ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? darkOpacity : 0.62);
}

constexpr int thumbnailSide = 24;
constexpr int placeholderSide = 17;

} // namespace

TrackRowDelegate::Cells TrackRowDelegate::columns(int left, int width)
{
    using namespace TrackColumns;
    Cells cells;
    cells.row = QRect(left, 0, width, 0);
    const int innerLeft = left + rowPadding;
    const int innerRight = left + width - rowPadding;
    int right = innerRight;
    const auto takeRight = [&right](int cellWidth) {
        const QRect cell(right - cellWidth, 0, cellWidth, 0);
        right -= cellWidth + spacing;
        return cell;
    };
    cells.added = takeRight(added);
    cells.duration = takeRight(duration);
    cells.album = takeRight(album);
    cells.artist = takeRight(artist);
    cells.leading = QRect(innerLeft, 0, leading, 0);
    const int titleLeft = innerLeft + leading + spacing;
    cells.title = QRect(titleLeft, 0, qMax(0, right - titleLeft), 0);
    return cells;
}

TrackRowDelegate::Cells TrackRowDelegate::cells(const QRect &itemRect, int trailingInset)
{
    using namespace TrackColumns;
    Cells cells = columns(itemRect.left() + listPadding, itemRect.width() - listPadding - trailingInset);
    for (QRect *cell : {&cells.row, &cells.leading, &cells.title, &cells.artist, &cells.album, &cells.duration, &cells.added}) {
        cell->moveTop(itemRect.top());
        cell->setHeight(rowHeight);
    }
    return cells;
}

QString TrackRowDelegate::addedText(double modifiedAt)
{
    const qint64 seconds = std::isfinite(modifiedAt) ? qint64(std::clamp(modifiedAt, -1e12, 1e12)) : 0;
    return QDateTime::fromSecsSinceEpoch(FileTime::referenceEpochOffset + seconds).toString(QStringLiteral("yyyy-MM-dd"));
}

TrackRowDelegate::TrackRowDelegate(AppModel &model, ArtworkThumbnailCache &thumbnails, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
    , m_thumbnails(thumbnails)
    , m_coversFolder(model.directory().appending(LibraryStore::coversFolderName))
    , m_titleFont(Fonts::system(12.5))
    , m_currentTitleFont(Fonts::system(12.5, QFont::DemiBold))
    , m_cellFont(Fonts::system(10.5))
    , m_dateFont(Fonts::system(10))
    , m_badgeFont(Fonts::system(9.5, QFont::Medium))
{
}

QSize TrackRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), TrackColumns::rowHeight + TrackColumns::rowGap);
}

void TrackRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *rows = static_cast<const TrackListModel *>(index.model());
    const Track &track = rows->trackAt(index.row());
    const bool isCurrent = rows->isCurrent(track);
    const bool isSelected = rows->isSelected(index.row());
    const ThemePalette palette = ThemeEnvironment::theme(option.widget);

    // Rows keep the list's right margin beside the scroll bar, not under it.
    int trailingInset = TrackColumns::listPadding;
    if (const auto *view = qobject_cast<const QAbstractScrollArea *>(option.widget);
        view && view->verticalScrollBar()->isVisible())
        trailingInset = qMax(0, trailingInset - view->verticalScrollBar()->width());
    const Cells cells = TrackRowDelegate::cells(option.rect, trailingInset);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QColor background = Qt::transparent;
    if (isCurrent)
        background = ThemePalette::withOpacity(palette.accent, 0.13);
    else if (isSelected)
        background = ThemePalette::withOpacity(palette.accent, 0.09);
    else if (option.state.testFlag(QStyle::State_MouseOver))
        background = palette.raisedFill;
    if (background.alpha() > 0) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(cells.row), 7, 7);
        painter->fillPath(shape, background);
    }

    paintLeading(*painter, cells.leading, palette, track, index.row(), isCurrent, rows->isPlaying());
    paintTitle(*painter, cells.title, palette, track, isCurrent);

    const QColor secondary = dimmedText(palette, 0.5);
    painter->setFont(m_cellFont);
    painter->setPen(secondary);
    const QFontMetrics cellMetrics(m_cellFont);
    painter->drawText(cells.artist, Qt::AlignLeft | Qt::AlignVCenter,
                      cellMetrics.elidedText(track.artist, Qt::ElideRight, cells.artist.width()));
    painter->drawText(cells.album, Qt::AlignLeft | Qt::AlignVCenter,
                      cellMetrics.elidedText(track.album, Qt::ElideRight, cells.album.width()));
    painter->setPen(dimmedText(palette, 0.45));
    painter->drawText(cells.duration, Qt::AlignRight | Qt::AlignVCenter, TimeText::string(track.duration));
    painter->setFont(m_dateFont);
    painter->setPen(dimmedText(palette, 0.4));
    painter->drawText(cells.added, Qt::AlignRight | Qt::AlignVCenter, addedText(track.modifiedAt));
    painter->restore();
}

void TrackRowDelegate::paintLeading(QPainter &painter, const QRect &cell, const ThemePalette &palette,
                                    const Track &track, int row, bool isCurrent, bool isPlaying) const
{
    if (isCurrent) {
        // Three bars standing on the bottom of a 14 x 12 frame; flat while paused.
        constexpr qreal playingHeights[3] = {5, 11, 8};
        const QRectF frame(cell.center().x() - 7 + 0.5, cell.center().y() - 6 + 0.5, 14, 12);
        constexpr qreal barWidth = 2.5;
        constexpr qreal barSpacing = 2;
        qreal x = frame.center().x() - (3 * barWidth + 2 * barSpacing) / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.accent);
        for (const qreal height : playingHeights) {
            const qreal barHeight = isPlaying ? height : 3;
            painter.drawRoundedRect(QRectF(x, frame.bottom() - barHeight, barWidth, barHeight), barWidth / 2, barWidth / 2);
            x += barWidth + barSpacing;
        }
        return;
    }
    if (m_model.library().settings().rowStyle == QLatin1String("cover")) {
        paintThumbnail(painter, cell, palette, track, painter.device()->devicePixelRatioF());
        return;
    }
    painter.setFont(m_cellFont);
    painter.setPen(dimmedText(palette, 0.4));
    painter.drawText(cell, Qt::AlignCenter, Lf("%lld", qint64(row) + 1));
}

void TrackRowDelegate::paintThumbnail(QPainter &painter, const QRect &cell, const ThemePalette &palette,
                                      const Track &track, qreal devicePixelRatio) const
{
    const QRectF frame(cell.center().x() - thumbnailSide / 2.0 + 0.5, cell.center().y() - thumbnailSide / 2.0 + 0.5,
                       thumbnailSide, thumbnailSide);
    QPainterPath shape;
    shape.addRoundedRect(frame, 4, 4);
    painter.fillPath(shape, palette.coverGradient);

    QImage image;
    if (track.artworkFileName) {
        const FileLocation file = m_coversFolder.appending(*track.artworkFileName);
        const int side = qRound(thumbnailSide * devicePixelRatio);
        image = m_thumbnails.thumbnail(file, QSize(side, side));
    }
    painter.save();
    painter.setClipPath(shape);
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(frame, image);
    } else {
        if (m_placeholder.isNull() || !qFuzzyCompare(m_placeholder.devicePixelRatio(), devicePixelRatio))
            m_placeholder = Icons::tinted(Icons::musicNote(placeholderSide, QFont::Normal, devicePixelRatio),
                                          QColor(255, 255, 255, 140));
        const QPointF origin = frame.center() - QPointF(placeholderSide / 2.0, placeholderSide / 2.0);
        painter.drawImage(QRectF(origin, QSizeF(placeholderSide, placeholderSide)), m_placeholder);
    }
    painter.restore();
}

void TrackRowDelegate::paintTitle(QPainter &painter, const QRect &cell, const ThemePalette &palette,
                                  const Track &track, bool isCurrent) const
{
    const QFont &font = isCurrent ? m_currentTitleFont : m_titleFont;
    const QFontMetrics titleMetrics(font);
    // The badge keeps its whole width; the title gives way.
    QString title;
    QRectF badge;
    if (track.isMissing) {
        const QFontMetricsF badgeMetrics(m_badgeFont);
        const QSizeF badgeSize(badgeMetrics.horizontalAdvance(L("文件缺失")) + 10, badgeMetrics.height() + 2);
        title = titleMetrics.elidedText(track.title, Qt::ElideRight,
                                        qMax(0, cell.width() - int(std::ceil(badgeSize.width())) - 6));
        const int titleWidth = titleMetrics.horizontalAdvance(title);
        badge = QRectF(QPointF(cell.left() + titleWidth + 6, cell.center().y() + 0.5 - badgeSize.height() / 2),
                       badgeSize);
    } else {
        title = titleMetrics.elidedText(track.title, Qt::ElideRight, cell.width());
    }

    QColor colour = palette.text;
    if (track.isMissing)
        colour = dimmedText(palette, 0.45);
    else if (isCurrent)
        colour = palette.accentLight;
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, title);

    if (!badge.isNull()) {
        QPainterPath capsule;
        capsule.addRoundedRect(badge, badge.height() / 2, badge.height() / 2);
        painter.fillPath(capsule, ThemePalette::withOpacity(palette.warning, 0.14));
        painter.setFont(m_badgeFont);
        painter.setPen(palette.warning);
        painter.drawText(badge, Qt::AlignCenter, L("文件缺失"));
    }
}
