#include "LibraryScanner.h"

#include "Library/AudioFormatSupport.h"
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

} // namespace

CollectedFiles collectFiles(const QList<FileLocation> &folders)
{
    CollectedFiles collected;
    QSet<QByteArray> seen;
    struct Listed
    {
        qsizetype position;
        bool throughLink;
    };
    QHash<FileIdentity, Listed> byIdentity;
    walk(folders, collected.unopenableFolders, [&](const QByteArray &path, bool isLink) {
        const FileLocation file = FileLocation::fromPath(path);
        if (!AudioFormatSupport::isSupported(file))
            return;
        // A folder named like an audio file is walked, not listed; what cannot be examined counts
        // as a file.
        struct stat status{};
        const bool examined = ::stat(file.cPath(), &status) == 0;
        if (examined && !S_ISREG(status.st_mode))
            return;
        const FileLocation standardized = file.standardized();
        if (seen.contains(standardized.path()))
            return;
        seen.insert(standardized.path());
        if (examined) {
            const FileIdentity identity{status.st_dev, status.st_ino};
            if (const auto listed = byIdentity.find(identity); listed != byIdentity.end()) {
                // The file's own path wins over a link to it.
                if (listed->throughLink && !isLink) {
                    collected.files[listed->position] = standardized;
                    listed->throughLink = false;
                }
                return;
            }
            byIdentity.insert(identity, {collected.files.size(), isLink});
        }
        collected.files.append(standardized);
    });
    return collected;
}

ScanResult scan(const QList<FileLocation> &folders, const MetadataReading &reader, const KnownFiles &known)
{
    if (folders.isEmpty())
        return {};
    CollectedFiles collected = collectFiles(folders);
    QList<FileLocation> &files = collected.files;
    {
        QList<std::pair<QByteArray, FileLocation>> keyed;
        keyed.reserve(files.size());
        for (const FileLocation &file : files)
            keyed.append({sortKey(file.path()), file});
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (qsizetype i = 0; i < keyed.size(); ++i)
            files[i] = keyed.at(i).second;
    }

    // One slot per file, written by exactly one task: the results are matched back by position,
    // so the order never depends on which read finishes first.
    struct Outcome
    {
        std::optional<Track> track;
        bool hasArtwork = false;
    };
    QList<Outcome> outcomes(files.size());
    QList<qsizetype> positions(files.size());
    std::iota(positions.begin(), positions.end(), 0);

    QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    QtConcurrent::blockingMap(&pool, positions, [&](qsizetype position) {
        const FileLocation &file = files.at(position);
        Outcome &outcome = outcomes[position];
        if (!AudioFormatSupport::isNative(file)) {
            outcome.track = TrackFactory::make(file, std::nullopt, QUuid::createUuid());
            return;
        }
        if (const auto stored = known.constFind(file.path()); stored != known.constEnd()) {
            // Unchanged since it was stored: the merge keeps the stored record, so the file's
            // location and fingerprint are all it needs.
            if (const auto status = FileOperations::system().status(file)) {
                Track unchanged;
                unchanged.url = file;
                unchanged.fileSize = status->size;
                unchanged.modifiedAt = FileTime::referenceSeconds(status->modified);
                if (FileFingerprint::of(unchanged) == *stored) {
                    outcome.track = std::move(unchanged);
                    return;
                }
            }
        }
        std::optional<AudioMetadata> metadata = reader.read(file);
        if (!metadata)
            return;
        outcome.hasArtwork = metadata->artworkData.has_value();
        metadata->artworkData.reset();
        outcome.track = TrackFactory::make(file, metadata, QUuid::createUuid());
    });

    ScanResult result;
    result.tracks.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (outcomes.at(i).hasArtwork)
            result.artworkPaths.insert(files.at(i).path());
        if (outcomes.at(i).track)
            result.tracks.append(std::move(*outcomes[i].track));
        else
            result.unreadable.append(files.at(i));
    }
    result.unreadable += collected.unopenableFolders;
    return result;
}

} // namespace LibraryScanner
