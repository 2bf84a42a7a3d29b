#include "TrackSort.h"

QString trackSortName(TrackSort sort)
{
    switch (sort) {
    case TrackSort::Title:
        return QStringLiteral("title");
    case TrackSort::Artist:
        return QStringLiteral("artist");
    case TrackSort::Album:
        return QStringLiteral("album");
    case TrackSort::Duration:
        return QStringLiteral("duration");
    case TrackSort::DateAdded:
        return QStringLiteral("dateAdded");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<TrackSort> trackSortFromName(QStringView name)
{
    for (TrackSort sort : allTrackSorts) {
        if (trackSortName(sort) == name)
            return sort;
    }
    return std::nullopt;
}
