#include "LibraryScanner.h"

#include "Library/AudioFormatSupport.h"
#include "Library/TrackFactory.h"
#include "Storage/FileOperations.h"
#include "Storage/FileTime.h"

#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <filesystem>
#include <numeric>

namespace LibraryScanner {

namespace {

namespace fs = std::filesystem;

// Paths sort by Unicode scalar value after canonical composition, with no locale and no case
// folding; for UTF-8 text that is the byte order of its composed form. Other bytes sort as they are.
QByteArray sortKey(const QByteArray &path)
{
    const bool ascii = std::all_of(path.cbegin(), path.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !QUtf8StringView(path).isValidUtf8())
        return path;
    return QString::fromUtf8(path).normalized(QString::NormalizationForm_C).toUtf8();
}

bool isHiddenName(const fs::path &path)
{
    const fs::path name = path.filename();
    return !name.empty() && name.native().front() == '.';
}

} // namespace

QList<FileLocation> collectFiles(const QList<FileLocation> &folders)
{
    QList<FileLocation> files;
    QSet<QByteArray> seen;
    for (const FileLocation &folder : folders) {
        std::error_code error;
        fs::recursive_directory_iterator walk(fs::path(folder.path().toStdString()),
                                              fs::directory_options::skip_permission_denied, error);
        if (error)
            continue;
        for (; walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            if (error)
                break;
            const fs::directory_entry &entry = *walk;
            if (isHiddenName(entry.path())) {
                walk.disable_recursion_pending();
                continue;
            }
            const FileLocation file = FileLocation::fromPath(QByteArray::fromStdString(entry.path().native()));
            if (!AudioFormatSupport::isSupported(file))
                continue;
            // A folder named like an audio file is walked, not listed; an unknown type counts as a file.
            std::error_code typeError;
            if (!entry.is_regular_file(typeError) && !typeError)
                continue;
            const FileLocation standardized = file.standardized();
            if (!seen.contains(standardized.path())) {
                seen.insert(standardized.path());
                files.append(standardized);
            }
        }
    }
    return files;
}

ScanResult scan(const QList<FileLocation> &folders, const MetadataReading &reader, const KnownFiles &known)
{
    if (folders.isEmpty())
        return {};
    QList<FileLocation> files = collectFiles(folders);
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
    return result;
}

} // namespace LibraryScanner
