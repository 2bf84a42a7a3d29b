#include "LibraryStore.h"

#include "Library/ArtworkFetch.h"
#include "Library/AudioFormatSupport.h"
#include "Library/FileFingerprint.h"
#include "Library/FolderCoverage.h"
#include "Library/LibraryMerge.h"
#include "Library/LibraryScanner.h"
#include "Library/ScannedCoverWriter.h"
#include "HeapTrimming.h"
#include "Localization.h"
#include "Tags/MojibakeRepair.h"

#include <QFutureWatcher>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <tuple>

#include <cmath>

namespace {

bool isUsableDuration(double seconds)
{
    return std::isfinite(seconds) && seconds >= 0;
}

// Replaces garbled Chinese by its repair; tells whether it did (a repair always differs).
bool repairInPlace(QString &text)
{
    std::optional<QString> repaired = MojibakeRepair::repaired(text);
    if (repaired)
        text = std::move(*repaired);
    return repaired.has_value();
}

} // namespace

LibraryStore::LibraryStore(const FileLocation &directory, FileOperations &files, QObject *parent)
    : QObject(parent), m_directory(directory), m_store(directory, files), m_files(files)
{
}

LibraryStore::~LibraryStore()
{
    settleIndexSave();
}

void LibraryStore::saveIndexInBackground(std::function<void()> then, std::shared_ptr<void> garbage)
{
    settleIndexSave();
    m_indexSave = QtConcurrent::run([store = &m_store, index = m_index, garbage = std::move(garbage)]() mutable {
        if (garbage) {
            garbage.reset();
            // What the old lists held goes back before the encoding asks for as much again.
            HeapTrimming::releaseFreeMemory();
        }
        std::expected<void, FileError> saved = store->saveIndex(index);
        // A scan and the encoding of a large library leave much memory free in the threads'
        // arenas; it goes back to the system rather than stay with the process.
        HeapTrimming::releaseFreeMemory();
        return saved;
    });
    auto *saving = new QFutureWatcher<std::expected<void, FileError>>(this);
    connect(saving, &QFutureWatcherBase::finished, this, [this, saving, then = std::move(then)] {
        saving->deleteLater();
        settleIndexSave();
        then();
    });
    saving->setFuture(*m_indexSave);
}

void LibraryStore::settleIndexSave()
{
    if (!m_indexSave)
        return;
    const QFuture<std::expected<void, FileError>> save = *std::exchange(m_indexSave, std::nullopt);
    recordOutcome(save.result());
}

void LibraryStore::recordOutcome(const std::expected<void, FileError> &outcome)
{
    if (m_operationFailed)
        return;
    if (outcome) {
        m_lastError.reset();
    } else {
        m_lastError = outcome.error();
        m_operationFailed = true;
    }
}

void LibraryStore::load()
{
    beginOperation();
    // Saves and cover writes cut short by a crash leave hidden temporaries the size of the file.
    m_files.removeStaleTemporaries(m_directory);
    m_files.removeStaleTemporaries(coversDirectory());
    // The playlists and the settings (which hold the saved queue) decode on a worker while the
    // index decodes here.
    struct SmallFiles
    {
        Loaded<QList<Playlist>> playlists;
        Loaded<AppSettings> settings;
    };
    QFuture<SmallFiles> smallFiles = QtConcurrent::run([store = &m_store] {
        return SmallFiles{store->decode<QList<Playlist>>(store->fileLocation(IndexStore::playlistsFileName)),
                          store->loadSettingsOutcome()};
    });
    Loaded<LibraryIndex> index = m_store.decode<LibraryIndex>(m_store.fileLocation(IndexStore::libraryFileName));
    m_index = std::move(index.value).value_or(LibraryIndex{});
    auto [playlists, settings] = smallFiles.takeResult();
    m_playlists = std::move(playlists.value).value_or(QList<Playlist>{});
    m_settings = std::move(*settings.value);

    m_recoveryNotice = recoveryNotice({
        {L("曲库"), index.source},
        {L("播放列表"), playlists.source},
        {L("设置"), settings.source},
    });
    normalizeIndexMojibake();
}

