#include "TrackFactory.h"

#include "FilenameParser.h"
#include "Storage/FileTime.h"
#include "Tags/MojibakeRepair.h"

namespace {

// What the file name offers: the parser's guesses and the bare stem, the title of last resort.
struct NameFallback
{
    ParsedFilename parsed;
    QString stem;

    explicit NameFallback(const FileLocation &url)
    {
        const QString name = url.fileNameText();
        parsed = FilenameParser::parse(name);
        // trimmed() drops exactly white space and line breaks (including next line and the line
        // and paragraph separators). The stem is used as it is: never repaired.
        stem = FilenameParser::deletingPathExtension(name).trimmed().toString();
    }
};

// Fills the descriptive fields from tags freshly read or just written; the cover is not used.
void describe(Track &track, const TagFields &tags)
{
    const NameFallback name(track.url);
    track.title = TrackFactory::clean(tags.title)
                      .or_else([&] { return TrackFactory::clean(name.parsed.title); })
                      .value_or(name.stem);
    track.artist = TrackFactory::clean(tags.artist)
                       .or_else([&] { return TrackFactory::clean(name.parsed.artist); })
                       .value_or(QString());
    track.album = TrackFactory::clean(tags.album).value_or(QString());
    track.albumArtist = TrackFactory::clean(tags.albumArtist);
    track.year = tags.year;
    track.trackNumber = tags.trackNumber ? tags.trackNumber : name.parsed.trackNumber;
    track.genre = TrackFactory::clean(tags.genre);
}

} // namespace

namespace TrackFactory {

std::optional<QString> clean(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return MojibakeRepair::repaired(trimmed).value_or(trimmed);
}

namespace {

Track described(const FileLocation &url, const std::optional<AudioMetadata> &metadata, const QUuid &id)
{
    Track track;
    track.id = id;
    track.url = url;
    const AudioMetadata tags = metadata.value_or(AudioMetadata{});
    describe(track, TagFields{tags.title, tags.artist, tags.album, tags.albumArtist, tags.year, tags.trackNumber,
                              tags.genre, std::nullopt});
    track.duration = tags.duration;
    return track;
}

} // namespace

Track make(const FileLocation &url, const std::optional<AudioMetadata> &metadata, const QUuid &id,
           FileOperations &files)
{
    if (const auto status = files.status(url))
        return make(url, metadata, id, *status);
    Track track = described(url, metadata, id);
    track.modifiedAt = FileTime::nowReferenceSeconds();
    return track;
}

Track make(const FileLocation &url, const std::optional<AudioMetadata> &metadata, const QUuid &id,
           const FileStatus &status)
{
    Track track = described(url, metadata, id);
    track.fileSize = status.size;
    track.modifiedAt = FileTime::referenceSeconds(status.modified);
    return track;
}

Track applying(const TagFields &fields, const Track &track)
{
    Track applied = track;
    describe(applied, fields);
    return applied;
}

} // namespace TrackFactory
