#include "LyricsDuration.h"

#include <cmath>

namespace LyricsDuration {

std::optional<qint64> roundedSeconds(double seconds)
{
    constexpr double week = 7 * 24 * 3600;
    if (!std::isfinite(seconds) || seconds < 0 || seconds > week)
        return std::nullopt;
    return qint64(std::round(seconds));
}

} // namespace LyricsDuration
