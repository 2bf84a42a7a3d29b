#include "TagLibMetadataReader.h"

#include "CTagLib/TagSnapshot.h"
#include "Library/AudioStreamProbe.h"
#include "Library/MetadataValueRules.h"

#include <cmath>

#include <sys/stat.h>

namespace {

std::optional<QString> text(const std::string &utf8)
{
    return MetadataValueRules::text(QString::fromStdString(utf8));
}

AudioMetadata record(const TagSnapshot &tags, double duration)
{
    AudioMetadata metadata{
        .title = text(tags.title),
        .artist = text(tags.artist),
        .album = text(tags.album),
        .albumArtist = text(tags.albumArtist),
        .year = MetadataValueRules::year(QString::fromStdString(tags.yearText)),
        .trackNumber = MetadataValueRules::trackNumber(QString::fromStdString(tags.trackNumberText)),
        .genre = text(tags.genreText),
        .duration = duration,
    };
    const auto coverSize = qsizetype(tags.cover.size());
    if (coverSize > 0 && coverSize <= TagLibMetadataReader::maximumArtworkSize)
        metadata.artworkData = QByteArray(tags.cover.data(), coverSize);
    return metadata;
}

std::optional<AudioMetadata> readRegularFile(const FileLocation &url)
{
    const std::optional<TagSnapshot> tags = TagSnapshot::read(url.cPath());
    // TagLib takes random bytes named ".mp3" for an MPEG file of length 0: a length of 0 or none
    // leaves the verdict to libavformat.
    const std::optional<double> taglibDuration = tags ? tags->duration : std::nullopt;
    const std::optional<double> duration = taglibDuration > 0.0 ? taglibDuration
                                                                : AudioStreamProbe::readableDuration(url);
    if (!duration || !std::isfinite(*duration) || *duration < 0)
        return std::nullopt;
    return record(tags.value_or(TagSnapshot()), *duration);
}

} // namespace

std::optional<AudioMetadata> TagLibMetadataReader::read(const FileLocation &url) const
{
    try {
        // Only regular files: a FIFO or a device would block the probe.
        struct stat status{};
        if (::stat(url.cPath(), &status) != 0 || !S_ISREG(status.st_mode))
            return std::nullopt;
        return readRegularFile(url);
    } catch (...) {
        // A hostile file gives nothing, never a crash.
        return std::nullopt;
    }
}
