#include "LibraryScanner.h"

#include "Library/AudioFormatSupport.h"
#include "Library/ScannedCoverWriter.h"
#include "Library/TrackFactory.h"
#include "Storage/FileOperations.h"
#include "Storage/FileTime.h"

#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace LibraryScanner {

namespace {

// Paths sort by Unicode scalar value after canonical composition, with no locale and no case
// folding; for UTF-8 text that is the byte order of its composed form. Other bytes sort as they are.
bool isAscii(const QByteArray &text)
{
    // Eight bytes at a time: paths are long and nearly always ASCII.
    const char *p = text.constData();
    const char *const end = p + text.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080u)
            return false;
    }
    return std::all_of(p, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QByteArray sortKey(const QByteArray &path)
{
    if (isAscii(path) || !QUtf8StringView(path).isValidUtf8())
        return path;
    return QString::fromUtf8(path).normalized(QString::NormalizationForm_C).toUtf8();
}

// A stable sort on all cores: runs sorted side by side, then neighbours merged pairwise, each
// merge taking the left run's element first among equals.
template <typename T, typename Less>
void parallelStableSort(QList<T> &items, Less less)
{
    constexpr qsizetype shortestRun = 4096;
    const qsizetype count = items.size();
    const qsizetype runCount = std::clamp<qsizetype>(count / shortestRun, 1, QThread::idealThreadCount());
    QList<qsizetype> bounds;
    for (qsizetype run = 0; run <= runCount; ++run)
        bounds.append(count * run / runCount);
    T *const data = items.data();
    QList<qsizetype> runs(runCount);
    std::iota(runs.begin(), runs.end(), 0);
    QtConcurrent::blockingMap(runs, [&](qsizetype run) { std::stable_sort(data + bounds[run], data + bounds[run + 1], less); });
    for (qsizetype width = 1; width < runCount; width *= 2) {
        QList<qsizetype> lefts;
        for (qsizetype left = 0; left + width < runCount; left += 2 * width)
            lefts.append(left);
        QtConcurrent::blockingMap(lefts, [&](qsizetype left) {
            std::inplace_merge(data + bounds[left], data + bounds[left + width],
                               data + bounds[std::min(left + 2 * width, runCount)], less);
        });
    }
}

bool isHiddenName(const char *name)
{
    return name[0] == '.';
}

struct FileIdentity
{
    dev_t device;
    ino_t inode;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

size_t qHash(const FileIdentity &identity, size_t seed = 0)
{
    return qHashMulti(seed, quint64(identity.device), quint64(identity.inode));
}

struct FolderCloser
{
    void operator()(DIR *folder) const { ::closedir(folder); }
};

// An entry with a supported extension, as the walk found it (standardised), and what stat(2)
// says about it.
struct Candidate
{
    FileLocation file;
    bool throughLink = false;
    std::optional<FileStatus> status;
};

// One folder of a walk: its candidates in the order listed, then its subfolders, each listed by
// a task of its own. A folder that cannot be opened has nothing.
struct FolderListing
{
    QByteArray path;
    bool opened = false;
    QList<Candidate> candidates;
    std::vector<std::unique_ptr<FolderListing>> subfolders;
};

// Lists the folder and stats its candidates through the open folder; starts the listing of each
// subfolder on the pool. Links to folders are not followed.
void list(FolderListing &folder, QThreadPool &pool)
{
    const std::unique_ptr<DIR, FolderCloser> listing(::opendir(folder.path.constData()));
    if (!listing)
        return;
    folder.opened = true;
    const int descriptor = ::dirfd(listing.get());
    const QByteArray prefix = folder.path.endsWith('/') ? folder.path : folder.path + '/';
    while (const dirent *entry = ::readdir(listing.get())) {
        if (isHiddenName(entry->d_name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        struct stat status{};
        if (entry->d_type == DT_UNKNOWN)
            isFolder = ::fstatat(descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
        if (isFolder) {
            auto subfolder = std::make_unique<FolderListing>();
            subfolder->path = prefix + entry->d_name;
            folder.subfolders.push_back(std::move(subfolder));
            continue;
        }
        FileLocation file = FileLocation::fromPath(prefix + entry->d_name);
        if (!AudioFormatSupport::isSupported(file))
            continue;
        Candidate candidate{file.standardized(), entry->d_type == DT_LNK, std::nullopt};
        if (::fstatat(descriptor, entry->d_name, &status, 0) == 0)
            candidate.status = FileStatus::of(status);
        folder.candidates.append(std::move(candidate));
    }
    for (const auto &subfolder : folder.subfolders)
        pool.start([subfolder = subfolder.get(), &pool] { list(*subfolder, pool); });
}

// Walks the folders depth first on all cores and calls `visit` with every candidate, and
// `unopenable` with every folder that could not be opened, in the order of a walk that lists a
// folder's entries before it enters its subfolders, one after the other.
template <typename Visit, typename Unopenable>
void walk(const QList<FileLocation> &folders, Visit visit, Unopenable unopenable)
{
    std::vector<std::unique_ptr<FolderListing>> roots;
    {
        QThreadPool pool;
        pool.setMaxThreadCount(QThread::idealThreadCount());
        for (const FileLocation &folder : folders) {
            roots.push_back(std::make_unique<FolderListing>());
            roots.back()->path = folder.path();
            pool.start([root = roots.back().get(), &pool] { list(*root, pool); });
        }
        pool.waitForDone();
    }
    for (const auto &root : roots) {
        std::vector<FolderListing *> pending{root.get()};
        while (!pending.empty()) {
            FolderListing *folder = pending.back();
            pending.pop_back();
            if (!folder->opened)
                unopenable(folder->path);
            for (Candidate &candidate : folder->candidates)
                visit(std::move(candidate));
            for (auto subfolder = folder->subfolders.rbegin(); subfolder != folder->subfolders.rend(); ++subfolder)
                pending.push_back(subfolder->get());
        }
    }
}

FileFingerprint fingerprintOf(const FileStatus &status)
{
    return {status.size, FileTime::referenceSeconds(status.modified)};
}

// Repeated texts (artists, albums, genres) share one copy across the library. The kept copies
// are made on the thread that gathers the results: texts made by the reading threads would pin
// pages of their allocation arenas, which are otherwise left holding only freed parsing buffers
// and go back to the system once the import is done.
class TextPool
{
public:
    void share(QString &text)
    {
        if (text.isEmpty())
            return;
        const auto found = m_texts.constFind(text);
        text = found != m_texts.constEnd() ? *found : *m_texts.insert(copied(text));
    }
    void share(std::optional<QString> &text)
    {
        if (text)
            share(*text);
    }
    static QString copied(const QString &text) { return QString(text.constData(), text.size()); }

private:
    QSet<QString> m_texts;
};

} // namespace

CollectedFiles collectFiles(const QList<FileLocation> &folders)
{
    QList<Candidate> candidates;
    CollectedFiles collected;
    walk(
        folders, [&](Candidate &&candidate) { candidates.append(std::move(candidate)); },
        [&](const QByteArray &folder) { collected.unopenableFolders.append(FileLocation::fromPath(folder).standardized()); });

    // The same path is found twice only when one folder lies inside another.
    const bool foldersOverlap = std::ranges::any_of(folders, [&](const FileLocation &folder) {
        return std::ranges::count_if(folders, [&](const FileLocation &other) {
                   return other.standardized() == folder.standardized() || folder.isUnder(other);
               }) > 1;
    });
    QSet<QByteArray> seen;
    if (foldersOverlap)
        seen.reserve(candidates.size());
    struct Listed
    {
        qsizetype position;
        bool throughLink;
    };
    QHash<FileIdentity, Listed> byIdentity;
    byIdentity.reserve(candidates.size());
    collected.files.reserve(candidates.size());
    collected.statuses.reserve(candidates.size());
    for (const Candidate &candidate : std::as_const(candidates)) {
        // A folder named like an audio file is walked, not listed; what cannot be examined counts
        // as a file.
        if (candidate.status && !candidate.status->isRegularFile)
            continue;
        const FileLocation &standardized = candidate.file;
        if (foldersOverlap) {
            const qsizetype before = seen.size();
            seen.insert(standardized.path());
            if (seen.size() == before)
                continue;
        }
        if (candidate.status) {
            const FileIdentity identity{candidate.status->device, candidate.status->inode};
            if (const auto listed = byIdentity.find(identity); listed != byIdentity.end()) {
                // The file's own path wins over a link to it.
                if (listed->throughLink && !candidate.throughLink) {
                    collected.files[listed->position] = standardized;
                    listed->throughLink = false;
                }
                continue;
            }
            byIdentity.insert(identity, {collected.files.size(), candidate.throughLink});
        }
        collected.files.append(standardized);
        collected.statuses.append(candidate.status);
    }
    return collected;
}

ScanResult scan(const QList<FileLocation> &folders, const MetadataReading &reader, const KnownFiles &known,
                const CoverOutput *coverOutput)
{
    return scan(folders, reader, QtFuture::makeReadyFuture(known), coverOutput);
}

ScanResult scan(const QList<FileLocation> &folders, const MetadataReading &reader, QFuture<KnownFiles> knownFiles,
                const CoverOutput *coverOutput)
{
    if (folders.isEmpty())
        return {};
    CollectedFiles collected = collectFiles(folders);
    QList<FileLocation> files;
    QList<std::optional<FileStatus>> statuses;
    {
        QList<std::pair<QByteArray, qsizetype>> keyed;
        keyed.reserve(collected.files.size());
        for (qsizetype i = 0; i < collected.files.size(); ++i)
            keyed.append({sortKey(collected.files.at(i).path()), i});
        parallelStableSort(keyed, [](const auto &a, const auto &b) { return a.first < b.first; });
        files.reserve(keyed.size());
        statuses.reserve(keyed.size());
        for (const auto &[key, position] : std::as_const(keyed)) {
            files.append(collected.files.at(position));
            statuses.append(collected.statuses.at(position));
        }
    }
    const KnownFiles known = knownFiles.takeResult();

    std::optional<ScannedCoverWriter> coverWriter;
    if (coverOutput)
        coverWriter.emplace(coverOutput->folder, coverOutput->files);

    // One slot per file, written by exactly one task: the results are matched back by position,
    // so the order never depends on which read finishes first. A file that gives no track leaves
    // its slot without a location.
    QList<Track> tracks(files.size());
    QList<std::optional<FileLocation>> covers(files.size());
    QList<qsizetype> positions(files.size());
    std::iota(positions.begin(), positions.end(), 0);

    QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    QtConcurrent::blockingMap(&pool, positions, [&](qsizetype position) {
        const FileLocation &file = files.at(position);
        Track &track = tracks[position];
        const std::optional<FileStatus> &status = statuses.at(position);
        // The walk's status, taken before the read, is the track's fingerprint.
        const auto makeTrack = [&](const std::optional<AudioMetadata> &metadata, const QUuid &id) {
            return status ? TrackFactory::make(file, metadata, id, *status) : TrackFactory::make(file, metadata, id);
        };
        if (!AudioFormatSupport::isNative(file)) {
            track = makeTrack(std::nullopt, QUuid::createUuid());
            return;
        }
        if (const auto stored = known.constFind(file.path()); stored != known.constEnd() && status) {
            // Unchanged since it was stored: the merge keeps the stored record, so the file's
            // location and fingerprint are all it needs.
            const FileFingerprint found = fingerprintOf(*status);
            if (found == *stored) {
                Track unchanged;
                unchanged.url = file;
                unchanged.fileSize = found.size;
                unchanged.modifiedAt = found.modified;
                track = std::move(unchanged);
                return;
            }
        }
        std::optional<AudioMetadata> metadata = reader.read(file);
        if (!metadata)
            return;
        const QUuid id = QUuid::createUuid();
        if (metadata->artworkData && coverWriter) {
            // A file the library does not know yet becomes a track of this id, unless the merge
            // takes it for a moved one (and removes the cover); a known file's track keeps its own.
            const bool isNew = !known.contains(file.path());
            covers[position] = coverWriter->write(*metadata->artworkData, isNew ? ScannedCoverWriter::nameFor(id) : QString());
        }
        metadata->artworkData.reset();
        track = makeTrack(metadata, id);
    });

    ScanResult result;
    TextPool texts;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (covers.at(i))
            result.coverFiles.insert(files.at(i).path(), *covers.at(i));
        Track &track = tracks[i];
        if (track.url.isEmpty()) {
            result.unreadable.append(files.at(i));
            continue;
        }
        track.title = TextPool::copied(track.title);
        texts.share(track.artist);
        texts.share(track.album);
        texts.share(track.albumArtist);
        texts.share(track.genre);
    }
    // Closed up in place: a second list of a library's tracks is what a large import would peak on.
    tracks.removeIf([](const Track &track) { return track.url.isEmpty(); });
    result.tracks = std::move(tracks);
    result.unreadable += collected.unopenableFolders;
    if (coverWriter)
        result.coverError = coverWriter->firstError();
    return result;
}

} // namespace LibraryScanner
