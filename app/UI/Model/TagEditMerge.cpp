#include "TagEditMerge.h"

namespace {

std::optional<QString> mergedText(const std::optional<QString> &before, const std::optional<QString> &request)
{
    return request ? TagEditMerge::nonEmpty(*request) : before;
}

std::optional<qint64> mergedNumber(const std::optional<qint64> &before, const std::optional<qint64> &request)
{
    if (!request)
        return before;
    return *request >= 1 ? request : std::nullopt;
}

std::optional<QString> removalText(const std::optional<QString> &request)
{
    if (request && !TagEditMerge::nonEmpty(*request))
        return QString();
    return request;
}

std::optional<qint64> removalNumber(const std::optional<qint64> &request)
{
    if (request && *request < 1)
        return 0;
    return request;
}

} // namespace

namespace TagEditMerge {

std::optional<QString> nonEmpty(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

TagFields merged(const TagFields &before, const TagFields &request)
{
    TagFields after;
    after.title = mergedText(before.title, request.title);
    after.artist = mergedText(before.artist, request.artist);
    after.album = mergedText(before.album, request.album);
    after.albumArtist = mergedText(before.albumArtist, request.albumArtist);
    after.year = mergedNumber(before.year, request.year);
    after.trackNumber = mergedNumber(before.trackNumber, request.trackNumber);
    after.genre = mergedText(before.genre, request.genre);
    if (!request.artworkBase64)
        after.artworkBase64 = before.artworkBase64;
    else if (!request.artworkBase64->isEmpty())
        after.artworkBase64 = request.artworkBase64;
    return after;
}

TagFields writePayload(const TagFields &request)
{
    TagFields payload = request;
    payload.title = removalText(request.title);
    payload.artist = removalText(request.artist);
    payload.album = removalText(request.album);
    payload.albumArtist = removalText(request.albumArtist);
    payload.year = removalNumber(request.year);
    payload.trackNumber = removalNumber(request.trackNumber);
    payload.genre = removalText(request.genre);
    return payload;
}

} // namespace TagEditMerge
