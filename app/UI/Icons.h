#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

#include <functional>

class QPainter;

// Shared icon sizes and the symbols drawn in code. Symbols are template images: only their
// alpha counts, and they take the palette's colour through tinted().
namespace Icons {

// A transparent canvas for a square symbol of the size in logical pixels at the pixel ratio.
QImage transparentSquare(qreal pointSize, qreal devicePixelRatio);
// Line width in unit coordinates for a font weight: 0.08 of the square at the regular weight.
qreal unitLineWidth(QFont::Weight weight);
// A template symbol that `draw` paints in a unit square with a round black pen of `lineWidth`.
QImage lineSymbol(qreal pointSize, qreal lineWidth, qreal devicePixelRatio,
                  const std::function<void(QPainter &)> &draw);
// The same with the line width of a font weight.
QImage lineSymbol(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio,
                  const std::function<void(QPainter &)> &draw);

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

// Every symbol function draws its symbol for a square of `pointSize` logical pixels.
using Symbol = QImage (*)(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);

// Transport and playback-mode symbols of the player bar. play and pause are filled shapes.
QImage backwardEnd(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage forwardEnd(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage play(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage pause(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage arrowRight(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage repeat(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage repeatOne(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage shuffle(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

// The speaker without waves, crossed out (muted), and with one or three waves.
QImage speakerSlash(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage speakerWave1(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage speakerWave3(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

// Desktop lyrics (left-aligned lines) and the switch to the mini player (a bar pressed flat).
QImage textAlignLeft(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage rectangleCompressVertical(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

// The sidebar's row and button symbols.
QImage musicNoteList(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage clock(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage folder(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage arrowClockwise(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage trash(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);
QImage plus(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

} // namespace Icons
