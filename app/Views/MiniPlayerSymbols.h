#pragma once

#include <QFont>
#include <QImage>

// The mini player's one symbol the shared icons lack, drawn like them (see Icons): a template
// image for a square of `pointSize` logical pixels.
namespace MiniPlayerSymbols {

// A flat bar with arrows pointing away from it, up and down: back to the full window.
QImage rectangleExpandVertical(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio = 1.0);

} // namespace MiniPlayerSymbols
