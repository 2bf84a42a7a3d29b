#pragma once

#include <QByteArray>
#include <QImage>

// Cover images decoded once, at the size they are shown, instead of at full size on every paint.
namespace CoverThumbnail {

// Decoding refuses images that would need more memory than this (megabytes).
inline constexpr int allocationLimitMegabytes = 256;

// The image in the bytes, scaled down (never up) so that it just covers a square of `side` device
// pixels with its aspect ratio kept; a null image when the bytes are no image Qt can decode.
QImage decode(const QByteArray &bytes, int side);

} // namespace CoverThumbnail
