#include "Track.h"

#include "Storage/JsonFields.h"

#include <QHashFunctions>

#include <string_view>

namespace {

template <typename T>
size_t hashOptional(size_t seed, const std::optional<T> &value)
{
    seed = qHashMulti(seed, value.has_value());
    return value ? qHashMulti(seed, *value) : seed;
}

} // namespace

void Track::write(JsonWriter &writer) const
{
    // Keys in sorted order.
    writer.beginObject();
    writer.key(QLatin1String("album"));
    writer.value(album);
    writer.optionalField(QLatin1String("albumArtist"), albumArtist);
    writer.key(QLatin1String("artist"));
    writer.value(artist);
    writer.optionalField(QLatin1String("artworkFileName"), artworkFileName);
    writer.key(QLatin1String("duration"));
    writer.value(duration); // a non-finite duration is written as 0, so one bad value never blocks a save
    writer.key(QLatin1String("fileSize"));
    writer.value(fileSize);
    writer.optionalField(QLatin1String("genre"), genre);
    writer.key(QLatin1String("id"));
    writer.value(id);
    writer.key(QLatin1String("isMissing"));
    writer.value(isMissing);
    writer.key(QLatin1String("modifiedAt"));
    writer.value(modifiedAt);
    writer.key(QLatin1String("title"));
    writer.value(title);
    writer.optionalField(QLatin1String("trackNumber"), trackNumber);
    writer.key(QLatin1String("url"));
    writer.value(url);
    writer.optionalField(QLatin1String("year"), year);
    writer.endObject();
}

std::expected<Track, QString> Track::read(JsonReader &reader)
{
    enum Required : unsigned {
        Id = 1 << 0, Url = 1 << 1, Title = 1 << 2, Artist = 1 << 3, Album = 1 << 4,
        Duration = 1 << 5, FileSize = 1 << 6, ModifiedAt = 1 << 7, IsMissing = 1 << 8,
        AllRequired = (1 << 9) - 1,
    };
    Track track;
    unsigned seen = 0;
    auto text = [&reader] { return reader.readString().value_or(QString()); };
    auto sharedText = [&reader] { return reader.readSharedString(); };
    auto integer = [&reader] { return reader.readInteger(); };

    if (!reader.beginObject())
        return std::unexpected(QStringLiteral("track: ") + reader.error());
    QByteArrayView key;
    while (reader.nextKey(key)) {
        // Compared inline: a library holds a hundred thousand tracks of a dozen keys each.
        const std::string_view name(key.data(), size_t(key.size()));
        if (name == "album") {
            track.album = sharedText().value_or(QString());
            seen |= Album;
        } else if (name == "albumArtist") {
            reader.readOptional(track.albumArtist, sharedText);
        } else if (name == "artist") {
            track.artist = sharedText().value_or(QString());
            seen |= Artist;
        } else if (name == "artworkFileName") {
            reader.readOptional(track.artworkFileName, [&] { return reader.readString(); });
        } else if (name == "duration") {
            track.duration = reader.readNumber().value_or(0);
            seen |= Duration;
        } else if (name == "fileSize") {
            track.fileSize = integer().value_or(0);
            seen |= FileSize;
        } else if (name == "genre") {
            reader.readOptional(track.genre, sharedText);
        } else if (name == "id") {
            const auto utf8 = reader.readUtf8();
            const auto uuid = utf8 ? Json::parseUuid(QLatin1StringView(*utf8)) : std::nullopt;
            if (utf8 && !uuid)
                reader.fail(QStringLiteral("id: not a UUID"));
            track.id = uuid.value_or(QUuid());
            seen |= Id;
        } else if (name == "isMissing") {
            track.isMissing = reader.readBool().value_or(false);
            seen |= IsMissing;
        } else if (name == "modifiedAt") {
            track.modifiedAt = reader.readNumber().value_or(0);
            seen |= ModifiedAt;
        } else if (name == "title") {
            track.title = text();
            seen |= Title;
        } else if (name == "trackNumber") {
            reader.readOptional(track.trackNumber, integer);
        } else if (name == "url") {
            const auto utf8 = reader.readUtf8();
            const auto location = utf8 ? FileLocation::fromUrlText(*utf8) : std::nullopt;
            if (utf8 && !location)
                reader.fail(QStringLiteral("url: not a file URL"));
            track.url = location.value_or(FileLocation());
            seen |= Url;
        } else if (name == "year") {
            reader.readOptional(track.year, integer);
        } else {
            reader.skipValue();
        }
    }
    if (!reader.ok())
        return std::unexpected(QStringLiteral("track: ") + reader.error());
    // Anything but a plain name could reach outside the covers folder.
    if (track.artworkFileName && !isCoverFileName(*track.artworkFileName))
        track.artworkFileName.reset();
    if (seen != AllRequired)
        return std::unexpected(QStringLiteral("track: a required key is missing"));
    return track;
}

bool Track::isCoverFileName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
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
