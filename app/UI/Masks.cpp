#include "Masks.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

int boxRadius(qreal radius)
{
    return std::max(1, int(std::lround(radius * 0.6)));
}

} // namespace

namespace Masks {

QImage coverage(const QImage &image)
{
    QImage mask(image.size(), QImage::Format_Alpha8);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *target = mask.scanLine(y);
        for (int x = 0; x < width; ++x)
            target[x] = uchar(source[x] >> 24);
    }
    return mask;
}

void blur(QImage &mask, qreal radius)
{
    const int box = boxRadius(radius);
    const int window = 2 * box + 1;
    // Division by the window as a multiplication.
    const int reciprocal = (1 << 16) / window + 1;
    const int width = mask.width();
    const int height = mask.height();
    // Along each row: the row between copies of its edge values, so the running sum needs no clamps.
    std::vector<uchar> line(static_cast<size_t>(width + 2 * box + 1));
    auto across = [&] {
        for (int y = 0; y < height; ++y) {
            uchar *pixels = mask.scanLine(y);
            uchar *padded = line.data() + box;
            std::copy(pixels, pixels + width, padded);
            std::fill(line.data(), padded, padded[0]);
            std::fill(padded + width, padded + width + box + 1, padded[width - 1]);
            int sum = 0;
            for (int i = -box; i <= box; ++i)
                sum += padded[i];
            for (int x = 0; x < width; ++x) {
                pixels[x] = uchar((sum * reciprocal) >> 16);
                sum += padded[x + box + 1] - padded[x - box];
            }
        }
    };
    // Down the columns, all of them at once, row by row.
    std::vector<int> sums(static_cast<size_t>(width));
    auto down = [&] {
        const QImage source = mask.copy();
        auto row = [&](int y) { return source.constScanLine(std::clamp(y, 0, height - 1)); };
        std::fill(sums.begin(), sums.end(), 0);
        for (int i = -box; i <= box; ++i) {
            const uchar *pixels = row(i);
            for (int x = 0; x < width; ++x)
                sums[size_t(x)] += pixels[x];
        }
        for (int y = 0; y < height; ++y) {
            uchar *target = mask.scanLine(y);
            const uchar *entering = row(y + box + 1);
            const uchar *leaving = row(y - box);
            for (int x = 0; x < width; ++x) {
                target[x] = uchar((sums[size_t(x)] * reciprocal) >> 16);
                sums[size_t(x)] += entering[x] - leaving[x];
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        across();
        down();
    }
}

int reach(qreal radius)
{
    return 3 * boxRadius(radius);
}

QImage tinted(const QImage &mask, const QColor &color)
{
    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(mask.devicePixelRatio());
    std::array<QRgb, 256> shades;
    for (int a = 0; a < 256; ++a)
        shades[size_t(a)] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), a * color.alpha() / 255));
    const int width = mask.width();
    for (int y = 0; y < mask.height(); ++y) {
        const uchar *source = mask.constScanLine(y);
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            target[x] = shades[source[x]];
    }
    return image;
}

} // namespace Masks
