#include "TagIndexUpdate.h"

#include "Library/TrackFactory.h"
#include "Storage/FileTime.h"

#include <QHash>

namespace TagIndexUpdate {

std::optional<QByteArray> decodeArtwork(const std::optional<QString> &base64)
{
    if (!base64)
        return std::nullopt;
    // Characters outside Latin-1 become "?", which no Base64 text holds.
    QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(base64->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(*decoded);
}

WrittenTags describe(const FileLocation &url, const TagFields &fields, bool artworkChanged, FileOperations &files)
{
    WrittenTags written{url, fields, artworkChanged, std::nullopt, std::nullopt};
    if (artworkChanged)
        written.artwork = decodeArtwork(fields.artworkBase64);
    if (auto status = files.status(url.standardized()))
        written.status = *status;
    return written;
}

QList<LibraryStore::TrackEdit> edits(const QList<Track> &library, const QList<WrittenTags> &written)
{
    QHash<QByteArray, qsizetype> firstByPath;
    for (qsizetype row = library.size() - 1; row >= 0; --row)
        firstByPath.insert(library.at(row).url.standardized().path(), row);

    QList<LibraryStore::TrackEdit> result;
    for (const WrittenTags &file : written) {
        const auto row = firstByPath.constFind(file.url.standardized().path());
        if (row == firstByPath.cend())
            continue;
        Track track = TrackFactory::applying(file.fields, library.at(*row));
        if (file.status) {
            track.fileSize = file.status->size;
            track.modifiedAt = FileTime::referenceSeconds(file.status->modified);
        }
        result.append({std::move(track), file.artworkChanged, file.artwork});
    }
    return result;
}

} // namespace TagIndexUpdate
