#include "TrackContextMenu.h"

#include "MenuStyle.h"
#include "TrackListSymbols.h"

#include "Localization.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QLabel>
#include <QWidgetAction>

namespace {

constexpr int symbolSide = 11;
constexpr int playlistRowHeight = 28;
constexpr int visiblePlaylists = 6;

// Menu texts treat "&" as a mnemonic mark; names from the user are shown as they are.
QString menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QWidgetAction *labelAction(const QString &text, const QString &name, QMenu *menu)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(name);
    auto *action = new QWidgetAction(menu);
    action->setDefaultWidget(label);
    action->setEnabled(false);
    return action;
}

} // namespace

TrackContextMenu::TrackContextMenu(AppModel &model, const QUuid &trackID, QWidget *parent)
    : QMenu(parent), m_model(model), m_trackID(trackID)
{
    setObjectName(QStringLiteral("trackContextMenu"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowFlag(Qt::NoDropShadowWindowHint);
    setFont(Fonts::system(12));
    setFixedWidth(240);

    // The menu's colours come from the window that opened it.
    if (parent)
        ThemeEnvironment::setTheme(this, ThemeEnvironment::theme(parent));

    const qreal dpr = devicePixelRatioF();
    addItem(TrackListSymbols::pencil(symbolSide, QFont::Normal, dpr), L("编辑标签…"),
            [this](const QList<QUuid> &ids) { m_model.beginTagEdit(ids); });
    addItem(TrackListSymbols::wandAndStars(symbolSide, QFont::Normal, dpr), L("修复乱码标签…"),
            [this](const QList<QUuid> &ids) { m_model.promptRepairMojibake(ids); });
    addItem(TrackListSymbols::folder(symbolSide, QFont::Normal, dpr), L("整理文件…"),
            [this](const QList<QUuid> &ids) { m_model.beginOrganize(ids); });
    // Without a question, also for many tracks: the files stay on disk, and the model refuses
    // while a scan runs.
    addItem(TrackListSymbols::trash(symbolSide, QFont::Normal, dpr), L("从音乐库移除"),
            [this](const QList<QUuid> &ids) { m_model.removeTracksFromLibrary(ids); })
        ->setObjectName(QStringLiteral("removeFromLibrary"));
    addSeparator();
    if (const std::optional<QUuid> playlistID = m_model.selection().playlistID()) {
        addItem(TrackListSymbols::minusCircle(symbolSide, QFont::Normal, dpr), L("从播放列表移除"),
                [this, id = *playlistID](const QList<QUuid> &ids) { m_model.removeFromPlaylist(id, ids); })
            ->setObjectName(QStringLiteral("removeFromPlaylist"));
        addSeparator();
    }
    addPlaylistSection();
    applyTheme();
}

QList<QUuid> TrackContextMenu::contextTrackIDs(const VisibleTrackList &visible, const TrackSelection &selected,
                                               const QUuid &clicked)
{
    if (!selected.contains(clicked))
        return {clicked};
    QList<QUuid> ids;
    for (qsizetype index = 0; index < visible.size(); ++index) {
        if (selected.containsRow(visible, index))
            ids.append(visible.at(index).id);
    }
    return ids.isEmpty() ? QList<QUuid>{clicked} : ids;
}

QList<QUuid> TrackContextMenu::contextTrackIDs() const
{
    return contextTrackIDs(m_model.visibleTracks(), m_model.selectedTrackIDs(), m_trackID);
}

QAction *TrackContextMenu::addItem(const QImage &symbol, const QString &title,
                                   std::function<void(const QList<QUuid> &)> run)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QAction *action = addAction(QIcon(QPixmap::fromImage(Icons::tinted(symbol, ThemePalette::withOpacity(palette.text, 0.9)))),
                                menuText(title));
    // The menu closes first; the operation then reads the context tracks as they are now.
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
        close();
        run(contextTrackIDs());
    });
    return action;
}

void TrackContextMenu::addPlaylistSection()
{
    addAction(labelAction(L("添加到播放列表"), QStringLiteral("playlistSectionHeader"), this));
    const QList<Playlist> &playlists = m_model.playlists().playlists();
    if (playlists.isEmpty()) {
        addAction(labelAction(L("暂无播放列表"), QStringLiteral("noPlaylistsNotice"), this));
        return;
    }
    const QImage symbol = TrackListSymbols::musicNoteList(symbolSide, QFont::Normal, devicePixelRatioF());
    for (const Playlist &playlist : playlists) {
        addItem(symbol, playlist.name,
                [this, id = playlist.id](const QList<QUuid> &ids) { m_model.addToPlaylist(id, ids); })
            ->setData(playlist.id);
    }
}

void TrackContextMenu::applyTheme()
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const QColor header = ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? 0.42 : 0.62);
    const QColor notice = ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? 0.35 : 0.62);
    setStyleSheet(MenuStyle::menu(palette)
        + QStringLiteral(
            "QLabel#playlistSectionHeader { color: %1; font-size: 10px; font-weight: 600; letter-spacing: 0.6px;"
            "  padding: 3px 8px; }"
            "QLabel#noPlaylistsNotice { color: %2; font-size: 11px; padding: 0px 8px; min-height: 26px; }")
              .arg(MenuStyle::cssColor(header), MenuStyle::cssColor(notice)));
    // Up to six playlists show without scrolling.
    const int fixedRows = int(actions().size()) - int(m_model.playlists().playlists().size());
    setMaximumHeight(fixedRows * 30 + visiblePlaylists * playlistRowHeight + 10);
}
