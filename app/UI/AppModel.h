#pragma once

#include "AppModelEnvironment.h"
#include "InputRules.h"
#include "LibraryBrowser.h"
#include "LibrarySelection.h"
#include "LyricsOverlayPanel.h"
#include "MiniPlayerPanel.h"
#include "OrganizerRequest.h"
#include "PlaybackStateSaver.h"
#include "SettingsWriter.h"
#include "SidebarCounts.h"
#include "TagEditorRequest.h"
#include "TrackSelection.h"
#include "VisibleTrackList.h"

// File commands (AppModelFileCommands.cpp).
#include "FileJobRunner.h"
#include "MojibakeScan.h"
#include "TagEditJob.h"
#include "WrittenTags.h"

#include "Library/LibraryStore.h"
#include "Library/TrackSort.h"
#include "Lyrics/LyricsCache.h"
#include "Lyrics/LyricsDisplayState.h"
#include "Models/Track.h"
#include "Organize/FileOrganizer.h"
#include "Organize/OrganizePlanItem.h"
#include "Organize/OrganizeUndoStore.h"
#include "Playback/PlaybackQueue.h"
#include "Playlists/PlaylistStore.h"
#include "Tags/TagEditUndoStore.h"
#include "Theme/ThemeMode.h"
#include "Theme/ThemePreset.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class FFmpegControl;
class InputControl;
class LyricsControl;
class PlaybackControl;
class SettingsControl;

