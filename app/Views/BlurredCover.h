#pragma once

#include "Storage/FileLocation.h"

#include <QImage>

// The blurred cover behind the lyrics page. A blur as wide as the page's would cost far too much
// at full size, so the cover is decoded at about 48 pixels, blurred there and only then scaled
// up: at that width of blur the small image has all the detail there is.
namespace BlurredCover {

inline constexpr int thumbnailSide = 48;

// Square sides are rounded up to whole steps, so that a window resized a little reuses its image.
int sizeBucket(qreal pixelSide);

// The cover blurred by `blurRadius` pixels as it would look drawn at `side` pixels, made
// at a side of sizeBucket(side). Null when the file cannot be read. Safe on any thread.
QImage make(const FileLocation &cover, int side, qreal blurRadius);

// Three box blurs in a row, a close match of a Gaussian of that deviation; edges repeat.
QImage blurred(const QImage &image, qreal deviation);

} // namespace BlurredCover
