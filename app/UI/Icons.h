#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

// Shared icon sizes and the symbols drawn in code. Symbols are template images: only their
// alpha counts, and they take the palette's colour through tinted().
namespace Icons {

// Point size of the transport symbols (play, pause, previous, next).
inline constexpr qreal pointSize = 20;

// The template's shape filled with `color` (the colour's own opacity included).
QImage tinted(const QImage &templateImage, const QColor &color);

// The music note symbol for a square of `pointSize` logical pixels; heavier weights draw a
// thicker stem.
QImage musicNote(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

} // namespace Icons
