#pragma once

#include <QFont>
#include <QImage>

// The code-drawn symbols of the lyrics page, as template images for a square of `pointSize`
// logical pixels (only their alpha counts; tint them with Icons::tinted). Heavier weights draw
// thicker lines.
namespace LyricsPageSymbols {

enum class Symbol {
    chevronLeft, // back to the list
    waveform, // the lyrics' origin
    squareArrowDown, // import a file
    arrowClockwise, // search again
    arrowUturnBackward, // back to automatic lyrics
    textAlignLeft, // no lyrics
};

QImage image(Symbol symbol, qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

} // namespace LyricsPageSymbols
