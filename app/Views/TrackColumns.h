#pragma once

// The column metrics that the sort bar and every track row share, so titles and cells line up.
// The title column takes the width that is left.
namespace TrackColumns {

inline constexpr int leading = 24;
inline constexpr int spacing = 10;
inline constexpr int rowPadding = 8;
inline constexpr int artist = 110;
inline constexpr int album = 130;
inline constexpr int duration = 50;
inline constexpr int added = 82;
inline constexpr int rowHeight = 34;

// The list's own margins around the rows, and the gap between two rows.
inline constexpr int listPadding = 18;
inline constexpr int rowGap = 2;

} // namespace TrackColumns
