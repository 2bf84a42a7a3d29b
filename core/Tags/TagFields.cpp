#include "TagFields.h"

void TagFields::write(JsonWriter &writer) const
{
    // Keys in sorted order.
    writer.beginObject();
    writer.optionalField(QLatin1String("album"), album);
    writer.optionalField(QLatin1String("albumArtist"), albumArtist);
    writer.optionalField(QLatin1String("artist"), artist);
    writer.optionalField(QLatin1String("artworkBase64"), artworkBase64);
    writer.optionalField(QLatin1String("genre"), genre);
    writer.optionalField(QLatin1String("title"), title);
    writer.optionalField(QLatin1String("trackNumber"), trackNumber);
    writer.optionalField(QLatin1String("year"), year);
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
            reader.readOptional(fields.title, text);
        else if (key == "artist")
            reader.readOptional(fields.artist, text);
        else if (key == "album")
            reader.readOptional(fields.album, text);
        else if (key == "albumArtist")
            reader.readOptional(fields.albumArtist, text);
        else if (key == "year")
            reader.readOptional(fields.year, integer);
        else if (key == "trackNumber")
            reader.readOptional(fields.trackNumber, integer);
        else if (key == "genre")
            reader.readOptional(fields.genre, text);
        else if (key == "artworkBase64")
            reader.readOptional(fields.artworkBase64, text);
        else
            reader.skipValue();
    }
    if (!reader.ok())
        return std::unexpected(QStringLiteral("tag fields: ") + reader.error());
    return fields;
}
