#include "AppModel.h"

#include "FFmpegControl.h"
#include "InputControl.h"
#include "LyricsControl.h"
#include "PlaybackControl.h"
#include "PlaybackState.h"
#include "SettingsControl.h"
#include "TrackClickSelection.h"

#include "Localization.h"
#include "Lyrics/LRCLIBClient.h"
#include "Transcode/FFmpegLocator.h"

#include <QDir>
#include <QStandardPaths>

namespace {

constexpr int undoJournalLimit = 50;
constexpr float initialVolume = 0.8f;

} // namespace

// MARK: construction

FileLocation AppModel::productionDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return FileLocation::fromLocalFile(base).appending(QByteArrayLiteral("Quillmere"));
}

std::unique_ptr<AppModel> AppModel::production(std::shared_ptr<Prompts> prompts,
                                               std::shared_ptr<ApplicationShell> shell)
{
    const FileLocation directory = productionDirectory();
    // A failure shows later, when the stores cannot read or write.
    (void)FileOperations::system().createDirectories(directory, 0700);
    return std::make_unique<AppModel>(directory, AppModelEnvironment::system(std::move(prompts), std::move(shell)));
}

AppModel::AppModel(const FileLocation &directory, AppModelEnvironment environment, QObject *parent)
    : QObject(parent), m_directory(directory), m_environment(std::move(environment))
{
    FileOperations &files = *m_environment.files;
    m_tagIO = m_environment.makeTagIO();
    (void)files.createDirectories(directory, 0700);

    m_library = std::make_unique<LibraryStore>(directory, files);
    m_library->load();
    m_settingsWriter = std::make_unique<SettingsWriter>(
        directory, files, m_environment.timing.settingsCoalescing,
        [this](const SettingsWriter::Outcome &outcome) { m_library->recordSettingsSave(outcome); });

    m_engine = m_environment.makeEngine();

    const FileLocation undo = directory.appending(QByteArrayLiteral("undo"));
    m_tagUndoStore = std::make_unique<TagEditUndoStore>(undo, undoJournalLimit, files);
    m_organizeUndoStore = std::make_unique<OrganizeUndoStore>(undo, undoJournalLimit, files);
    m_organizer = std::make_unique<FileOrganizer>(*m_organizeUndoStore, files);

    m_transcodeRoot = directory.appending(QByteArrayLiteral("transcode"));
    (void)files.createDirectories(m_transcodeRoot, 0700);
    const AppSettings &settings = m_library->settings();
    m_transcode = m_environment.makeTranscoding(
        m_transcodeRoot, FFmpegLocator::find(settings.ffmpegPath, m_environment.processEnvironment,
                                              m_environment.ffmpegFixedDirectories));

    QPointer<LibraryStore> library = m_library.get();
    m_playlists = std::make_unique<PlaylistStore>(
        m_library->playlists(), [library](const QList<Playlist> &playlists) -> std::expected<void, FileError> {
            if (!library)
                return {};
            library->setPlaylists(playlists);
            library->savePlaylists();
            if (const auto &error = library->lastError())
                return std::unexpected(*error);
            return {};
        });
    connect(m_playlists.get(), &PlaylistStore::playlistsChanged, this, [this] {
        ++m_playlistsRevision;
        if (m_selection.isPlaylist())
            emit visibleTracksChanged();
    });

    m_lyricsCache = std::make_unique<LyricsCache>(directory.appending(QByteArrayLiteral("lyrics")), files);
    m_lyricsResolver =
        m_environment.makeLyricsResolver(*m_lyricsCache, LRCLIBClient::resolvedEndpoint(settings.lyricsEndpoint));
    m_lyricsResolver->setOnlineEnabled(settings.onlineLyricsEnabled);

    m_playbackControl = std::make_unique<PlaybackControl>(*this);
    m_ffmpegControl = std::make_unique<FFmpegControl>(*this);
    m_lyricsControl = std::make_unique<LyricsControl>(*this);

    m_playbackSaver = std::make_unique<PlaybackStateSaver>(m_environment.timing.playbackSaveInterval,
                                                           [this] { savePlaybackState(); });
    m_settingsControl = std::make_unique<SettingsControl>(*this);
    m_inputControl = std::make_unique<InputControl>(*this);

    restorePlaybackState();
    setTagUndoCount(int(m_tagUndoStore->entries().size()));
    setOrganizeUndoCount(int(m_organizeUndoStore->entries().size()));
    setLyricsLockedState(m_library->settings().lyricsLocked);
    m_engine->setVolume(initialVolume);
    observeEngine();
    loadLyrics(m_currentTrack);

    m_ffmpegControl->measureCache();

    if (m_environment.shell)
        m_environment.shell->applyAppearance(m_library->settings().themeMode);
    reportLoadNotices();
}

