#pragma once

#include <optional>

// Where a loaded JSON value came from.
enum class LoadSource {
    Primary,    // the main file decoded
    Backup,     // the main file failed, its "bak" companion decoded
    Unreadable, // nothing decoded, but the main file or its backup exists
    Absent,     // nothing decoded and neither file exists
};

// A value read with fallback: `value` is present exactly when the source is Primary or Backup.
template <typename T>
struct Loaded
{
    std::optional<T> value;
    LoadSource source = LoadSource::Absent;
};
