#include "LibraryIndex.h"

#include "Storage/JsonCodec.h"

void LibraryIndex::write(JsonWriter &writer) const
{
    writer.beginObject();
    writer.key(QLatin1String("folders"));
    writer.beginArray();
    for (const FileLocation &folder : folders)
        writer.value(folder);
    writer.endArray();
    writer.key(QLatin1String("tracks"));
    JsonCodec<QList<Track>>::write(tracks, writer);
    writer.endObject();
}

std::expected<LibraryIndex, QString> LibraryIndex::read(JsonReader &reader)
{
    LibraryIndex index;
    bool sawTracks = false;
    bool sawFolders = false;
    if (!reader.beginObject())
        return std::unexpected(QStringLiteral("library: ") + reader.error());
    QByteArrayView key;
    while (reader.nextKey(key)) {
        if (key == "tracks") {
            auto tracks = JsonCodec<QList<Track>>::read(reader);
            if (!tracks)
                return std::unexpected(QStringLiteral("library: ") + tracks.error());
            index.tracks = std::move(*tracks);
            sawTracks = true;
        } else if (key == "folders") {
            sawFolders = true;
            if (!reader.beginArray())
                break;
            while (reader.nextElement()) {
                const auto location = FileLocation::fromUrlText(reader.readString().value_or(QString()));
                if (!location) {
                    reader.fail(QStringLiteral("folders: not a file URL"));
                    break;
                }
                index.folders.append(*location);
            }
        } else {
            reader.skipValue();
        }
    }
    if (!reader.ok())
        return std::unexpected(QStringLiteral("library: ") + reader.error());
    if (!sawTracks || !sawFolders)
        return std::unexpected(QStringLiteral("library: a required key is missing"));
    return index;
}