AppModel::~AppModel()
{
    m_engine->setOnFinish({});
    m_engine->disconnect(this);
    // A file job still running stops after its current file and records what it did.
    m_fileJobs->finishForQuit();
    flushPendingSaves();
}

void AppModel::restorePlaybackState()
{
    setTracks(m_library->index().tracks);
    const PlaybackState::Restored restored = PlaybackState::restore(m_library->settings(), m_tracks);
    setQueue(restored.queue);
    if (!restored.currentTrack)
        return;
    setCurrentTrack(restored.currentTrack);
    if (restored.currentTrack->isMissing)
        setStatusMessage(Lf("《%@》文件缺失，仍保留在列表中。", restored.currentTrack->title));
    else
        setRestoredPosition(restored.position);
}

// Each event is handled in its own turn of the event loop, never inside the engine's
// notification; the subscriptions start with the current values, as a subscriber first hears them.
void AppModel::observeEngine()
{
    const auto followPlaying = [this](bool playing) {
        setPlaying(playing);
        m_playbackSaver->playingChanged(playing);
    };
    connect(m_engine.get(), &PlaybackEngine::isPlayingChanged, this, followPlaying, Qt::QueuedConnection);
    m_engine->setOnFinish([model = QPointer<AppModel>(this)] {
        if (model)
            QMetaObject::invokeMethod(model, [model] { if (model) model->next(); }, Qt::QueuedConnection);
    });
    connect(this, &AppModel::currentTrackChanged, this,
            [this](const std::optional<Track> &track) { loadLyrics(track); }, Qt::QueuedConnection);
    connect(m_engine.get(), &PlaybackEngine::positionChanged, this,
            [this](double position) { updateCurrentLyricLine(position); }, Qt::QueuedConnection);

    QMetaObject::invokeMethod(this, [followPlaying, playing = m_engine->isPlaying()] { followPlaying(playing); },
                              Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, [this, track = m_currentTrack] { loadLyrics(track); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, [this, position = m_engine->position()] { updateCurrentLyricLine(position); },
                              Qt::QueuedConnection);
}

void AppModel::reportLoadNotices()
{
    QStringList notices;
    for (const std::optional<QString> &notice :
         {m_library->recoveryNotice(), m_tagUndoStore->loadNotice(), m_organizeUndoStore->loadNotice()}) {
        if (notice)
            notices.append(*notice);
    }
    if (!notices.isEmpty())
        setStatusMessage(notices.join(QLatin1Char(' ')));
}

void AppModel::start()
{
    if (m_didStart)
        return;
    m_didStart = true;
    if (!m_library->index().folders.isEmpty())
        QMetaObject::invokeMethod(this, &AppModel::rescan, Qt::QueuedConnection);
}

// The library as it is now: its tracks and playlists republished, the selection pruned to tracks
// that still exist, and the current track refreshed, or let go when it is gone.
void AppModel::refreshFromLibrary()
{
    setTracks(m_library->index().tracks);
    m_playlists->reload(m_library->playlists());
    pruneSelection();
    m_playbackControl->followLibrary();
}

// MARK: saving and the status line

void AppModel::savePlaybackState()
{
    saveSettings(PlaybackState::store(m_library->settings(), m_queue, m_currentTrack, m_engine->duration(),
                                      m_engine->position(), m_restoredPosition));
}

void AppModel::saveSettings(const AppSettings &settings, std::function<void(const SettingsWriter::Outcome &)> done)
{
    m_library->setSettings(settings);
    m_settingsWriter->save(settings, std::move(done));
}

void AppModel::flushPendingSaves()
{
    m_settingsControl->flushDelayedSaves();
    m_settingsWriter->flush();
}

void AppModel::dismissStatus()
{
    setStatusMessage(std::nullopt);
    setShowsFFmpegInstallPrompt(false);
    m_playbackControl->forgetPendingTranscode();
}

void AppModel::surfacePersistenceError()
{
    if (const std::optional<FileError> &error = m_library->lastError())
        setStatusMessage(Lf("保存失败：%@", error->text()));
}

void AppModel::announcePlaylistChange()
{
    emit changed();
    surfacePersistenceError();
}

// MARK: browsing and selection

VisibleTrackList AppModel::visibleTracks() const
{
    return m_browser.visibleTracks(m_tracks, m_tracksRevision, m_playlists->playlists(), m_playlistsRevision,
                                   {m_selection, m_searchText, m_sort, m_sortAscending, m_playlistSorting});
}

bool AppModel::sortsColumns() const
{
    return !m_selection.isPlaylist() || m_playlistSorting;
}

bool AppModel::canReorderPlaylist() const
{
    return m_selection.isPlaylist() && !m_playlistSorting && m_searchText.trimmed().isEmpty();
}

void AppModel::select(const LibrarySelection &selection)
{
    setSelection(selection);
    setSelectedTrackIDs({});
    m_selectionAnchorID.reset();
    if (m_showsLyricsPage) {
        setListScrollTarget(m_currentTrack ? std::optional(m_currentTrack->id) : std::nullopt);
        setShowsLyricsPage(false);
    }
    switch (selection.kind()) {
    case LibrarySelection::Kind::Playlist:
        setPlaylistSorting(false);
        break;
    case LibrarySelection::Kind::RecentlyAdded:
        setSort(TrackSort::DateAdded);
        setSortAscending(false);
        break;
    case LibrarySelection::Kind::AllMusic:
    case LibrarySelection::Kind::Folder:
        break;
    }
    emit visibleTracksChanged();
}

void AppModel::toggleSort(TrackSort column)
{
    if (column == m_sort) {
        setSortAscending(!m_sortAscending);
    } else {
        setSort(column);
        setSortAscending(column != TrackSort::DateAdded);
    }
    if (m_selection.isPlaylist())
        setPlaylistSorting(true);
    emit visibleTracksChanged();
}

void AppModel::handleTrackClick(const QUuid &trackID, Qt::KeyboardModifiers modifiers)
{
    const TrackClickSelection click =
        TrackClickSelection::after(m_selectedTrackIDs, m_selectionAnchorID, trackID, modifiers, visibleTracks());
    setSelectedTrackIDs(click.selected);
    m_selectionAnchorID = click.anchor;
    if (click.plays)
        play(trackID);
}

int AppModel::trackCount(const FileLocation &folder) const
{
    return m_sidebarCounts.trackCount(m_tracks, m_tracksRevision, m_library->index().folders, folder);
}

int AppModel::resolvableTrackCount(const Playlist &playlist) const
{
    return m_sidebarCounts.resolvableTrackCount(m_tracks, m_tracksRevision, m_playlistsRevision, playlist);
}

// MARK: playlists

void AppModel::promptCreatePlaylist()
{
    const std::optional<QString> name =
        m_environment.prompts->askText(L("新建播放列表"), L("输入播放列表名称。"), QString());
    if (!name)
        return;
    const Playlist created = m_playlists->create(*name);
    announcePlaylistChange();
    select(LibrarySelection::playlist(created.id));
}

void AppModel::promptRenamePlaylist(QUuid playlistID)
{
    const auto playlist = std::ranges::find(m_playlists->playlists(), playlistID, &Playlist::id);
    if (playlist == m_playlists->playlists().end())
        return;
    const std::optional<QString> name =
        m_environment.prompts->askText(L("重命名播放列表"), L("输入新的名称。"), playlist->name);
    if (!name)
        return;
    m_playlists->rename(playlistID, *name);
    announcePlaylistChange();
}

void AppModel::confirmDeletePlaylist(QUuid playlistID)
{
    const auto playlist = std::ranges::find(m_playlists->playlists(), playlistID, &Playlist::id);
    if (playlist == m_playlists->playlists().end())
        return;
    if (m_environment.prompts->confirm(Lf("删除播放列表「%@」？", playlist->name),
                                       L("只会删除播放列表，歌曲文件不受影响。"), L("删除")))
        deletePlaylist(playlistID);
}

void AppModel::deletePlaylist(QUuid playlistID)
{
    m_playlists->deletePlaylist(playlistID);
    surfacePersistenceError();
    if (m_selection == LibrarySelection::playlist(playlistID))
        select(LibrarySelection::allMusic());
    emit changed();
}

void AppModel::addToPlaylist(QUuid playlistID, const QList<QUuid> &trackIDs)
{
    if (trackIDs.isEmpty())
        return;
    m_playlists->add(trackIDs, playlistID);
    emit changed();
    const auto playlist = std::ranges::find(m_playlists->playlists(), playlistID, &Playlist::id);
    if (playlist != m_playlists->playlists().end())
        setStatusMessage(Lf("已添加到「%@」", playlist->name));
    surfacePersistenceError();
}

void AppModel::removeFromPlaylist(QUuid playlistID, const QList<QUuid> &trackIDs)
{
    for (const QUuid &trackID : trackIDs) {
        m_playlists->remove(trackID, playlistID);
        announcePlaylistChange();
    }
}

void AppModel::moveTrack(const QUuid &draggedID, const QUuid &targetID)
{
    const std::optional<QUuid> playlistID = m_selection.playlistID();
    if (!playlistID || draggedID == targetID)
        return;
    const auto playlist = std::ranges::find(m_playlists->playlists(), *playlistID, &Playlist::id);
    if (playlist == m_playlists->playlists().end())
        return;
    const qsizetype from = playlist->trackIDs.indexOf(draggedID);
    const qsizetype to = playlist->trackIDs.indexOf(targetID);
    if (from < 0 || to < 0)
        return;
    m_playlists->move(from, to, *playlistID);
    announcePlaylistChange();
}

// MARK: playback control

void AppModel::play()
{
    m_playbackControl->play();
}

void AppModel::play(const QUuid &trackID)
{
    m_playbackControl->play(trackID);
}

void AppModel::togglePlayback()
{
    m_playbackControl->togglePlayback();
}

void AppModel::next()
{
    m_playbackControl->next();
}

void AppModel::previous()
{
    m_playbackControl->previous();
}

void AppModel::seek(double seconds)
{
    m_playbackControl->seek(seconds);
}

void AppModel::setPlaybackMode(PlaybackMode mode)
{
    m_playbackControl->setPlaybackMode(mode);
}

double AppModel::displayDuration() const
{
    return m_playbackControl->displayDuration();
}

void AppModel::showMiniPlayer()
{
    m_playbackControl->showMiniPlayer();
}

std::optional<Track> AppModel::trackWithID(const QUuid &trackID) const
{
    const auto track = std::ranges::find(m_tracks, trackID, &Track::id);
    if (track == m_tracks.end())
        return std::nullopt;
    return *track;
}

// MARK: ffmpeg, conversion cache and durations

QString AppModel::ffmpegPathText() const
{
    return m_ffmpegControl->ffmpegPathText();
}

QString AppModel::transcodeCacheSizeText() const
{
    return m_ffmpegControl->transcodeCacheSizeText();
}

void AppModel::measureTranscodeCache()
{
    m_ffmpegControl->measureCache();
}

QFuture<QString> AppModel::clearTranscodeCache()
{
    return m_ffmpegControl->clearTranscodeCache();
}

QString AppModel::redetectFFmpeg()
{
    return m_ffmpegControl->redetectFFmpeg();
}

std::optional<QString> AppModel::chooseFFmpegPath()
{
    return m_ffmpegControl->chooseFFmpegPath();
}

void AppModel::copyFFmpegInstallCommand()
{
    m_ffmpegControl->copyFFmpegInstallCommand();
}

void AppModel::prepareLibraryFormats()
{
    m_ffmpegControl->prepareLibraryFormats();
}

// MARK: lyrics control

void AppModel::loadLyrics(const std::optional<Track> &track)
{
    m_lyricsControl->loadLyrics(track);
}

void AppModel::updateCurrentLyricLine(double position)
{
    m_lyricsControl->updateCurrentLyricLine(position);
}

std::optional<QString> AppModel::currentLyricText() const
{
    return m_lyricsControl->currentLyricText();
}

std::optional<QString> AppModel::nextLyricText() const
{
    return m_lyricsControl->nextLyricText();
}

bool AppModel::hasLyricsOverride() const
{
    return m_lyricsControl->hasLyricsOverride();
}

bool AppModel::canRetryLyrics() const
{
    return m_lyricsControl->canRetryLyrics();
}

void AppModel::promptImportLyrics()
{
    m_lyricsControl->promptImportLyrics();
}

void AppModel::restoreAutomaticLyrics()
{
    m_lyricsControl->restoreAutomaticLyrics();
}

void AppModel::retryLyrics()
{
    m_lyricsControl->retryLyrics();
}

// MARK: lyrics window, appearance and window settings

void AppModel::toggleLyricsPage()
{
    m_settingsControl->toggleLyricsPage();
}

void AppModel::setLyricsVisible(bool visible)
{
    m_settingsControl->setLyricsVisible(visible);
}

void AppModel::setLyricsLocked(bool locked)
{
    m_settingsControl->setLyricsLocked(locked);
}

void AppModel::setLyricsOpacity(double opacity)
{
    m_settingsControl->setLyricsOpacity(opacity);
}

void AppModel::setThemePreset(ThemePreset preset)
{
    m_settingsControl->setThemePreset(preset);
}

void AppModel::setThemeMode(ThemeMode mode)
{
    m_settingsControl->setThemeMode(mode);
}

void AppModel::setCustomAccent(const std::optional<QString> &hex)
{
    m_settingsControl->setCustomAccent(hex);
}

void AppModel::setHideFromScreenCapture(bool hidden)
{
    m_settingsControl->setHideFromScreenCapture(hidden);
}

void AppModel::setMiniAlwaysOnTop(bool onTop)
{
    m_settingsControl->setMiniAlwaysOnTop(onTop);
}

void AppModel::setAppLanguage(const QString &language)
{
    m_settingsControl->setAppLanguage(language);
}

bool AppModel::changeStoredSetting(const std::function<void(AppSettings &)> &edit)
{
    return m_settingsControl->changeStoredSetting(edit);
}

std::optional<QString> AppModel::setLyricsEndpoint(const std::optional<QString> &text)
{
    return m_settingsControl->setLyricsEndpoint(text);
}

// MARK: keyboard and search-focus monitors

bool AppModel::handleKeyPress(const InputRules::KeyPress &press, const InputRules::KeyContext &windows)
{
    return m_inputControl->handleKeyPress(press, windows);
}

bool AppModel::handleWindowClick(const InputRules::ClickContext &windows)
{
    return m_inputControl->handleWindowClick(windows);
}

// MARK: end of the settings and monitors

// MARK: published state

void AppModel::setQueue(const PlaybackQueue &queue)
{
    m_queue = queue;
    emit queueChanged(m_queue);
}

void AppModel::setCurrentTrack(const std::optional<Track> &track)
{
    m_currentTrack = track;
    emit currentTrackChanged(m_currentTrack);
}

void AppModel::setRestoredPosition(double position)
{
    assign(m_restoredPosition, position, &AppModel::restoredPositionChanged);
}

void AppModel::setTracks(const QList<Track> &tracks)
{
    m_tracks = tracks;
    ++m_tracksRevision;
    emit tracksChanged(m_tracks);
    emit visibleTracksChanged();
}

void AppModel::setPlaying(bool playing)
{
    assign(m_isPlaying, playing, &AppModel::isPlayingChanged);
}

void AppModel::setScanning(bool scanning)
{
    assign(m_isScanning, scanning, &AppModel::isScanningChanged);
}

void AppModel::setSelection(const LibrarySelection &selection)
{
    m_selection = selection;
    emit selectionChanged(m_selection);
}

void AppModel::setSelectedTrackIDs(const TrackSelection &ids)
{
    assign(m_selectedTrackIDs, ids, &AppModel::selectedTrackIDsChanged);
}

void AppModel::setTagEditorRequest(const std::optional<TagEditorRequest> &request)
{
    assign(m_tagEditorRequest, request, &AppModel::tagEditorRequestChanged);
}

void AppModel::setTagUndoCount(int count)
{
    assign(m_tagUndoCount, count, &AppModel::tagUndoCountChanged);
}

void AppModel::setOrganizerRequest(const std::optional<OrganizerRequest> &request)
{
    assign(m_organizerRequest, request, &AppModel::organizerRequestChanged);
}

void AppModel::setOrganizeUndoCount(int count)
{
    assign(m_organizeUndoCount, count, &AppModel::organizeUndoCountChanged);
}

void AppModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    emit searchTextChanged(m_searchText);
    emit visibleTracksChanged();
}

