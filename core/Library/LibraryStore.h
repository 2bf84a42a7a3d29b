#pragma once

#include "Library/FolderRenameError.h"
#include "Library/IndexStore.h"
#include "Library/LibraryMerge.h"
#include "Library/MetadataReading.h"
#include "Library/ScanResult.h"
#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Settings/AppSettings.h"
#include "Storage/FileError.h"
#include "Storage/FileOperations.h"
#include "Storage/LoadSource.h"

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPromise>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <variant>

// The one owner of the library in memory: the index, the playlists and the settings, loaded once
// at start-up and saved on demand, plus one cover image file per track in "covers". Lives on the
// GUI thread; every operation runs there. Saves never throw: the first failure of an operation
// stays in lastError() until a later operation succeeds.
class LibraryStore final : public QObject
{
    Q_OBJECT

public:
    static inline const QByteArray coversFolderName = "covers";

    // Reads and writes nothing yet: an empty library, no playlists, default settings.
    explicit LibraryStore(const FileLocation &directory, FileOperations &files = FileOperations::system(),
                          QObject *parent = nullptr);
    ~LibraryStore() override;

    // Removes the temporaries of writes cut short, reads the three files (each falling back to its
    // backup), composes the recovery notice and repairs garbled Chinese in the stored track texts,
    // saving the index once if any changed. Cover names that are not plain file names are dropped.
    void load();

    const LibraryIndex &index() const { return m_index; }
    const QList<Playlist> &playlists() const { return m_playlists; }
    void setPlaylists(QList<Playlist> playlists) { m_playlists = std::move(playlists); }
    const AppSettings &settings() const { return m_settings; }
    void setSettings(AppSettings settings) { m_settings = std::move(settings); }
    // Audio files the last scan found but could not read; never saved.
    const QList<FileLocation> &unreadableURLs() const { return m_unreadableURLs; }
    const std::optional<FileError> &lastError() const { return m_lastError; }
    // The load notice of the last load(), when a file came from its backup or could not be read.
    const std::optional<QString> &recoveryNotice() const { return m_recoveryNotice; }

    void savePlaylists();
    void saveSettings();
    // The outcome of a settings write made elsewhere (off the GUI thread), kept as this store's
    // own save would keep it.
    void recordSettingsSave(const std::expected<void, FileError> &outcome);

    QList<Track> missingTracks() const;
    // The track's cover file, when it has one and the file is there. Never reads the image.
    std::optional<FileLocation> artworkURL(const Track &track) const;

    // Replaces the track with the same id and saves the index. A track whose duration is not a
    // finite number of seconds (0 or more) is refused: false, nothing changes.
    bool updateTrack(const Track &track);
    // A track's new descriptive fields after its file's tags changed, and its new cover when the
    // cover changed (the image's bytes, or none to remove the cover file).
    struct TrackEdit
    {
        Track track;
        bool artworkChanged = false;
        std::optional<QByteArray> artwork;
    };
    // Applies the edits in order, each to the track with the same id (others are skipped), and
    // saves the index once. A track keeps its cover file name unless its cover changed; a cover
    // that cannot be written keeps the old one and reports the failure in lastError(). Edits with
    // a duration that is not a finite number of seconds are skipped.
    void applyTrackEdits(const QList<TrackEdit> &edits);
    // Fills in durations of tracks that have none (0 or less) from finite, positive values.
    void updateDurations(const QHash<QUuid, double> &durations);
    // Re-points tracks at new file locations (matched after standardisation) and unflags them.
    void updateTrackURLs(const QHash<FileLocation, FileLocation> &urls);
    // Stores the bytes as the track's cover file, or removes its cover when there are none.
    void setArtwork(const std::optional<QByteArray> &image, const QUuid &trackID);
    void removeTrack(const QUuid &trackID);
    void removeTracks(const QSet<QUuid> &trackIDs);
    void removeMissingTracks();

    // Called on the GUI thread with the standardised location of an audio file and its cover.
    using TakeArtwork = std::function<void(const FileLocation &file, const QByteArray &cover)>;
    // Reads the embedded covers of the tracks' files on the thread pool, a few at a time, and
    // hands each cover found to `take` on the GUI thread as it arrives (once per standardised
    // location), so memory stays bounded however many tracks there are. The future finishes
    // when all are handed over; it is cancelled if the store goes away first.
    QFuture<void> artworkData(const QList<Track> &tracks, std::shared_ptr<const MetadataReading> reader,
                              TakeArtwork take);

    // "曲库已从备份恢复；设置无法读取，已使用默认数据。" and the like; nothing when every file
    // was read or absent.
    static std::optional<QString> recoveryNotice(const QList<std::pair<QString, LoadSource>> &sources);

    // Folders. The caller runs at most one import or rescan at a time.

