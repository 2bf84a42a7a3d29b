#pragma once

#include <QFont>
#include <QImage>

// The track list's symbols, drawn in code as template images for a square of `pointSize`
// logical pixels (only their alpha counts; tint them with Icons::tinted). Lighter weights draw
// thinner lines.
namespace TrackListSymbols {

QImage arrowClockwise(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage chevron(bool up, qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage warningTriangle(qreal pointSize, qreal devicePixelRatio);
QImage xmark(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage musicNoteList(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage pencil(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage wandAndStars(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage folder(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage trash(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);
QImage minusCircle(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio);

} // namespace TrackListSymbols
