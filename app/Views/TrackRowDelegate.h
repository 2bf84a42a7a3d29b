#pragma once

#include "Storage/FileLocation.h"

#include <QImage>
#include <QStyledItemDelegate>

class AppModel;
class ArtworkThumbnailCache;
struct ThemePalette;
struct Track;

// Paints one track row: the leading cell (playing indicator, cover thumbnail or row number), the
// title with the missing-file badge, artist, album, duration and date, over the background of
// the row's state. Reads nothing from disk: thumbnails come from the cache, which announces them
// when they arrive.
class TrackRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The cells of a row, left to right, inside the row's padded rectangle.
    struct Cells
    {
        QRect row;
        QRect leading;
        QRect title;
        QRect artist;
        QRect album;
        QRect duration;
        QRect added;
    };
    // The row's rectangle inside the item's rectangle (list margins and the gap left out), and
    // its cells.
    static Cells cells(const QRect &itemRect, int trailingInset);
    // The same cells for a bar of the given width at the given left edge, without the row's height.
    static Cells columns(int left, int width);

    // "yyyy-MM-dd" of a stored modification date, in local time.
    static QString addedText(double modifiedAt);

    TrackRowDelegate(AppModel &model, ArtworkThumbnailCache &thumbnails, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintLeading(QPainter &painter, const QRect &cell, const ThemePalette &palette, const Track &track,
                      int row, bool isCurrent, bool isPlaying) const;
    void paintThumbnail(QPainter &painter, const QRect &cell, const ThemePalette &palette, const Track &track,
                        qreal devicePixelRatio) const;
    void paintTitle(QPainter &painter, const QRect &cell, const ThemePalette &palette, const Track &track,
                    bool isCurrent) const;

    AppModel &m_model;
    ArtworkThumbnailCache &m_thumbnails;
    // Where the library keeps its cover files; a missing file shows as the placeholder.
    FileLocation m_coversFolder;
    QFont m_titleFont;
    QFont m_currentTitleFont;
    QFont m_cellFont;
    QFont m_dateFont;
    QFont m_badgeFont;
    mutable QImage m_placeholder;
};