void AppModel::setSort(TrackSort sort)
{
    assign(m_sort, sort, &AppModel::sortChanged);
}

void AppModel::setSortAscending(bool ascending)
{
    assign(m_sortAscending, ascending, &AppModel::sortAscendingChanged);
}

void AppModel::setPlaylistSorting(bool sorting)
{
    assign(m_playlistSorting, sorting, &AppModel::playlistSortingChanged);
}

void AppModel::setStatusMessage(const std::optional<QString> &message)
{
    assign(m_statusMessage, message, &AppModel::statusMessageChanged);
}

void AppModel::setFileWorkProgress(const std::optional<QString> &progress)
{
    assign(m_fileWorkProgress, progress, &AppModel::fileWorkProgressChanged);
}

void AppModel::setShowsFFmpegInstallPrompt(bool shows)
{
    assign(m_showsFFmpegInstallPrompt, shows, &AppModel::showsFFmpegInstallPromptChanged);
}

void AppModel::setTranscodeCacheBytes(qint64 bytes)
{
    assign(m_transcodeCacheBytes, bytes, &AppModel::transcodeCacheBytesChanged);
}

void AppModel::setSettingsPresented(bool presented)
{
    assign(m_isSettingsPresented, presented, &AppModel::isSettingsPresentedChanged);
}

