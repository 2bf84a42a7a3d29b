#pragma once

#include "LyricLine.h"

#include <QList>

#include <optional>

// The lyrics of a track. Synchronised lines are sorted by time; unsynchronised lines all have
// time 0 and keep the order of the text.
struct Lyrics
{
    QList<LyricLine> lines;
    bool isSynced = false;

    // The last line whose time is at most `seconds` (the last of equal times), or none before the
    // first line, for unsynchronised lyrics and for a time that is not a number.
    std::optional<qsizetype> index(double seconds) const;

    friend bool operator==(const Lyrics &, const Lyrics &) = default;
};
