#pragma once

#include <QImage>

// Masks of one colour (8-bit coverage, Format_Alpha8) for soft layers: text halos, drop shadows.
// Blurring a mask instead of a coloured image costs a quarter, and the colour is applied once.
namespace Masks {

// The alpha channel of a premultiplied ARGB image.
QImage coverage(const QImage &image);
// A three-pass box blur in place, close to a Gaussian of `radius` pixels.
void blur(QImage &mask, qreal radius);
// How far the blur of `radius` spreads a mask beyond its edge, in pixels.
int reach(qreal radius);
// The mask in one colour, premultiplied.
QImage tinted(const QImage &mask, const QColor &color);

} // namespace Masks