// The one observable object of the application: it owns every service for the life of the
// process, publishes all interface state that more than one view needs, and carries out every
// user action. Lives on the GUI thread; views read its properties, follow their signals and call
// its commands, and never call a service for an action themselves.
//
// Publishing: each property's signal carries the new value and fires only when the value
// changed, except `currentTrack` and `selection`, which fire on every assignment (followers rely
// on hearing a re-assignment of the same track or selection), and `queue` and `tracks`, which are
// only assigned when they change and cost more to compare than to announce. `changed()` is the general
// announcement after commands that change what is derived from the stores (playlists, counts).
class AppModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(PlaybackQueue queue READ queue NOTIFY queueChanged)
    Q_PROPERTY(std::optional<Track> currentTrack READ currentTrack NOTIFY currentTrackChanged)
    Q_PROPERTY(double restoredPosition READ restoredPosition NOTIFY restoredPositionChanged)
    Q_PROPERTY(QList<Track> tracks READ tracks NOTIFY tracksChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(LibrarySelection selection READ selection NOTIFY selectionChanged)
    Q_PROPERTY(TrackSelection selectedTrackIDs READ selectedTrackIDs NOTIFY selectedTrackIDsChanged)
    Q_PROPERTY(std::optional<TagEditorRequest> tagEditorRequest READ tagEditorRequest WRITE setTagEditorRequest
                   NOTIFY tagEditorRequestChanged)
    Q_PROPERTY(int tagUndoCount READ tagUndoCount NOTIFY tagUndoCountChanged)
    Q_PROPERTY(std::optional<OrganizerRequest> organizerRequest READ organizerRequest WRITE setOrganizerRequest
                   NOTIFY organizerRequestChanged)
    Q_PROPERTY(int organizeUndoCount READ organizeUndoCount NOTIFY organizeUndoCountChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(TrackSort sort READ sort NOTIFY sortChanged)
    Q_PROPERTY(bool sortAscending READ sortAscending NOTIFY sortAscendingChanged)
    Q_PROPERTY(bool playlistSorting READ playlistSorting NOTIFY playlistSortingChanged)
    Q_PROPERTY(std::optional<QString> statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(std::optional<QString> fileWorkProgress READ fileWorkProgress NOTIFY fileWorkProgressChanged)
    Q_PROPERTY(bool showsFFmpegInstallPrompt READ showsFFmpegInstallPrompt NOTIFY showsFFmpegInstallPromptChanged)
    Q_PROPERTY(qint64 transcodeCacheBytes READ transcodeCacheBytes NOTIFY transcodeCacheBytesChanged)
    Q_PROPERTY(bool isSettingsPresented READ isSettingsPresented WRITE setSettingsPresented
                   NOTIFY isSettingsPresentedChanged)
    Q_PROPERTY(bool showsLyricsPage READ showsLyricsPage NOTIFY showsLyricsPageChanged)
    Q_PROPERTY(std::optional<QUuid> listScrollTarget READ listScrollTarget WRITE setListScrollTarget
                   NOTIFY listScrollTargetChanged)
    Q_PROPERTY(bool isLyricsVisible READ isLyricsVisible NOTIFY isLyricsVisibleChanged)
    Q_PROPERTY(bool isLyricsLocked READ isLyricsLocked NOTIFY isLyricsLockedChanged)
    Q_PROPERTY(LyricsDisplayState lyricsState READ lyricsState NOTIFY lyricsStateChanged)
    Q_PROPERTY(std::optional<qsizetype> currentLyricLineIndex READ currentLyricLineIndex
                   NOTIFY currentLyricLineIndexChanged)
    Q_PROPERTY(bool isMiniPlayerVisible READ isMiniPlayerVisible WRITE setMiniPlayerVisible
                   NOTIFY isMiniPlayerVisibleChanged)
    Q_PROPERTY(QUuid searchFocusRequest READ searchFocusRequest WRITE setSearchFocusRequest
                   NOTIFY searchFocusRequestChanged)
    Q_PROPERTY(QUuid endSearchFocusRequest READ endSearchFocusRequest WRITE setEndSearchFocusRequest
                   NOTIFY endSearchFocusRequestChanged)
    Q_PROPERTY(bool isSearchFocused READ isSearchFocused WRITE setSearchFocused NOTIFY isSearchFocusedChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)

public:
    // The data folder "Quillmere" in the user's data location (created 0700), with the real
    // services and the windows' prompts and shell.
    static std::unique_ptr<AppModel> production(std::shared_ptr<Prompts> prompts,
                                                std::shared_ptr<ApplicationShell> shell);
    static FileLocation productionDirectory();

    // Builds every service over the data folder and restores the last playback state without
    // loading the engine. Never fails: the stores' troubles show in the status line.
    AppModel(const FileLocation &directory, AppModelEnvironment environment, QObject *parent = nullptr);
    ~AppModel() override;

    // Owned services.
    LibraryStore &library() const { return *m_library; }
    PlaybackEngine &engine() const { return *m_engine; }
    PlaylistStore &playlists() const { return *m_playlists; }
    const TagIO &tagService() const { return *m_tagIO; }
    TagEditUndoStore &tagUndoStore() const { return *m_tagUndoStore; }
    FileOrganizer &organizer() const { return *m_organizer; }
    Transcoding &transcode() const { return *m_transcode; }
    const FileLocation &directory() const { return m_directory; }
    // The modal questions, for views that ask the user before calling a command.
    Prompts &prompts() const { return *m_environment.prompts; }

    // Published state.
    const PlaybackQueue &queue() const { return m_queue; }
    const std::optional<Track> &currentTrack() const { return m_currentTrack; }
    double restoredPosition() const { return m_restoredPosition; }
    const QList<Track> &tracks() const { return m_tracks; }
    bool isPlaying() const { return m_isPlaying; }
    bool isScanning() const { return m_isScanning; }
    const LibrarySelection &selection() const { return m_selection; }
    const TrackSelection &selectedTrackIDs() const { return m_selectedTrackIDs; }
    const std::optional<TagEditorRequest> &tagEditorRequest() const { return m_tagEditorRequest; }
    void setTagEditorRequest(const std::optional<TagEditorRequest> &request);
    int tagUndoCount() const { return m_tagUndoCount; }
    const std::optional<OrganizerRequest> &organizerRequest() const { return m_organizerRequest; }
    void setOrganizerRequest(const std::optional<OrganizerRequest> &request);
    int organizeUndoCount() const { return m_organizeUndoCount; }
    const QString &searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    TrackSort sort() const { return m_sort; }
    bool sortAscending() const { return m_sortAscending; }
    bool playlistSorting() const { return m_playlistSorting; }
    const std::optional<QString> &statusMessage() const { return m_statusMessage; }
    const std::optional<QString> &fileWorkProgress() const { return m_fileWorkProgress; }
    bool showsFFmpegInstallPrompt() const { return m_showsFFmpegInstallPrompt; }
    qint64 transcodeCacheBytes() const { return m_transcodeCacheBytes; }
    bool isSettingsPresented() const { return m_isSettingsPresented; }
    void setSettingsPresented(bool presented);
    bool showsLyricsPage() const { return m_showsLyricsPage; }
    const std::optional<QUuid> &listScrollTarget() const { return m_listScrollTarget; }
    void setListScrollTarget(const std::optional<QUuid> &target);
    bool isLyricsVisible() const { return m_isLyricsVisible; }
    bool isLyricsLocked() const { return m_isLyricsLocked; }
    const LyricsDisplayState &lyricsState() const { return m_lyricsState; }
    std::optional<qsizetype> currentLyricLineIndex() const { return m_currentLyricLineIndex; }
    bool isMiniPlayerVisible() const { return m_isMiniPlayerVisible; }
    void setMiniPlayerVisible(bool visible);
    // Whether a main window is on screen (shown and not minimised); its spectrum needs the analysis.
    void setMainWindowShown(bool shown);
    // The engine analyses the sound only while a shown window draws the spectrum: the mini
    // player, or the main window when its spectrum is switched on.
    void updateSpectrumAnalysis();
    const QUuid &searchFocusRequest() const { return m_searchFocusRequest; }
    void setSearchFocusRequest(const QUuid &request);
    const QUuid &endSearchFocusRequest() const { return m_endSearchFocusRequest; }
    void setEndSearchFocusRequest(const QUuid &request);
    bool isSearchFocused() const { return m_isSearchFocused; }
    void setSearchFocused(bool focused);
    double volume() const { return m_volume; }
    // Stores and publishes the value, then hands it to the engine (which clamps it).
    void setVolume(double volume);

    // The panel controllers, held weakly; either may be null at any time.
    LyricsOverlayPanel *lyricsOverlay() const { return m_lyricsOverlay; }
    void setLyricsOverlay(LyricsOverlayPanel *overlay) { m_lyricsOverlay = overlay; }
    MiniPlayerPanel *miniPlayer() const { return m_miniPlayer; }
    void setMiniPlayer(MiniPlayerPanel *miniPlayer) { m_miniPlayer = miniPlayer; }

    // Start-up and saving.
    bool didStart() const { return m_didStart; }
    // The first call rescans the library's folders in the background, when there are any.
    void start();
    // Writes the queue, current track, position and mode into the settings and saves them.
    void savePlaybackState();
    // Writes every settings save still pending before this returns. The shell calls it when
    // quitting, right after savePlaybackState(); destroying the model does it too.
    void flushPendingSaves();
    void dismissStatus();

    // Browsing and selection.
    // The tracks shown for the selection, search text and sort; cached, so reading is free
    // while nothing changed.
    VisibleTrackList visibleTracks() const;
    bool sortsColumns() const;
    bool canReorderPlaylist() const;
    void select(const LibrarySelection &selection);
    void toggleSort(TrackSort column);
    // Ctrl toggles the row, Shift extends from the anchor, a plain click selects and plays.
    void handleTrackClick(const QUuid &trackID, Qt::KeyboardModifiers modifiers);
    int trackCount(const FileLocation &folder) const;
    int resolvableTrackCount(const Playlist &playlist) const;

    // Playlists.
    void promptCreatePlaylist();
    void promptRenamePlaylist(QUuid playlistID);
    void confirmDeletePlaylist(QUuid playlistID);
    void deletePlaylist(QUuid playlistID);
    void addToPlaylist(QUuid playlistID, const QList<QUuid> &trackIDs);
    // Removes each track's first entry from the playlist, in order, reporting a failed save after
    // each removal.
    void removeFromPlaylist(QUuid playlistID, const QList<QUuid> &trackIDs);
    // Drags one row of the shown playlist onto another.
    void moveTrack(const QUuid &draggedID, const QUuid &targetID);

    // MARK: playback control (PlaybackControl)
    // Plays or resumes the current track, else starts the first visible one.
    void play();
    // Pauses or resumes the current track; any other visible track starts with the visible list
    // as the queue.
    void play(const QUuid &trackID);
    // Pauses when the engine itself plays (the published flag may lag behind it), else play().
    void togglePlayback();
    // Step the queue by its mode, skipping tracks that cannot start.
    void next();
    void previous();
    // Seeks the engine, or moves the resume position while nothing is loaded; saves.
    void seek(double seconds);
    // Saves only when the mode changes.
    void setPlaybackMode(PlaybackMode mode);
    // The loaded file's duration, else the current track's stored one.
    double displayDuration() const;
    void showMiniPlayer();

    // MARK: ffmpeg, conversion cache and durations (FFmpegControl)
    // The located ffmpeg's path, or "未找到".
    QString ffmpegPathText() const;
    QString transcodeCacheSizeText() const;
    // Measures the cache in the background; transcodeCacheBytes follows.
    void measureTranscodeCache();
    // Clears off the GUI thread; the future gives the status text it also shows.
    QFuture<QString> clearTranscodeCache();
    // Each returns the status text it also shows.
    QString redetectFFmpeg();
    // Nothing when the file chooser was cancelled.
    std::optional<QString> chooseFFmpegPath();
    void copyFFmpegInstallCommand();

    // MARK: lyrics control (LyricsControl)
    std::optional<QString> currentLyricText() const;
    std::optional<QString> nextLyricText() const;
    bool hasLyricsOverride() const;
    bool canRetryLyrics() const;
    void promptImportLyrics();
    void restoreAutomaticLyrics();
    void retryLyrics();

    // ---- Import, scan and folder commands ----
    // Folders chosen in an open panel; empty when cancelled.
    QList<FileLocation> openFolders();
    // Adds the folders of the items (a file stands for its folder) and scans the library once
    // per folder, in the background; refused while a scan runs.
    void importFolders(const QList<FileLocation> &items);
    // Rescans every library folder in the background; nothing while a scan runs.
    void rescan();
    // The same for one library folder.
    void rescanFolder(const FileLocation &folder);
    // The commands below return their status text, also shown in the status line. Folder and
    // track changes are refused while a scan runs, whose merge would lose them.
    // Forgets the folder and its tracks; the files stay on disk.
    QString removeFolder(const FileLocation &folder);
    // Renames the folder on disk; the playing track goes on from its new place.
    QString renameFolder(const FileLocation &folder, const QString &name);
    // Points a (missing) track at another file, adding its folder to the library when needed.
    QString relocateTrack(const Track &track, const FileLocation &file);
    // Forgets the tracks; the files stay on disk. Empty text, and nothing done, for no tracks.
    QString removeTracksFromLibrary(const QList<QUuid> &trackIDs);
    QString removeMissingTracks();
    // ---- end of import, scan and folder commands ----

    // ---- Tag edits ----
    // Opens the tag editor for the visible tracks among these; nothing when none is visible.
    void beginTagEdit(const QList<QUuid> &trackIDs);
    // Writes the changes into every track's file, one after the other in the background,
    // journalling each changed file. Finishes on the GUI thread with nothing on success, else the
    // text to show (a refusal, the failures, or a library save failure).
    QFuture<std::optional<QString>> applyTagEdit(const TagFields &fields, const QList<Track> &tracks);
    // Puts the newest journalled file back to its tags before the edit, in the background as a
    // file job. Finishes on the GUI thread with the text it also puts into the status line.
    QFuture<QString> undoLastTagEdit();
    QString clearTagUndoHistory();
    // Looks for garbled Chinese in the visible tracks among these, asks, and repairs.
    void promptRepairMojibake(const QList<QUuid> &trackIDs);
    // ---- end of tag edits ----

    // ---- Organising ----
    // Opens the organizer preview for the visible, present tracks among these.
    void beginOrganize(const QList<QUuid> &trackIDs);
    // Moves or copies the files in the background and points the library at them. Finishes on the
    // GUI thread with nothing on success, else the text to show.
    QFuture<std::optional<QString>> performOrganize(const QList<OrganizePlanItem> &plan, bool copy,
                                                    const FileLocation &destinationRoot);
    QString undoLastOrganize();
    // ---- end of organising ----

    // MARK: lyrics window, appearance and window settings (SettingsControl)
    // Each setter does nothing for the value already set. Otherwise it stores the value in the
    // settings, applies it to what it concerns, saves, shows a failed save in the status line and
    // announces settingsChanged(). The overlay and mini player parts are skipped while their
    // controller is absent.
    const AppSettings &settings() const { return m_library->settings(); }
    // Flips between the lyrics page and the track list; closing the page scrolls the list to the
    // current track.
    void toggleLyricsPage();
    // Shows or hides the desktop lyrics; not saved.
    void setLyricsVisible(bool visible);
    void setLyricsLocked(bool locked);
    // Clamped to 0.05...0.9; stored at once, saved once the value has rested for the debounce delay.
    void setLyricsOpacity(double opacity);
    void setThemePreset(ThemePreset preset);
    void setThemeMode(ThemeMode mode);
    // A hex colour text, or nothing for the preset's own accent; saved like the opacity. The text is
    // kept as given: the theme rules ignore one that is not a colour.
    void setCustomAccent(const std::optional<QString> &hex);
    // Kept and saved; the desktop offers no way to keep a window out of screen captures.
    void setHideFromScreenCapture(bool hidden);
    void setMiniAlwaysOnTop(bool onTop);
    // "system", "zh" or "en"; any other code is ignored. Takes effect at the next launch, which a
    // notice says.
    void setAppLanguage(const QString &language);
    // Stores, saves and announces a setting that needs nothing else; false when unchanged.
    bool changeStoredSetting(const std::function<void(AppSettings &)> &edit);
    // Blank text resets to the default service. An error text, and nothing changed, for anything
    // but an http or https address with a host; nothing when accepted. Lyrics already shown stay.
    std::optional<QString> setLyricsEndpoint(const std::optional<QString> &text);

    // MARK: keyboard and search-focus monitors (InputControl)
    // The application's event filter hands over every key press that reaches one of its windows,
    // with what it found out about the windows; the model adds its own state, decides and acts.
    // True when the model took the key.
    bool handleKeyPress(const InputRules::KeyPress &press, const InputRules::KeyContext &windows);
    // Likewise for every left click in a window. True when the click ends the search field's
    // focus: the model has asked for it, and the caller takes the focus from the window's widgets
    // and lets the click go on.
    bool handleWindowClick(const InputRules::ClickContext &windows);
    // MARK: end of the settings and monitors

signals:
    void queueChanged(const PlaybackQueue &queue);
    void currentTrackChanged(const std::optional<Track> &track);
    void restoredPositionChanged(double position);
    void tracksChanged(const QList<Track> &tracks);
    void isPlayingChanged(bool isPlaying);
    void isScanningChanged(bool isScanning);
    void selectionChanged(const LibrarySelection &selection);
    void selectedTrackIDsChanged(const TrackSelection &ids);
    void tagEditorRequestChanged(const std::optional<TagEditorRequest> &request);
    void tagUndoCountChanged(int count);
    void organizerRequestChanged(const std::optional<OrganizerRequest> &request);
    void organizeUndoCountChanged(int count);
    void searchTextChanged(const QString &text);
    void sortChanged(TrackSort sort);
    void sortAscendingChanged(bool ascending);
    void playlistSortingChanged(bool sorting);
    void statusMessageChanged(const std::optional<QString> &message);
    void fileWorkProgressChanged(const std::optional<QString> &progress);
    void showsFFmpegInstallPromptChanged(bool shows);
    void transcodeCacheBytesChanged(qint64 bytes);
    void isSettingsPresentedChanged(bool presented);
    void showsLyricsPageChanged(bool shows);
    void listScrollTargetChanged(const std::optional<QUuid> &target);
    void isLyricsVisibleChanged(bool visible);
    void isLyricsLockedChanged(bool locked);
    void lyricsStateChanged(const LyricsDisplayState &state);
    void currentLyricLineIndexChanged(std::optional<qsizetype> index);
    void isMiniPlayerVisibleChanged(bool visible);
    void searchFocusRequestChanged(const QUuid &request);
    void endSearchFocusRequestChanged(const QUuid &request);
    void isSearchFocusedChanged(bool focused);
    void volumeChanged(double volume);
    // The visible list is to be read again (selection, search, sort, tracks or playlists changed).
    void visibleTracksChanged();
    // What the views derive from the stores changed (playlists, folder and playlist counts).
    void changed();
    // The settings record changed; views that show settings read it again.
    void settingsChanged(const AppSettings &settings);

private:
    friend class PlaybackControl;
    friend class FFmpegControl;
    friend class LyricsControl;
    friend class SettingsControl;

    // Publishing: each setter stores the value and emits its signal when it changed.
    // Always emits.
    void setQueue(const PlaybackQueue &queue);
    // Always emits, also for an equal track.
    void setCurrentTrack(const std::optional<Track> &track);
    void setRestoredPosition(double position);
    // Always emits, and starts a new library revision.
    void setTracks(const QList<Track> &tracks);
    void setPlaying(bool playing);
    void setScanning(bool scanning);
    // Always emits, also for an equal selection.
    void setSelection(const LibrarySelection &selection);
    void setSelectedTrackIDs(const TrackSelection &ids);
    void setTagUndoCount(int count);
    void setOrganizeUndoCount(int count);
    void setSort(TrackSort sort);
    void setSortAscending(bool ascending);
    void setPlaylistSorting(bool sorting);
    void setStatusMessage(const std::optional<QString> &message);
    void setFileWorkProgress(const std::optional<QString> &progress);
    void setShowsFFmpegInstallPrompt(bool shows);
    void setTranscodeCacheBytes(qint64 bytes);
    void setShowsLyricsPage(bool shows);
    void setLyricsVisibleState(bool visible);
    void setLyricsLockedState(bool locked);
    void setLyricsState(const LyricsDisplayState &state);
    void setCurrentLyricLineIndex(std::optional<qsizetype> index);

    template <typename T, typename Signal> void assign(T &member, const T &value, Signal signal)
    {
        if (member == value)
            return;
        member = value;
        (this->*signal)(member);
    }

    // Start-up.
    void restorePlaybackState();
    void observeEngine();
    void reportLoadNotices();

    // Settings and persistence. `done` hears the outcome of the write.
    void saveSettings(const AppSettings &settings, std::function<void(const SettingsWriter::Outcome &)> done = {});
    // "保存失败：%@" when the library holds a save error.
    void surfacePersistenceError();
    // The change steps after an edit of the playlists: the announcement, then a save error.
    void announcePlaylistChange();

    std::optional<Track> trackWithID(const QUuid &trackID) const;
    // The tracks and playlists as the library now holds them.
    void refreshFromLibrary();
    // Drops selected identifiers of tracks that are gone.
    void pruneSelection();

    // ---- File commands: shared steps ----
    // The visible tracks among these, in the order shown.
    QList<Track> visibleTracksWithIDs(const QList<QUuid> &trackIDs) const;
    // The steps after every scan: the flag, the library republished, then the formats that need
    // conversion prepared.
    void finishScan();
    void importNextFolder(const QList<FileLocation> &folders, qsizetype next);
    // Refuses a library change while a scan runs: the status text, else nothing.
    std::optional<QString> refusalWhileScanning();
    // refreshFromLibrary() and the change announcement.
    void republishLibrary();
    void reloadAfterFolderRename(const Track &track, bool wasPlaying, double position);
    // "保存失败：%@" when the library holds a save error.
    std::optional<QString> persistenceErrorText() const;
    // Shows the text, or the library's save error in its place, and returns what it showed.
    QString reportUnlessSaveFailed(const QString &text);
    // Carries the tags now in these files into their library entries, saving the index once.
    void updateIndex(const QList<WrittenTags> &written);
    std::optional<QString> finishTagEdit(const TagEditJob::Outcome &outcome);
    QString finishTagUndo(const std::expected<std::optional<TagUndoEntry>, TagEditUndoError> &undone);
    void confirmMojibakeRepair(const QList<MojibakeRepairCandidate> &candidates);
    void repairMojibake(const QList<MojibakeRepairCandidate> &candidates, qsizetype next, const QStringList &failures);
    std::optional<QString> finishOrganize(const std::expected<void, OrganizeError> &result,
                                          const QList<OrganizePlanItem> &plan, bool copy,
                                          const FileLocation &destinationRoot);
    // The library follows the files that reached their destinations.
    void pointTracksAtDestinations(const QList<OrganizePlanItem> &items, const FileLocation &destinationRoot);
    // The library follows the files that came back to their sources.
    void restoreTrackURLs(const QList<OrganizePlanItem> &items);
    // ---- end of file commands: shared steps ----

    // MARK: playback, ffmpeg and lyrics internals
    // Background conversions, missing durations and the cache size, after scans and imports.
    void prepareLibraryFormats();
    void loadLyrics(const std::optional<Track> &track);
    void updateCurrentLyricLine(double position);

    FileLocation m_directory;
    AppModelEnvironment m_environment;

    // Services, in the order they are built.
    std::shared_ptr<const TagIO> m_tagIO;
    std::unique_ptr<LibraryStore> m_library;
    std::unique_ptr<PlaybackEngine> m_engine;
    std::unique_ptr<TagEditUndoStore> m_tagUndoStore;
    std::unique_ptr<OrganizeUndoStore> m_organizeUndoStore;
    std::unique_ptr<FileOrganizer> m_organizer;
    FileLocation m_transcodeRoot;
    std::unique_ptr<Transcoding> m_transcode;
    std::unique_ptr<PlaylistStore> m_playlists;
    std::unique_ptr<LyricsCache> m_lyricsCache;
    std::unique_ptr<LyricsResolving> m_lyricsResolver;
    // The busy rule of file jobs and their worker pool; fileWorkProgress mirrors its progress.
    std::unique_ptr<FileJobRunner> m_fileJobs =
        std::make_unique<FileJobRunner>([this](const std::optional<QString> &progress) { setFileWorkProgress(progress); });

    // Published state, initial values as a fresh model shows them.
    PlaybackQueue m_queue{{}, 0, PlaybackMode::RepeatAll};
    std::optional<Track> m_currentTrack;
    double m_restoredPosition = 0;
    QList<Track> m_tracks;
    bool m_isPlaying = false;
    bool m_isScanning = false;
    LibrarySelection m_selection;
    TrackSelection m_selectedTrackIDs;
    std::optional<TagEditorRequest> m_tagEditorRequest;
    int m_tagUndoCount = 0;
    std::optional<OrganizerRequest> m_organizerRequest;
    int m_organizeUndoCount = 0;
    QString m_searchText;
    TrackSort m_sort = TrackSort::Title;
    bool m_sortAscending = true;
    bool m_playlistSorting = false;
    std::optional<QString> m_statusMessage;
    std::optional<QString> m_fileWorkProgress;
    bool m_showsFFmpegInstallPrompt = false;
    qint64 m_transcodeCacheBytes = 0;
    bool m_isSettingsPresented = false;
    bool m_showsLyricsPage = false;
    std::optional<QUuid> m_listScrollTarget;
    bool m_isLyricsVisible = false;
    bool m_isLyricsLocked = false;
    LyricsDisplayState m_lyricsState;
    std::optional<qsizetype> m_currentLyricLineIndex;
    QPointer<LyricsOverlayPanel> m_lyricsOverlay;
    QPointer<MiniPlayerPanel> m_miniPlayer;
    bool m_isMiniPlayerVisible = false;
    bool m_isMainWindowShown = false;
    QUuid m_searchFocusRequest = QUuid::createUuid();
    QUuid m_endSearchFocusRequest = QUuid::createUuid();
    bool m_isSearchFocused = false;
    double m_volume = 0.8;

    // Private working state.
    bool m_didStart = false;
    std::optional<QUuid> m_selectionAnchorID;

    // Collaborators.
    quint64 m_tracksRevision = 0;
    quint64 m_playlistsRevision = 0;
    std::shared_ptr<StandardizedPaths> m_standardizedPaths = std::make_shared<StandardizedPaths>();
    mutable LibraryBrowser m_browser{m_standardizedPaths};
    mutable SidebarCounts m_sidebarCounts{m_standardizedPaths};
    // Last, so that pending saves are written while everything they touch still exists.
    std::unique_ptr<PlaybackStateSaver> m_playbackSaver;
    std::unique_ptr<SettingsWriter> m_settingsWriter;
    // Playback, ffmpeg and lyrics; first to go, so that no result of theirs arrives late.
    std::unique_ptr<PlaybackControl> m_playbackControl;
    std::unique_ptr<FFmpegControl> m_ffmpegControl;
    std::unique_ptr<LyricsControl> m_lyricsControl;
    std::unique_ptr<SettingsControl> m_settingsControl;
    std::unique_ptr<InputControl> m_inputControl;
};
