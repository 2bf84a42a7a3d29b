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

// The search field's magnifying glass, the settings gear and the drop overlay's folder with a
// plus badge, each for a square of `pointSize` logical pixels; lighter weights draw thinner lines.
QImage magnifyingGlass(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage gear(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage folderBadgePlus(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

} // namespace Icons