std::optional<QString> LibraryStore::recoveryNotice(const QList<std::pair<QString, LoadSource>> &sources)
{
    QStringList restored;
    QStringList unreadable;
    for (const auto &[name, source] : sources) {
        if (source == LoadSource::Backup)
            restored.append(name);
        else if (source == LoadSource::Unreadable)
            unreadable.append(name);
    }
    QStringList parts;
    if (!restored.isEmpty())
        parts.append(Lf("%@已从备份恢复", restored.join(u'/')));
    if (!unreadable.isEmpty())
        parts.append(Lf("%@无法读取，已使用默认数据", unreadable.join(u'/')));
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(L("；")) + L("。");
}

// Each text is repaired on its own, so runs of tracks are worked on all cores.
void LibraryStore::normalizeIndexMojibake()
{
    constexpr qsizetype runLength = 2048;
    const qsizetype count = m_index.tracks.size();
    QList<qsizetype> runStarts;
    for (qsizetype start = 0; start < count; start += runLength)
        runStarts.append(start);
    Track *const tracks = m_index.tracks.data();
    std::atomic<bool> changed = false;
    QtConcurrent::blockingMap(runStarts, [tracks, count, &changed](qsizetype start) {
        bool changedHere = false;
        for (Track *track = tracks + start; track != tracks + std::min(start + runLength, count); ++track) {
            changedHere |= repairInPlace(track->title);
            changedHere |= repairInPlace(track->artist);
            changedHere |= repairInPlace(track->album);
            if (track->albumArtist)
                changedHere |= repairInPlace(*track->albumArtist);
        }
        if (changedHere)
            changed = true;
    });
    if (changed)
        saveIndex();
}

void LibraryStore::saveIndex()
{
    recordOutcome(m_store.saveIndex(m_index));
}

void LibraryStore::savePlaylists()
{
    beginOperation();
    recordOutcome(m_store.savePlaylists(m_playlists));
}

void LibraryStore::saveSettings()
{
    beginOperation();
    recordOutcome(m_store.saveSettings(m_settings));
}

void LibraryStore::recordSettingsSave(const std::expected<void, FileError> &outcome)
{
    beginOperation();
    recordOutcome(outcome);
}

QList<Track> LibraryStore::missingTracks() const
{
    QList<Track> missing;
    std::ranges::copy_if(m_index.tracks, std::back_inserter(missing), &Track::isMissing);
    return missing;
}

std::optional<FileLocation> LibraryStore::artworkURL(const Track &track) const
{
    if (!track.artworkFileName || !Track::isCoverFileName(*track.artworkFileName))
        return std::nullopt;
    const FileLocation file = coversDirectory().appending(*track.artworkFileName);
    return m_files.exists(file) ? std::optional(file) : std::nullopt;
}

bool LibraryStore::updateTrack(const Track &track)
{
    beginOperation();
    if (!isUsableDuration(track.duration))
        return false;
    const auto stored = std::ranges::find(m_index.tracks, track.id, &Track::id);
    if (stored == m_index.tracks.end())
        return false;
    *stored = track;
    saveIndex();
    return true;
}

void LibraryStore::applyTrackEdits(const QList<TrackEdit> &edits)
{
    beginOperation();
    bool changed = false;
    for (const TrackEdit &edit : edits) {
        if (!isUsableDuration(edit.track.duration))
            continue;
        const auto stored = std::ranges::find(m_index.tracks, edit.track.id, &Track::id);
        if (stored == m_index.tracks.end())
            continue;
        Track track = edit.track;
        track.artworkFileName = stored->artworkFileName;
        if (edit.artworkChanged && edit.artwork) {
            if (std::optional<QString> name = saveArtwork(*edit.artwork, track.id))
                track.artworkFileName = std::move(name);
        } else if (edit.artworkChanged) {
            deleteArtwork(*stored);
            track.artworkFileName.reset();
        }
        *stored = std::move(track);
        changed = true;
    }
    if (changed)
        saveIndex();
}

void LibraryStore::updateDurations(const QHash<QUuid, double> &durations)
{
    beginOperation();
    if (durations.isEmpty() || m_index.tracks.isEmpty())
        return;
    bool changed = false;
    for (Track &track : m_index.tracks) {
        if (track.duration > 0)
            continue;
        const auto found = durations.constFind(track.id);
        if (found == durations.cend() || !isUsableDuration(*found) || *found <= 0)
            continue;
        track.duration = *found;
        changed = true;
    }
    if (changed)
        saveIndex();
}

