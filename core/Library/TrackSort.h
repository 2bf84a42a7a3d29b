#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

// The sort keys of the track list. Stored by name; dateAdded orders by the file's stored
// modification date.
enum class TrackSort { Title, Artist, Album, Duration, DateAdded };

inline constexpr std::array allTrackSorts{TrackSort::Title, TrackSort::Artist, TrackSort::Album,
                                          TrackSort::Duration, TrackSort::DateAdded};

inline size_t qHash(TrackSort sort, size_t seed = 0)
{
    return qHash(std::to_underlying(sort), seed);
}

// "title", "artist", "album", "duration" or "dateAdded".
QString trackSortName(TrackSort sort);
// Nothing for any other name.
std::optional<TrackSort> trackSortFromName(QStringView name);
