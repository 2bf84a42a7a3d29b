#pragma once

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include "TrackContextMenu.h"

class AppModel;
class ArtworkThumbnailCache;
class EmptyStateView;
class ProgressBanner;
class QStackedWidget;
class SortBar;
class StatusBanner;
class TrackListHeader;
class TrackListModel;
class TrackRowsView;
struct ThemePalette;

// The centre of the main window: the header of the shown selection, the sort bar, the file-job
// and status banners, and the track rows or, when nothing is visible, the empty state. It keeps
// no state beyond the open row menu; every action is a command of the model.
class TrackListView : public QWidget
{
    Q_OBJECT

public:
    explicit TrackListView(AppModel &model, QWidget *parent = nullptr);

    TrackListHeader *header() const { return m_header; }
    SortBar *sortBar() const { return m_sortBar; }
    ProgressBanner *progressBanner() const { return m_progressBanner; }
    StatusBanner *statusBanner() const { return m_statusBanner; }
    EmptyStateView *emptyState() const { return m_emptyState; }
    TrackRowsView *rows() const { return m_rows; }
    TrackListModel *listModel() const { return m_listModel; }
    ArtworkThumbnailCache *thumbnails() const { return m_thumbnails; }
    // The open row menu, if any.
    TrackContextMenu *contextMenu() const { return m_contextMenu; }

    // Opens the row's menu under the row, closing any other first.
    void openContextMenu(const QUuid &trackID, const QRect &rowRect);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void connectModel();
    void refreshHeader();
    void refreshSortBar();
    void refreshBanners();
    void refreshContent();
    void scrollToTargetIfNeeded();
    void applyScrollBarTheme(const ThemePalette &palette);
    void runEmptyStateAction();

    AppModel &m_model;
    ArtworkThumbnailCache *m_thumbnails;
    TrackListModel *m_listModel;
    TrackListHeader *m_header;
    SortBar *m_sortBar;
    ProgressBanner *m_progressBanner;
    StatusBanner *m_statusBanner;
    QStackedWidget *m_content;
    TrackRowsView *m_rows;
    EmptyStateView *m_emptyState;
    QPointer<TrackContextMenu> m_contextMenu;
    QString m_scrollBarThemeKey;
};
