#pragma once

#include "Library/MetadataReading.h"

// Reads tags, cover and length with TagLib, through the same routine as the tag bridge. Files
// that TagLib cannot open, or opens without a length, are judged by libavformat. Keeps nothing
// between calls, so any number of reads may run at once.
class TagLibMetadataReader final : public MetadataReading
{
public:
    // A larger embedded cover is dropped; the rest of the record stays.
    static constexpr qsizetype maximumArtworkSize = 32 * 1024 * 1024;

    std::optional<AudioMetadata> read(const FileLocation &url) const override;
};
