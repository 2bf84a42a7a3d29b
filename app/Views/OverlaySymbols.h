#pragma once

#include <QImage>

// The desktop lyrics' symbols, drawn in code as template images (only their alpha counts) for a
// square of `pointSize` logical pixels.
namespace OverlaySymbols {

QImage lockOpen(qreal pointSize, qreal devicePixelRatio);
QImage textSmaller(qreal pointSize, qreal devicePixelRatio);
QImage textLarger(qreal pointSize, qreal devicePixelRatio);
// A window squeezed into a strip: opens the mini player.
QImage miniPlayerOpen(qreal pointSize, qreal devicePixelRatio);
// The same window struck through: closes it.
QImage miniPlayerClose(qreal pointSize, qreal devicePixelRatio);
QImage cross(qreal pointSize, qreal devicePixelRatio);
// Four arrows pointing away from the centre.
QImage moveArrows(qreal pointSize, qreal devicePixelRatio);

} // namespace OverlaySymbols
