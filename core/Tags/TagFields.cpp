#include "TagFields.h"

namespace {

template <typename T>
void writeOptional(JsonWriter &writer, QLatin1StringView key, const std::optional<T> &value)
{
    if (value) {
        writer.key(key);
        writer.value(*value);
    }
}

template <typename T, typename Read>
void readOptional(JsonReader &reader, std::optional<T> &field, Read read)
{
    if (reader.skipNull())
        field.reset();
    else
        field = read();
}

} // namespace

void TagFields::write(JsonWriter &writer) const
{
    // Keys in sorted order.
    writer.beginObject();
    writeOptional(writer, QLatin1String("album"), album);
    writeOptional(writer, QLatin1String("albumArtist"), albumArtist);
    writeOptional(writer, QLatin1String("artist"), artist);
    writeOptional(writer, QLatin1String("artworkBase64"), artworkBase64);
    writeOptional(writer, QLatin1String("genre"), genre);
    writeOptional(writer, QLatin1String("title"), title);
    writeOptional(writer, QLatin1String("trackNumber"), trackNumber);
    writeOptional(writer, QLatin1String("year"), year);
    writer.endObject();
}

std::expected<TagFields, QString> TagFields::read(JsonReader &reader)
{
    TagFields fields;
    auto text = [&reader] { return reader.readString(); };
    auto integer = [&reader] { return reader.readInteger(); };

    if (!reader.beginObject())
        return std::unexpected(QStringLiteral("tag fields: ") + reader.error());
    QByteArrayView key;
    while (reader.nextKey(key)) {
        if (key == "title")
            readOptional(reader, fields.title, text);
        else if (key == "artist")
            readOptional(reader, fields.artist, text);
        else if (key == "album")
            readOptional(reader, fields.album, text);
        else if (key == "albumArtist")
            readOptional(reader, fields.albumArtist, text);
        else if (key == "year")
            readOptional(reader, fields.year, integer);
        else if (key == "trackNumber")
            readOptional(reader, fields.trackNumber, integer);
        else if (key == "genre")
            readOptional(reader, fields.genre, text);
        else if (key == "artworkBase64")
            readOptional(reader, fields.artworkBase64, text);
        else
            reader.skipValue();
    }
    if (!reader.ok())
        return std::unexpected(QStringLiteral("tag fields: ") + reader.error());
    return fields;
}
