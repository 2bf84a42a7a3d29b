#pragma once

#include "FieldValue.h"

#include <optional>
#include <string>

// Writes the given fields into an audio file through a temporary copy beside it, which replaces
// the file in one rename once TagLib has saved it. No failure changes the file at the path.
class TagWriter
{
public:
    // Nothing on success, else the message for the user.
    static std::optional<std::string> write(const char *path, const FieldMap &fields);
};
