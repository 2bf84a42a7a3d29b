#pragma once

#include <QtGlobal>

#include <optional>

// A track's duration as the whole seconds that name a cache entry and go into a lyrics request.
namespace LyricsDuration {

// Rounded to the nearest second, halves away from zero; none for a duration that is not a
// number, infinite, negative or longer than a week, which cannot describe a real track.
std::optional<qint64> roundedSeconds(double seconds);

} // namespace LyricsDuration