void AppModel::setShowsLyricsPage(bool shows)
{
    assign(m_showsLyricsPage, shows, &AppModel::showsLyricsPageChanged);
}

void AppModel::setListScrollTarget(const std::optional<QUuid> &target)
{
    assign(m_listScrollTarget, target, &AppModel::listScrollTargetChanged);
}

void AppModel::setLyricsVisibleState(bool visible)
{
    assign(m_isLyricsVisible, visible, &AppModel::isLyricsVisibleChanged);
}

void AppModel::setLyricsLockedState(bool locked)
{
    assign(m_isLyricsLocked, locked, &AppModel::isLyricsLockedChanged);
}

void AppModel::setLyricsState(const LyricsDisplayState &state)
{
    assign(m_lyricsState, state, &AppModel::lyricsStateChanged);
}

void AppModel::setCurrentLyricLineIndex(std::optional<qsizetype> index)
{
    assign(m_currentLyricLineIndex, index, &AppModel::currentLyricLineIndexChanged);
}

void AppModel::setMiniPlayerVisible(bool visible)
{
    assign(m_isMiniPlayerVisible, visible, &AppModel::isMiniPlayerVisibleChanged);
}

void AppModel::setMainWindowShown(bool shown)
{
    m_isMainWindowShown = shown;
    updateSpectrumAnalysis();
}

void AppModel::updateSpectrumAnalysis()
{
    const bool mainWindowDraws = m_isMainWindowShown && m_library->settings().showMainSpectrum;
    m_engine->setSpectrumEnabled(m_isMiniPlayerVisible || mainWindowDraws);
}

void AppModel::setSearchFocusRequest(const QUuid &request)
{
    assign(m_searchFocusRequest, request, &AppModel::searchFocusRequestChanged);
}

void AppModel::setEndSearchFocusRequest(const QUuid &request)
{
    assign(m_endSearchFocusRequest, request, &AppModel::endSearchFocusRequestChanged);
}

void AppModel::setSearchFocused(bool focused)
{
    assign(m_isSearchFocused, focused, &AppModel::isSearchFocusedChanged);
}

void AppModel::setVolume(double volume)
{
    assign(m_volume, volume, &AppModel::volumeChanged);
    m_engine->setVolume(float(volume));
}
