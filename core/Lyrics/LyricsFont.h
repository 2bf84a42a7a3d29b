#pragma once

// The size of the desktop overlay's lyric text, growing with the overlay's width.
namespace LyricsFont {

inline constexpr double minWidth = 320;
inline constexpr double maxWidth = 900;
inline constexpr double minSize = 18;
inline constexpr double maxSize = 36;

// Linear from minSize at minWidth to maxSize at maxWidth, constant outside; minSize for NaN.
double size(double width);

} // namespace LyricsFont
