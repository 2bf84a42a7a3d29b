#include "TrackListView.h"

#include "ArtworkThumbnailCache.h"
#include "EmptyStateView.h"
#include "ProgressBanner.h"
#include "SortBar.h"
#include "StatusBanner.h"
#include "TrackContextMenu.h"
#include "TrackListHeader.h"
#include "TrackListModel.h"
#include "TrackListTexts.h"
#include "TrackRowDelegate.h"
#include "TrackRowsView.h"

#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The delay before a requested scroll, so the list has laid out its new rows first.
constexpr int scrollDelayMilliseconds = 50;

QString rgba(QColor color, qreal opacity)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF() * opacity, 0, 'f', 3);
}

} // namespace

TrackListView::TrackListView(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_thumbnails(new ArtworkThumbnailCache(600, this))
    , m_listModel(new TrackListModel(model, this))
    , m_header(new TrackListHeader)
    , m_sortBar(new SortBar)
    , m_progressBanner(new ProgressBanner)
    , m_statusBanner(new StatusBanner)
    , m_content(new QStackedWidget)
    , m_rows(new TrackRowsView)
    , m_emptyState(new EmptyStateView)
{
    setObjectName(QStringLiteral("trackList"));
    m_rows->setModel(m_listModel);
    m_rows->setItemDelegate(new TrackRowDelegate(model, *m_thumbnails, m_rows));
    m_rows->acceptsReorder = [this] { return m_model.canReorderPlaylist(); };
    m_content->addWidget(m_rows);
    m_content->addWidget(m_emptyState);
    m_content->setMinimumSize(0, 0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_sortBar);
    layout->addWidget(m_progressBanner);
    layout->addWidget(m_statusBanner);
    layout->addWidget(m_content, 1);

    connect(m_thumbnails, &ArtworkThumbnailCache::thumbnailReady, m_rows->viewport(), qOverload<>(&QWidget::update));
    connect(m_sortBar, &SortBar::sortRequested, &m_model, &AppModel::toggleSort);
    connect(m_rows, &TrackRowsView::trackClicked, &m_model, &AppModel::handleTrackClick);
    connect(m_rows, &TrackRowsView::trackDropped, &m_model, &AppModel::moveTrack);
    connect(m_rows, &TrackRowsView::contextMenuRequested, this, &TrackListView::openContextMenu);
    connect(m_header, &TrackListHeader::rescanRequested, &m_model, &AppModel::rescan);
    connect(m_statusBanner, &StatusBanner::dismissRequested, &m_model, &AppModel::dismissStatus);
    connect(m_statusBanner, &StatusBanner::copyFFmpegCommandRequested, &m_model, &AppModel::copyFFmpegInstallCommand);
    // Both report their outcome in the status line themselves.
    connect(m_statusBanner, &StatusBanner::redetectFFmpegRequested, this, [this] { m_model.redetectFFmpeg(); });
    connect(m_statusBanner, &StatusBanner::chooseFFmpegRequested, this, [this] { m_model.chooseFFmpegPath(); });
    connect(m_emptyState, &EmptyStateView::actionRequested, this, &TrackListView::runEmptyStateAction);
    connectModel();

    refreshHeader();
    refreshSortBar();
    refreshBanners();
    refreshContent();
}

void TrackListView::connectModel()
{
    const auto header = [this] { refreshHeader(); };
    connect(&m_model, &AppModel::visibleTracksChanged, this, [this] {
        refreshHeader();
        refreshContent();
    });
    connect(&m_model, &AppModel::selectionChanged, this, header);
    connect(&m_model, &AppModel::isScanningChanged, this, [this] {
        refreshHeader();
        m_emptyState->setScanning(m_model.isScanning());
    });
    connect(&m_model, &AppModel::changed, this, header);
    connect(&m_model, &AppModel::tracksChanged, this, header);
    // The row style lives in the settings.
    connect(&m_model, &AppModel::settingsChanged, m_rows->viewport(), qOverload<>(&QWidget::update));

    const auto sortBar = [this] { refreshSortBar(); };
    connect(&m_model, &AppModel::sortChanged, this, sortBar);
    connect(&m_model, &AppModel::sortAscendingChanged, this, sortBar);
    connect(&m_model, &AppModel::playlistSortingChanged, this, sortBar);
    connect(&m_model, &AppModel::selectionChanged, this, sortBar);

    const auto banners = [this] { refreshBanners(); };
    connect(&m_model, &AppModel::fileWorkProgressChanged, this, banners);
    connect(&m_model, &AppModel::statusMessageChanged, this, banners);
    connect(&m_model, &AppModel::showsFFmpegInstallPromptChanged, this, banners);

    connect(&m_model, &AppModel::listScrollTargetChanged, this, &TrackListView::scrollToTargetIfNeeded);
}

void TrackListView::refreshHeader()
{
    m_header->setTexts(TrackListTexts::title(m_model.selection(), m_model.playlists().playlists()),
                       TrackListTexts::metaLine(m_listModel->tracks()));
    m_header->setScanState(m_model.isScanning(), !m_model.library().index().folders.isEmpty());
}

void TrackListView::refreshSortBar()
{
    m_sortBar->setState(m_model.sort(), m_model.sortAscending(), m_model.sortsColumns());
}

void TrackListView::refreshBanners()
{
    m_progressBanner->setVisible(m_model.fileWorkProgress().has_value());
    m_progressBanner->setText(m_model.fileWorkProgress().value_or(QString()));
    m_statusBanner->setVisible(m_model.statusMessage().has_value());
    m_statusBanner->setMessage(m_model.statusMessage().value_or(QString()));
    m_statusBanner->setShowsFFmpegPrompt(m_model.showsFFmpegInstallPrompt());
}

void TrackListView::refreshContent()
{
    if (m_listModel->rowCount() > 0) {
        m_content->setCurrentWidget(m_rows);
        return;
    }
    m_emptyState->setSituation(
        TrackListTexts::emptySituation(m_model.searchText(), m_model.selection(), !m_model.tracks().isEmpty()));
    m_emptyState->setScanning(m_model.isScanning());
    m_content->setCurrentWidget(m_emptyState);
}

void TrackListView::runEmptyStateAction()
{
    switch (m_emptyState->situation()) {
    case TrackListTexts::EmptySituation::Searching:
        m_model.setSearchText(QString());
        break;
    case TrackListTexts::EmptySituation::EmptyPlaylist:
    case TrackListTexts::EmptySituation::EmptyFolder:
        m_model.select(LibrarySelection::allMusic());
        break;
    case TrackListTexts::EmptySituation::EmptyLibrary:
        m_model.importFolders(m_model.openFolders());
        break;
    }
}

void TrackListView::openContextMenu(const QUuid &trackID, const QRect &rowRect)
{
    if (m_contextMenu)
        m_contextMenu->close();
    auto *menu = new TrackContextMenu(m_model, trackID, this);
    m_contextMenu = menu;
    const QPoint below = m_rows->viewport()->mapToGlobal(QPoint(rowRect.center().x(), rowRect.bottom()));
    menu->popup(below - QPoint(menu->width() / 2, 0));
}

void TrackListView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    scrollToTargetIfNeeded();
}

void TrackListView::scrollToTargetIfNeeded()
{
    // A hidden list takes the request when it shows again.
    if (!isVisible())
        return;
    const std::optional<QUuid> target = m_model.listScrollTarget();
    if (!target)
        return;
    m_model.setListScrollTarget(std::nullopt);
    // The model's list, not the rows: a selection change announces its new list after the target.
    if (!m_model.visibleTracks().contains(*target))
        return;
    QTimer::singleShot(scrollDelayMilliseconds, m_rows, [this, id = *target] {
        if (const int row = m_listModel->rowOf(id); row >= 0)
            m_rows->scrollToRow(row);
    });
}

void TrackListView::paintEvent(QPaintEvent *)
{
    applyScrollBarTheme(ThemeEnvironment::theme(this));
}

void TrackListView::applyScrollBarTheme(const ThemePalette &palette)
{
    const QString key = rgba(palette.text, 1);
    if (key == m_scrollBarThemeKey)
        return;
    m_scrollBarThemeKey = key;
    m_rows->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 0px; }"
        "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 32px; margin: 0px 1px; }"
        "QScrollBar::handle:vertical:hover { background: %2; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
                                                   .arg(rgba(palette.text, 0.22), rgba(palette.text, 0.38)));
}
