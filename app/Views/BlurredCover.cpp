#include "BlurredCover.h"

#include "TrackCoverView.h"

#include <cmath>
#include <vector>

namespace BlurredCover {

namespace {

constexpr int bucketStep = 256;

// One pass of a box blur of half width `radius` along rows (or columns, through the strides).
void boxPass(quint8 *data, int count, int length, qsizetype lineStride, qsizetype pixelStride, int radius)
{
    std::vector<int> sums(4);
    std::vector<quint8> line(size_t(length) * 4);
    const int window = 2 * radius + 1;
    for (int lineIndex = 0; lineIndex < count; ++lineIndex) {
        quint8 *start = data + lineIndex * lineStride;
        for (int i = 0; i < length; ++i)
            std::copy_n(start + i * pixelStride, 4, line.begin() + i * 4);
        auto at = [&](int i, int channel) { return int(line[size_t(std::clamp(i, 0, length - 1)) * 4 + channel]); };
        for (int channel = 0; channel < 4; ++channel) {
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += at(i, channel);
            for (int i = 0; i < length; ++i) {
                start[i * pixelStride + channel] = quint8((sum + window / 2) / window);
                sum += at(i + radius + 1, channel) - at(i - radius, channel);
            }
        }
    }
}

} // namespace

int sizeBucket(qreal pixelSide)
{
    return std::max(bucketStep, int(std::ceil(pixelSide / bucketStep)) * bucketStep);
}

QImage blurred(const QImage &source, qreal deviation)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Three boxes of width w spread like a Gaussian of variance 3 (w² − 1) / 12.
    const int radius = int(std::lround((std::sqrt(4 * deviation * deviation + 1) - 1) / 2));
    if (radius < 1 || image.isNull())
        return image;
    const qsizetype stride = image.bytesPerLine();
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(image.bits(), image.height(), image.width(), stride, 4, radius);
        boxPass(image.bits(), image.width(), image.height(), 4, stride, radius);
    }
    return image;
}

QImage make(const FileLocation &cover, int side, qreal blurRadius)
{
    const QImage thumbnail = TrackCoverView::decode(cover, thumbnailSide);
    if (thumbnail.isNull())
        return {};
    const int shortSide = std::min(thumbnail.width(), thumbnail.height());
    const QImage square = thumbnail.copy((thumbnail.width() - shortSide) / 2, (thumbnail.height() - shortSide) / 2,
        shortSide, shortSide).scaled(thumbnailSide, thumbnailSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The blur's radius in thumbnail pixels; its deviation is about half the radius.
    const qreal thumbnailRadius = blurRadius * thumbnailSide / std::max(1, side);
    const QImage soft = blurred(square, thumbnailRadius / 2);
    const int bucket = sizeBucket(side);
    return soft.scaled(bucket, bucket, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace BlurredCover