    // Lists the folder (once, standardised) and rescans every library folder.
    QFuture<void> addFolder(const FileLocation &folder, std::shared_ptr<const MetadataReading> reader);
    // Forgets the folder and the tracks below it; the audio files stay on disk.
    void removeFolder(const FileLocation &folder);
    using RenameFailure = std::variant<FolderRenameError, FileError>;
    // Renames the folder on disk and re-points everything below it; rolls the rename back when
    // the library cannot be saved. Gives the folder's new location.
    std::expected<FileLocation, RenameFailure> renameFolder(const FileLocation &folder, const QString &newName);
    static QString describe(const RenameFailure &failure);
    // Adds folders so that every location lies inside one; true when the list changed (and was saved).
    bool ensureFoldersCovering(const QList<FileLocation> &locations);

    // Brings the tracks in line with the files on disk, keeping the identity of every track whose
    // file is still there (unchanged, rewritten in place, or moved one to one). The future finishes
    // on the GUI thread once the merged library is saved.
    QFuture<void> rescan(std::shared_ptr<const MetadataReading> reader);
    // The same for one library folder only; nothing at all for a folder that is not in the library.
    QFuture<void> rescan(const FileLocation &folder, std::shared_ptr<const MetadataReading> reader);

private:
    QFuture<void> rescan(const QList<FileLocation> &folders, bool scoped, std::shared_ptr<const MetadataReading> reader);
    // A scan merged as far as it can be off the GUI thread: planned against the library as the scan
    // started, with the covers it read named after their tracks.
    struct PreparedMerge
    {
        LibraryMerge::Plan plan;
        QList<Track> fallbackFormatTracks; // pending tracks whose files the scan did not read
        QSet<QUuid> placedCovers;          // tracks whose cover file this scan wrote
        std::optional<FileError> coverError;
    };
    // On the scanning thread: names each cover the scan wrote after its pending track and removes
    // the rest. Touches no state of the store.
    static void placeScannedCovers(PreparedMerge &prepared, QHash<QByteArray, FileLocation> &coverFiles,
                                   const FileLocation &coversFolder, FileOperations &files);
    // Stores the covers of fallback-format files, then applies the merge to the library as it is now.
    void applyScan(PreparedMerge prepared, std::shared_ptr<const MetadataReading> reader,
                   std::shared_ptr<QPromise<void>> done);
    // The new track list, and the tracks among `placedCovers` that are not in it.
    struct MergedTracks
    {
        QList<Track> tracks;
        QSet<QUuid> orphanedCovers;
    };
    static MergedTracks mergedTracks(const LibraryMerge::Plan &plan, const QSet<QUuid> &placedCovers,
                                     const QList<Track> &currentTracks);
    // Applies the planned merge to the library as it is now, then saves it.
    void finishMerge(std::shared_ptr<const LibraryMerge::Plan> plan, std::shared_ptr<const QSet<QUuid>> placedCovers,
                     std::shared_ptr<QPromise<void>> done);
    // Removes the cover files named after these tracks.
    void removeCoverFiles(const QSet<QUuid> &trackIDs);
    // Each public operation starts one; its first failure is the one lastError() reports. A save
    // of the index still running in the background is waited for first, so saves reach the disk
    // and lastError() in the order they were made.
    void beginOperation()
    {
        settleIndexSave();
        m_operationFailed = false;
    }
    // Saves the index off the GUI thread and then runs `then` on it; until the save is settled the
    // index store is the save's alone.
    // `garbage` holds the last references to what the caller is done with; the saving thread lets
    // go of it first, so it is neither freed on the GUI thread nor held through the encoding.
    void saveIndexInBackground(std::function<void()> then, std::shared_ptr<void> garbage = {});
    void settleIndexSave();
    void recordOutcome(const std::expected<void, FileError> &outcome);

    void saveIndex();
    void normalizeIndexMojibake();
    // The one removal path: tracks, their playlist entries and their cover files (never the audio).
    void removeTracksWhere(const std::function<bool(const Track &)> &predicate);
    // Writes the cover file and gives its name; nothing (with lastError set) when it failed.
    std::optional<QString> saveArtwork(const QByteArray &image, const QUuid &trackID);
    void deleteArtwork(const Track &track);
    FileLocation coversDirectory() const { return m_directory.appending(coversFolderName); }

    LibraryIndex m_index;
    QList<Playlist> m_playlists;
    AppSettings m_settings;
    QList<FileLocation> m_unreadableURLs;
    std::optional<FileError> m_lastError;
    std::optional<QString> m_recoveryNotice;
    bool m_operationFailed = false;
    std::optional<QFuture<std::expected<void, FileError>>> m_indexSave;
    FileLocation m_directory;
    IndexStore m_store;
    FileOperations &m_files;
};
