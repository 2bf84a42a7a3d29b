#include "Lyrics.h"

#include <algorithm>
#include <cmath>

std::optional<qsizetype> Lyrics::index(double seconds) const
{
    if (!isSynced || lines.isEmpty() || std::isnan(seconds))
        return std::nullopt;
    // Runs on every position update: binary search over the sorted times.
    const auto after = std::upper_bound(lines.cbegin(), lines.cend(), seconds,
        [](double time, const LyricLine &line) { return time < line.time; });
    if (after == lines.cbegin())
        return std::nullopt;
    return qsizetype(after - lines.cbegin()) - 1;
}
