#include "TagEditorLoad.h"

#include "CoverThumbnail.h"
#include "TagIO.h"

TagEditorLoad TagEditorLoad::run(const TagIO &tags, const QList<FileLocation> &files,
    const std::optional<FileLocation> &readTags, int coverSide)
{
    TagEditorLoad load;
    load.capabilities = TagFormatCapabilities::combined(files);
    if (!readTags)
        return load;
    load.fields = tags.read(*readTags);
    if (load.fields && load.fields->artworkBase64) {
        // Strict: a stored cover that is not clean Base64 shows as no cover.
        const auto bytes = QByteArray::fromBase64Encoding(
            load.fields->artworkBase64->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (bytes)
            load.cover = CoverThumbnail::decode(*bytes, coverSide);
    }
    return load;
}
