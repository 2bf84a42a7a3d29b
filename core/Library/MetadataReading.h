#pragma once

#include "Library/AudioMetadata.h"
#include "Storage/FileLocation.h"

#include <optional>

// Reads the tags, length and cover of one audio file. Callers run `read` on worker threads, many
// files at once, so every implementation must allow concurrent calls on one object.
class MetadataReading
{
public:
    virtual ~MetadataReading() = default;

    // A record, or nothing when the file is not readable as audio. Never throws; a file without
    // any tags still gives a record.
    virtual std::optional<AudioMetadata> read(const FileLocation &url) const = 0;
};
