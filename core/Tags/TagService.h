#pragma once

#include "TagFields.h"
#include "TagServiceError.h"

#include "Storage/FileLocation.h"

#include <QByteArray>

#include <expected>
#include <optional>

// The core's door to the tag bridge: a file location and TagFields in, the bridge's path and JSON
// text out, and back. Holds no state; any thread may use it.
class TagService
{
public:
    // The file's tags; every field absent for a file without tags, nothing when the file's tags
    // cannot be read at all.
    std::optional<TagFields> read(const FileLocation &file) const;
    // Writes the present fields through a temporary copy beside the file; absent fields stay as
    // they are. Writing no field at all leaves the file untouched, even a missing one.
    std::expected<void, TagServiceError> write(const TagFields &fields, const FileLocation &file) const;

    // The JSON text handed to the bridge.
    static QByteArray jsonData(const TagFields &fields);
};