void LibraryStore::updateTrackURLs(const QHash<FileLocation, FileLocation> &urls)
{
    beginOperation();
    if (urls.isEmpty())
        return;
    QHash<FileLocation, FileLocation> standardized;
    standardized.reserve(urls.size());
    for (auto it = urls.cbegin(); it != urls.cend(); ++it)
        standardized.insert(it.key().standardized(), it.value().standardized());
    bool changed = false;
    for (Track &track : m_index.tracks) {
        const auto found = standardized.constFind(track.url.standardized());
        if (found == standardized.cend())
            continue;
        track.url = *found;
        track.isMissing = false;
        changed = true;
    }
    if (changed)
        saveIndex();
}

void LibraryStore::setArtwork(const std::optional<QByteArray> &image, const QUuid &trackID)
{
    beginOperation();
    const auto stored = std::ranges::find(m_index.tracks, trackID, &Track::id);
    if (stored == m_index.tracks.end())
        return;
    Track track = *stored;
    if (image) {
        std::optional<QString> name = saveArtwork(*image, trackID);
        if (!name)
            return;
        track.artworkFileName = std::move(name);
    } else {
        deleteArtwork(track);
        track.artworkFileName.reset();
    }
    *stored = std::move(track);
    saveIndex();
}

std::optional<QString> LibraryStore::saveArtwork(const QByteArray &image, const QUuid &trackID)
{
    const QString name = ScannedCoverWriter::nameFor(trackID);
    if (auto created = m_files.createDirectories(coversDirectory(), 0700); !created) {
        recordOutcome(created);
        return std::nullopt;
    }
    // A cover can always be read again from its audio file, so it is not flushed to disk.
    if (auto written = m_files.writeAtomicallyUnsynced(coversDirectory().appending(name), image); !written) {
        recordOutcome(written);
        return std::nullopt;
    }
    return name;
}

void LibraryStore::deleteArtwork(const Track &track)
{
    // One regular file inside the covers folder, never a folder or what a link points to.
    if (!track.artworkFileName || !Track::isCoverFileName(*track.artworkFileName))
        return;
    const FileLocation file = coversDirectory().appending(*track.artworkFileName);
    const auto status = m_files.entryStatus(file);
    if (status && status->isRegularFile)
        (void)m_files.remove(file);
}

void LibraryStore::removeTrack(const QUuid &trackID)
{
    beginOperation();
    removeTracksWhere([&](const Track &track) { return track.id == trackID; });
}

void LibraryStore::removeTracks(const QSet<QUuid> &trackIDs)
{
    beginOperation();
    if (trackIDs.isEmpty())
        return;
    removeTracksWhere([&](const Track &track) { return trackIDs.contains(track.id); });
}

void LibraryStore::removeMissingTracks()
{
    beginOperation();
    removeTracksWhere(&Track::isMissing);
}

void LibraryStore::removeTracksWhere(const std::function<bool(const Track &)> &predicate)
{
    QList<Track> removed;
    std::ranges::copy_if(m_index.tracks, std::back_inserter(removed), predicate);
    if (removed.isEmpty()) {
        saveIndex();
        return;
    }
    QSet<QUuid> removedIDs;
    removedIDs.reserve(removed.size());
    for (const Track &track : removed)
        removedIDs.insert(track.id);
    m_index.tracks.removeIf([&](const Track &track) { return removedIDs.contains(track.id); });
    for (Playlist &playlist : m_playlists)
        playlist.trackIDs.removeIf([&](const QUuid &id) { return removedIDs.contains(id); });
    for (const Track &track : removed)
        deleteArtwork(track);
    saveIndex();
    recordOutcome(m_store.savePlaylists(m_playlists));
}

QFuture<void> LibraryStore::artworkData(const QList<Track> &tracks, std::shared_ptr<const MetadataReading> reader,
                                        TakeArtwork take)
{
    QList<FileLocation> files;
    files.reserve(tracks.size());
    for (const Track &track : tracks)
        files.append(track.url);
    // Bounded by the cores, so a first import of thousands of large covers never holds them all.
    auto *fetch = new ArtworkFetch(files, std::move(reader), std::move(take), QThread::idealThreadCount(), this);
    return fetch->future();
}

