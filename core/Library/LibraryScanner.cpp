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
#include <memory>
#include <numeric>

#include <dirent.h>
#include <sys/stat.h>

namespace LibraryScanner {

namespace {

// Paths sort by Unicode scalar value after canonical composition, with no locale and no case
// folding; for UTF-8 text that is the byte order of its composed form. Other bytes sort as they are.
QByteArray sortKey(const QByteArray &path)
{
    const bool ascii = std::all_of(path.cbegin(), path.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !QUtf8StringView(path).isValidUtf8())
        return path;
    return QString::fromUtf8(path).normalized(QString::NormalizationForm_C).toUtf8();
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

// Walks the folders depth first without following links to folders; calls `visit` with every
// entry that is not a folder and reports the folders it cannot open.
template <typename Visit>
void walk(const QList<FileLocation> &folders, QList<FileLocation> &unopenable, Visit visit)
{
    for (const FileLocation &folder : folders) {
        QList<QByteArray> pending{folder.path()};
        while (!pending.isEmpty()) {
            const QByteArray path = pending.takeLast();
            const std::unique_ptr<DIR, FolderCloser> listing(::opendir(path.constData()));
            if (!listing) {
                unopenable.append(FileLocation::fromPath(path).standardized());
                continue;
            }
            QList<QByteArray> subfolders;
            while (const dirent *entry = ::readdir(listing.get())) {
                if (isHiddenName(entry->d_name))
                    continue;
                const QByteArray child = path.endsWith('/') ? path + entry->d_name : path + '/' + entry->d_name;
                bool isFolder = entry->d_type == DT_DIR;
                if (entry->d_type == DT_UNKNOWN) {
                    struct stat status{};
                    isFolder = ::lstat(child.constData(), &status) == 0 && S_ISDIR(status.st_mode);
                }
                if (isFolder)
                    subfolders.append(child);
                else
                    visit(child, entry->d_type == DT_LNK);
            }
            // Depth first, in the order listed.
            std::reverse(subfolders.begin(), subfolders.end());
            pending += subfolders;
        }
    }
}

// An entry with a supported extension, as the walk found it, and what stat(2) says about it.
struct Candidate
{
    FileLocation file;
    bool throughLink = false;
    std::optional<FileStatus> status;
};

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
    CollectedFiles collected;
    QList<Candidate> candidates;
    walk(folders, collected.unopenableFolders, [&](const QByteArray &path, bool isLink) {
        FileLocation file = FileLocation::fromPath(path);
        if (AudioFormatSupport::isSupported(file))
            candidates.append({std::move(file), isLink, std::nullopt});
    });
    // The stats are what a walk of a large library waits on; they run on all cores, the choice of
    // what to list stays in the order found.
    QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    QtConcurrent::blockingMap(&pool, candidates, [](Candidate &candidate) {
        if (const auto status = FileOperations::system().status(candidate.file))
            candidate.status = *status;
    });

    QSet<QByteArray> seen;
    seen.reserve(candidates.size());
    struct Listed
    {
        qsizetype position;
        bool throughLink;
    };
    QHash<FileIdentity, Listed> byIdentity;
    byIdentity.reserve(candidates.size());
    for (const Candidate &candidate : std::as_const(candidates)) {
        // A folder named like an audio file is walked, not listed; what cannot be examined counts
        // as a file.
        if (candidate.status && !candidate.status->isRegularFile)
            continue;
        const FileLocation standardized = candidate.file.standardized();
        if (seen.contains(standardized.path()))
            continue;
        seen.insert(standardized.path());
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
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        files.reserve(keyed.size());
        statuses.reserve(keyed.size());
        for (const auto &[key, position] : std::as_const(keyed)) {
            files.append(collected.files.at(position));
            statuses.append(collected.statuses.at(position));
        }
    }

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
