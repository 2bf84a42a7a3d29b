#pragma once

#include <QFont>

// Sizes in the designs are logical pixels, so fonts are sized in pixels, never in points.
namespace Fonts {

QFont system(qreal pixelSize, QFont::Weight weight = QFont::Normal);

} // namespace Fonts