QFuture<void> LibraryStore::addFolder(const FileLocation &folder, std::shared_ptr<const MetadataReading> reader)
{
    const FileLocation standardized = folder.standardized();
    const bool listed = std::ranges::any_of(m_index.folders, [&](const FileLocation &existing) {
        return existing.standardized() == standardized;
    });
    if (!listed)
        m_index.folders.append(standardized);
    // The rescan's save is what stores the new folder entry.
    return rescan(m_index.folders, false, std::move(reader));
}

void LibraryStore::removeFolder(const FileLocation &folder)
{
    beginOperation();
    const FileLocation standardized = folder.standardized();
    m_index.folders.removeIf([&](const FileLocation &existing) { return existing.standardized() == standardized; });
    m_unreadableURLs.removeIf([&](const FileLocation &url) { return url.isUnder(standardized); });
    removeTracksWhere([&](const Track &track) { return track.url.isUnder(standardized); });
}

namespace {

// The location below `newPrefix` that `url` has below `oldPrefix`, when it lies below it.
std::optional<FileLocation> rebased(const FileLocation &url, const QByteArray &oldPrefix, const QByteArray &newPrefix)
{
    const QByteArray path = url.standardized().path();
    if (!path.startsWith(oldPrefix))
        return std::nullopt;
    return FileLocation::fromPath(newPrefix + path.mid(oldPrefix.size()));
}

bool isValidFolderName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u':')
        && !name.contains(QChar(0));
}

} // namespace

std::expected<FileLocation, LibraryStore::RenameFailure> LibraryStore::renameFolder(const FileLocation &folder,
                                                                                   const QString &newName)
{
    const FileLocation source = folder.standardized();
    const QString name = newName.trimmed();
    if (!isValidFolderName(name))
        return std::unexpected(FolderRenameError::invalidName());
    const FileLocation destination = source.deletingLastPathComponent().appending(name);
    if (m_files.exists(destination))
        return std::unexpected(FolderRenameError::destinationExists(name));
    if (auto moved = m_files.moveNoReplace(source, destination); !moved) {
        if (moved.error().code == EEXIST)
            return std::unexpected(FolderRenameError::destinationExists(name));
        return std::unexpected(moved.error());
    }

    const QByteArray oldPrefix = source.path() + '/';
    const QByteArray newPrefix = destination.path() + '/';
    const LibraryIndex previousIndex = m_index;
    const QList<FileLocation> previousUnreadable = m_unreadableURLs;

    // Library folders nested inside the renamed one move with it.
    for (FileLocation &entry : m_index.folders) {
        if (entry.standardized() == source)
            entry = destination;
        else if (const auto moved = rebased(entry, oldPrefix, newPrefix))
            entry = *moved;
    }
    for (Track &track : m_index.tracks) {
        if (const auto moved = rebased(track.url, oldPrefix, newPrefix))
            track.url = *moved;
    }
    for (FileLocation &url : m_unreadableURLs) {
        if (const auto moved = rebased(url, oldPrefix, newPrefix))
            url = *moved;
    }

    beginOperation();
    if (auto saved = m_store.saveIndex(m_index); !saved) {
        m_index = previousIndex;
        m_unreadableURLs = previousUnreadable;
        (void)m_files.moveNoReplace(destination, source);
        recordOutcome(saved);
        return std::unexpected(saved.error());
    }
    recordOutcome({});
    recordOutcome(m_store.savePlaylists(m_playlists));
    return destination;
}

QString LibraryStore::describe(const RenameFailure &failure)
{
    if (const auto *refused = std::get_if<FolderRenameError>(&failure))
        return refused->errorDescription();
    return std::get<FileError>(failure).text();
}

bool LibraryStore::ensureFoldersCovering(const QList<FileLocation> &locations)
{
    if (locations.isEmpty())
        return false;
    QList<FileLocation> folders = m_index.folders;
    bool changed = false;
    for (const FileLocation &location : locations) {
        QList<FileLocation> covered = FolderCoverage::ensureCovered(location, folders);
        if (covered != folders) {
            folders = std::move(covered);
            changed = true;
        }
    }
    if (!changed)
        return false;
    beginOperation();
    m_index.folders = std::move(folders);
    saveIndex();
    return true;
}

QFuture<void> LibraryStore::rescan(std::shared_ptr<const MetadataReading> reader)
{
    return rescan(m_index.folders, false, std::move(reader));
}

