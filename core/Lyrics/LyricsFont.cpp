#include "LyricsFont.h"

#include <algorithm>
#include <cmath>

namespace LyricsFont {

double size(double width)
{
    if (std::isnan(width))
        return minSize;
    const double clamped = std::min(maxWidth, std::max(minWidth, width));
    const double fraction = (clamped - minWidth) / (maxWidth - minWidth);
    return minSize + fraction * (maxSize - minSize);
}

} // namespace LyricsFont
