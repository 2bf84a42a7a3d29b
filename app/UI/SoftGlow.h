#pragma once

#include <QColor>
#include <QImage>

// A filled circle under a Gaussian blur, as an image. Blurring is far too slow for every frame,
// so images are made once per diameter, blur radius and colour and then reused.
namespace SoftGlow {

// Half the glow's side: the circle's radius plus three blur radii, where the glow has faded out.
qreal extent(qreal diameter, qreal blurRadius);

// The glow centred in a square of side 2 x extent(), in logical pixels. Drawn at reduced
// resolution: a blur this wide has no detail to lose.
QImage image(qreal diameter, qreal blurRadius, const QColor &color);

} // namespace SoftGlow