QFuture<void> LibraryStore::rescan(const FileLocation &folder, std::shared_ptr<const MetadataReading> reader)
{
    const FileLocation standardized = folder.standardized();
    const bool listed = std::ranges::any_of(m_index.folders, [&](const FileLocation &existing) {
        return existing.standardized() == standardized;
    });
    if (!listed)
        return QtFuture::makeReadyFuture();
    return rescan({standardized}, true, std::move(reader));
}

QFuture<void> LibraryStore::rescan(const QList<FileLocation> &folders, bool scoped,
                                   std::shared_ptr<const MetadataReading> reader)
{
    if (folders.isEmpty()) {
        if (!scoped)
            m_unreadableURLs.clear();
        return QtFuture::makeReadyFuture();
    }
    HeapTrimming::install();
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    // The merge is planned against the library as the scan started, so that tracks removed or
    // edited while it runs are reconciled when it applies, not brought back.
    auto *scanning = new QFutureWatcher<PreparedMerge>(this);
    connect(scanning, &QFutureWatcherBase::finished, this, [this, scanning, reader, done] {
        scanning->deleteLater();
        applyScan(scanning->future().takeResult(), reader, done);
    });
    scanning->setFuture(QtConcurrent::run([folders, scoped, reader, snapshot = m_index.tracks, files = &m_files,
                                           coversFolder = coversDirectory()] {
        // Files whose size and date still match their stored track need no metadata read. Their
        // table is made while the folders are walked.
        QFuture<LibraryScanner::KnownFiles> known = QtConcurrent::run([snapshot] {
            LibraryScanner::KnownFiles known;
            known.reserve(snapshot.size());
            for (const Track &track : snapshot)
                known.insert(LibraryMerge::pathOf(track.url), FileFingerprint::of(track));
            return known;
        });
        const LibraryScanner::CoverOutput covers{coversFolder, *files};
        ScanResult scan = LibraryScanner::scan(folders, *reader, std::move(known), &covers);
        QHash<QByteArray, FileLocation> coverFiles = std::move(scan.coverFiles);
        std::optional<FileError> coverError = std::move(scan.coverError);
        PreparedMerge prepared{LibraryMerge::plan(snapshot, std::move(scan), folders, scoped, {}), {}, {}, std::move(coverError)};
        placeScannedCovers(prepared, coverFiles, coversFolder, *files);
        return prepared;
    }));
    return done->future();
}

void LibraryStore::placeScannedCovers(PreparedMerge &prepared, QHash<QByteArray, FileLocation> &coverFiles,
                                      const FileLocation &coversFolder, FileOperations &files)
{
    for (Track &track : prepared.plan.pending) {
        const QByteArray path = LibraryMerge::pathOf(track.url);
        if (!AudioFormatSupport::isNative(track.url)) {
            prepared.fallbackFormatTracks.append(track);
            continue;
        }
        const auto cover = coverFiles.constFind(path);
        if (cover == coverFiles.constEnd())
            continue;
        const QString name = ScannedCoverWriter::nameFor(track.id);
        if (cover->fileName() == name.toUtf8()) {
            // A new file's cover, written under its track's name by the scan.
            track.artworkFileName = name;
            prepared.placedCovers.insert(track.id);
            coverFiles.erase(cover);
            continue;
        }
        // A rewritten file keeps its identity, so its new cover replaces the old one in place.
        if (auto placed = files.replaceUnsynced(*cover, coversFolder.appending(name)); placed) {
            track.artworkFileName = name;
            prepared.placedCovers.insert(track.id);
        } else {
            if (!prepared.coverError)
                prepared.coverError = placed.error();
            (void)files.remove(*cover);
        }
        coverFiles.erase(cover);
    }
    // Covers of files whose stored record stays (moved files) are not needed.
    for (const FileLocation &unused : std::as_const(coverFiles))
        (void)files.remove(unused);
}

