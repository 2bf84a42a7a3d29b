#pragma once

#include "TrackSelection.h"
#include "VisibleTrackList.h"

#include <QUuid>

#include <optional>

// How a click on a row changes the selected rows and the anchor of range selection: Ctrl toggles
// the row and makes it the anchor; Shift selects from the anchor to the row, both visible, and
// keeps the anchor; any other click (also Shift without a usable anchor) selects the row alone,
// makes it the anchor and plays it. Ctrl is tested before Shift; other modifiers do not count.
struct TrackClickSelection
{
    TrackSelection selected;
    std::optional<QUuid> anchor;
    bool plays = false;

    static TrackClickSelection after(const TrackSelection &selected, const std::optional<QUuid> &anchor,
                                     const QUuid &clicked, Qt::KeyboardModifiers modifiers,
                                     const VisibleTrackList &visible);
};
