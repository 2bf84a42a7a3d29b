#include "Track.h"

#include "Storage/JsonFields.h"

#include <QHashFunctions>
#include <QJsonObject>

#include <cmath>

namespace {

template <typename T>
void insertOptional(QJsonObject &object, QLatin1StringView key, const std::optional<T> &value)
{
    if (value)
        object.insert(key, QJsonValue(*value));
}

template <typename T>
size_t hashOptional(size_t seed, const std::optional<T> &value)
{
    seed = qHashMulti(seed, value.has_value());
    return value ? qHashMulti(seed, *value) : seed;
}

} // namespace

QJsonValue Track::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("id"), Json::uuidText(id));
    object.insert(QLatin1String("url"), url.urlText());
    object.insert(QLatin1String("title"), title);
    object.insert(QLatin1String("artist"), artist);
    object.insert(QLatin1String("album"), album);
    insertOptional(object, QLatin1String("albumArtist"), albumArtist);
    insertOptional(object, QLatin1String("year"), year);
    insertOptional(object, QLatin1String("trackNumber"), trackNumber);
    insertOptional(object, QLatin1String("genre"), genre);
    // JSON has no NaN or infinity; one bad duration must not make the whole library unsavable.
    object.insert(QLatin1String("duration"), std::isfinite(duration) ? duration : 0.0);
    object.insert(QLatin1String("fileSize"), fileSize);
    object.insert(QLatin1String("modifiedAt"), modifiedAt);
    insertOptional(object, QLatin1String("artworkFileName"), artworkFileName);
    object.insert(QLatin1String("isMissing"), isMissing);
    return object;
}

std::expected<Track, QString> Track::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    Track track;
    track.id = fields.uuid(QLatin1String("id"));
    track.url = fields.location(QLatin1String("url"));
    track.title = fields.string(QLatin1String("title"));
    track.artist = fields.string(QLatin1String("artist"));
    track.album = fields.string(QLatin1String("album"));
    track.albumArtist = fields.optionalString(QLatin1String("albumArtist"));
    track.year = fields.optionalInteger(QLatin1String("year"));
    track.trackNumber = fields.optionalInteger(QLatin1String("trackNumber"));
    track.genre = fields.optionalString(QLatin1String("genre"));
    track.duration = fields.number(QLatin1String("duration"));
    track.fileSize = fields.integer(QLatin1String("fileSize"));
    track.modifiedAt = fields.number(QLatin1String("modifiedAt"));
    track.artworkFileName = fields.optionalString(QLatin1String("artworkFileName"));
    track.isMissing = fields.boolean(QLatin1String("isMissing"));
    if (!fields.ok())
        return std::unexpected(QStringLiteral("track: ") + fields.error());
    return track;
}

size_t qHash(const Track &track, size_t seed)
{
    seed = qHashMulti(seed, track.id, track.url, track.title, track.artist, track.album);
    seed = hashOptional(seed, track.albumArtist);
    seed = hashOptional(seed, track.year);
    seed = hashOptional(seed, track.trackNumber);
    seed = hashOptional(seed, track.genre);
    seed = qHashMulti(seed, track.duration, track.fileSize, track.modifiedAt);
    seed = hashOptional(seed, track.artworkFileName);
    return qHashMulti(seed, track.isMissing);
}
