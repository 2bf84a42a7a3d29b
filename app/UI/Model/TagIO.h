#pragma once

#include "Storage/FileLocation.h"
#include "Tags/TagFields.h"
#include "Tags/TagServiceError.h"

#include <expected>
#include <functional>
#include <memory>
#include <optional>

// Reads and writes the tags of audio files. Any thread may use one; file jobs take one each.
class TagIO
{
public:
    virtual ~TagIO() = default;

    // Nothing when the file's tags cannot be read at all.
    virtual std::optional<TagFields> read(const FileLocation &file) const = 0;
    // Writes the present fields through a temporary copy beside the file.
    virtual std::expected<void, TagServiceError> write(const TagFields &fields, const FileLocation &file) const = 0;
};

using TagIOFactory = std::function<std::shared_ptr<const TagIO>()>;
