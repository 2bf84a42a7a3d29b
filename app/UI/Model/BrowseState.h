#pragma once

#include "LibrarySelection.h"

#include "Library/TrackSort.h"

#include <QString>

// The inputs of the track list that the user controls: what is shown, the search and the sort.
struct BrowseState
{
    LibrarySelection selection;
    QString searchText;
    TrackSort sort = TrackSort::Title;
    bool ascending = true;
    // A shown playlist is sorted by column instead of kept in its own order.
    bool playlistSorting = false;

    // False for a playlist shown in its own order.
    bool sortsColumns() const { return !selection.isPlaylist() || playlistSorting; }

    friend bool operator==(const BrowseState &, const BrowseState &) = default;
};