void LibraryStore::applyScan(PreparedMerge prepared, std::shared_ptr<const MetadataReading> reader,
                             std::shared_ptr<QPromise<void>> done)
{
    beginOperation();
    auto plan = std::make_shared<LibraryMerge::Plan>(std::move(prepared.plan));
    m_unreadableURLs = LibraryMerge::unreadableURLs(*plan, m_unreadableURLs);
    if (prepared.coverError)
        recordOutcome(std::unexpected(*prepared.coverError));

    // The scan stored the covers of the files it read; those of fallback formats, which it does
    // not read, are read now and stored as they arrive, never all held at once.
    auto pendingByPath = std::make_shared<QHash<QByteArray, qsizetype>>();
    for (const Track &track : std::as_const(prepared.fallbackFormatTracks))
        pendingByPath->insert(LibraryMerge::pathOf(track.url), -1);
    for (qsizetype i = 0; !pendingByPath->isEmpty() && i < plan->pending.size(); ++i) {
        if (const auto entry = pendingByPath->find(LibraryMerge::pathOf(plan->pending.at(i).url)); entry != pendingByPath->end())
            *entry = i;
    }
    auto placedCovers = std::make_shared<QSet<QUuid>>(std::move(prepared.placedCovers));
    QFuture<void> covers = artworkData(prepared.fallbackFormatTracks, std::move(reader),
                                       [this, plan, pendingByPath, placedCovers](const FileLocation &file, const QByteArray &cover) {
        const auto position = pendingByPath->constFind(file.path());
        if (position == pendingByPath->constEnd())
            return;
        Track &track = plan->pending[*position];
        if (const auto name = saveArtwork(cover, track.id)) {
            track.artworkFileName = *name;
            placedCovers->insert(track.id);
        }
    });
    auto *reading = new QFutureWatcher<void>(this);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading, plan, placedCovers, done]() mutable {
        reading->deleteLater();
        finishMerge(std::move(plan), std::move(placedCovers), std::move(done));
    });
    reading->setFuture(covers);
}

LibraryStore::MergedTracks LibraryStore::mergedTracks(const LibraryMerge::Plan &plan, const QSet<QUuid> &placedCovers,
                                                      const QList<Track> &currentTracks)
{
    MergedTracks merged{LibraryMerge::finish(plan, currentTracks), placedCovers};
    // A track removed while its file was being read got its cover written all the same.
    for (const Track &track : std::as_const(merged.tracks)) {
        if (merged.orphanedCovers.isEmpty())
            break;
        merged.orphanedCovers.remove(track.id);
    }
    return merged;
}

void LibraryStore::finishMerge(std::shared_ptr<const LibraryMerge::Plan> plan, std::shared_ptr<const QSet<QUuid>> placedCovers,
                               std::shared_ptr<QPromise<void>> done)
{
    // The merge of a large library runs off the GUI thread, against the tracks as they are now.
    // Should they change before it is back, it runs again here against the newer list.
    QList<Track> current = m_index.tracks;
    auto *merging = new QFutureWatcher<MergedTracks>(this);
    connect(merging, &QFutureWatcherBase::finished, this, [this, merging, current, plan, placedCovers, done]() mutable {
        merging->deleteLater();
        MergedTracks merged = merging->future().takeResult();
        // A shared list is never changed in place, so the same data means the same tracks.
        if (m_index.tracks.constData() != current.constData() || m_index.tracks.size() != current.size())
            merged = mergedTracks(*plan, *placedCovers, m_index.tracks);
        QList<Track> previous = std::exchange(m_index.tracks, std::move(merged.tracks));
        removeCoverFiles(merged.orphanedCovers);
        // Freeing a library's worth of tracks touches memory all over the heap: the saving thread
        // does it, before it encodes, so the old lists are not held through the encoding either.
        using Garbage = std::tuple<QList<Track>, QList<Track>, std::shared_ptr<const LibraryMerge::Plan>,
                                   std::shared_ptr<const QSet<QUuid>>>;
        saveIndexInBackground([done] { done->finish(); },
                              std::make_shared<Garbage>(std::move(previous), std::move(current), std::move(plan),
                                                        std::move(placedCovers)));
    });
    merging->setFuture(QtConcurrent::run([plan, placedCovers, current] { return mergedTracks(*plan, *placedCovers, current); }));
}

void LibraryStore::removeCoverFiles(const QSet<QUuid> &trackIDs)
{
    for (const QUuid &id : trackIDs) {
        const FileLocation file = coversDirectory().appending(ScannedCoverWriter::nameFor(id));
        if (const auto status = m_files.entryStatus(file); status && status->isRegularFile)
            (void)m_files.remove(file);
    }
}
