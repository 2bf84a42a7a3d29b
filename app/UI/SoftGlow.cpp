#include "SoftGlow.h"

#include <QCache>
#include <QHash>
#include <QPainter>

#include <cmath>
#include <vector>

namespace {

constexpr qreal resolution = 0.5; // image pixels per logical pixel

struct GlowKey
{
    qreal diameter;
    qreal blurRadius;
    QRgb rgba;

    friend bool operator==(const GlowKey &, const GlowKey &) = default;
};

size_t qHash(const GlowKey &key, size_t seed)
{
    return qHashMulti(seed, key.diameter, key.blurRadius, key.rgba);
}

// Coverage of a disc of radius R blurred with a Gaussian of deviation s, at distance r from its
// centre: the integral over the disc's rings, each spread by the blur (Bessel I0 kernel).
// exp(-x) I0(x) keeps the terms finite for wide glows.
std::vector<float> radialProfile(qreal radius, qreal deviation, int samples, qreal step)
{
    constexpr int rings = 64;
    const qreal variance = deviation * deviation;
    const qreal ringWidth = radius / rings;
    std::vector<float> profile(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        const qreal r = i * step;
        qreal sum = 0;
        for (int k = 0; k < rings; ++k) {
            const qreal rho = (k + 0.5) * ringWidth;
            const qreal x = r * rho / variance;
            sum += rho * std::exp(-(r - rho) * (r - rho) / (2 * variance)) * std::exp(-x)
                * std::cyl_bessel_i(0.0, x);
        }
        profile[size_t(i)] = float(std::min(1.0, sum * ringWidth / variance));
    }
    return profile;
}

// How much of the glow covers each pixel; the costly part, shared by every colour.
QImage coverage(qreal diameter, qreal blurRadius)
{
    const qreal extent = SoftGlow::extent(diameter, blurRadius);
    const int side = std::max(1, int(std::ceil(2 * extent * resolution)));
    const qreal centre = side / 2.0;
    const int samples = int(std::ceil(centre * std::sqrt(2.0))) + 2;
    const std::vector<float> profile
        = radialProfile(diameter / 2, std::max(blurRadius, 1e-3), samples, 1.0 / resolution);

    QImage mask(side, side, QImage::Format_Alpha8);
    for (int y = 0; y < side; ++y) {
        uchar *line = mask.scanLine(y);
        for (int x = 0; x < side; ++x) {
            const qreal distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            const int index = std::min(int(distance), samples - 2);
            const qreal fraction = std::min(1.0, distance - index);
            const qreal value
                = profile[size_t(index)] * (1 - fraction) + profile[size_t(index) + 1] * fraction;
            line[x] = uchar(qRound(value * 255));
        }
    }
    return mask;
}

QImage render(qreal diameter, qreal blurRadius, const QColor &color)
{
    static QCache<GlowKey, QImage> masks(4);
    const GlowKey key { diameter, blurRadius, 0 }; // the colour plays no part in the coverage
    if (!masks.contains(key))
        masks.insert(key, new QImage(coverage(diameter, blurRadius)));
    const QImage &mask = *masks.object(key);

    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, mask);
    painter.end();
    image.setDevicePixelRatio(resolution);
    return image;
}

} // namespace

namespace SoftGlow {

qreal extent(qreal diameter, qreal blurRadius)
{
    return diameter / 2 + 3 * blurRadius;
}

QImage image(qreal diameter, qreal blurRadius, const QColor &color)
{
    // A few palettes' worth: every window of one palette shares its glows.
    static QCache<GlowKey, QImage> cache(16);
    const GlowKey key { diameter, blurRadius, color.rgba() };
    if (const QImage *cached = cache.object(key))
        return *cached;
    QImage glow = render(diameter, blurRadius, color);
    cache.insert(key, new QImage(glow));
    return glow;
}

} // namespace SoftGlow
