#pragma once

#include <QString>

// One line of lyrics: when it begins and its words.
struct LyricLine
{
    double time = 0; // seconds from the start of the track; 0 in unsynchronised lyrics
    QString text; // without time tags; may be empty in synchronised lyrics

    friend bool operator==(const LyricLine &, const LyricLine &) = default;
};
