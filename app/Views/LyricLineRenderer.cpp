#include "LyricLineRenderer.h"

#include "UI/Fonts.h"
#include "UI/Masks.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr qreal minimumScale = 0.5;
constexpr int textFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// The font, shrunk in steps towards half its size until the text fits its lines.
QFont fittedFont(const QString &text, const LyricLineStyle &style, qreal width)
{
    QFont font = Fonts::system(style.pixelSize, style.weight);
    for (qreal scale = 1.0; scale >= minimumScale - 1e-9; scale -= 0.05) {
        font = Fonts::system(style.pixelSize * scale, style.weight);
        const QFontMetricsF metrics(font);
        const QRectF bounds = metrics.boundingRect(QRectF(0, 0, width, 1e6), textFlags, text);
        if (bounds.height() <= metrics.lineSpacing() * style.maxLines + 0.5)
            return font;
    }
    return font;
}

// The text laid out in at most maxLines lines; the last one elided when the text goes on.
QStringList fittedLines(const QString &text, const QFont &font, const LyricLineStyle &style, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == style.maxLines - 1) {
            const QString rest = text.mid(line.textStart());
            lines.append(QFontMetricsF(font).elidedText(rest.simplified(), Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

// A mask brought down to logical resolution, where soft blurs lose nothing and cost a quarter
// on a dense screen: 2 x 2 averages at the usual ratio of 2.
QImage reduced(const QImage &mask, qreal ratio)
{
    if (ratio <= 1.0)
        return mask;
    if (ratio != 2.0) {
        const QSize logical = (QSizeF(mask.size()) / ratio).toSize().expandedTo(QSize(1, 1));
        return mask.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_Alpha8);
    }
    const int width = std::max(1, mask.width() / 2);
    const int height = std::max(1, mask.height() / 2);
    QImage small(width, height, QImage::Format_Alpha8);
    small.fill(0);
    for (int y = 0; 2 * y + 1 < mask.height(); ++y) {
        const uchar *upper = mask.constScanLine(2 * y);
        const uchar *lower = mask.constScanLine(2 * y + 1);
        uchar *target = small.scanLine(y);
        for (int x = 0; 2 * x + 1 < 2 * width; ++x)
            target[x] = uchar((upper[2 * x] + upper[2 * x + 1] + lower[2 * x] + lower[2 * x + 1] + 2) / 4);
    }
    return small;
}

// Twice the size (and one more pixel, copied, where `size` is odd), interpolated linearly: each
// new pixel lies a quarter of the way between two old ones.
QImage doubled(const QImage &small, QSize size)
{
    const int width = small.width();
    const int height = small.height();
    QImage large(size, QImage::Format_Alpha8);
    // Rows first, in quarters: 3 x nearer + farther.
    std::vector<int> rows(size_t(width) * 2);
    for (int y = 0; y < size.height(); ++y) {
        const int near = std::min(y / 2, height - 1);
        const int far = std::clamp(y % 2 ? near + 1 : near - 1, 0, height - 1);
        const uchar *nearer = small.constScanLine(near);
        const uchar *farther = small.constScanLine(far);
        int *blended = rows.data();
        for (int x = 0; x < width; ++x)
            blended[x] = 3 * nearer[x] + farther[x];
        uchar *target = large.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int left = blended[std::max(x - 1, 0)];
            const int right = blended[std::min(x + 1, width - 1)];
            target[2 * x] = uchar((3 * blended[x] + left + 8) >> 4);
            target[2 * x + 1] = uchar((3 * blended[x] + right + 8) >> 4);
        }
        if (size.width() > 2 * width)
            target[2 * width] = target[2 * width - 1];
    }
    return large;
}

// A logical-resolution mask stretched back to `size` device pixels, interpolated linearly.
QImage enlarged(const QImage &small, QSize size)
{
    if (small.size() == size)
        return small;
    if (size.width() / 2 == small.width() && size.height() / 2 == small.height())
        return doubled(small, size);
    // Where each target column and row samples the small mask: the left neighbour and the
    // weight of the right one, in 256ths.
    auto samples = [](int target, int source) {
        std::vector<std::pair<int, int>> table(static_cast<size_t>(target));
        const qreal scale = qreal(source) / target;
        for (int i = 0; i < target; ++i) {
            const qreal at = std::clamp((i + 0.5) * scale - 0.5, 0.0, qreal(source - 1));
            const int left = std::min(int(at), source - 1);
            table[size_t(i)] = {left, int(std::lround((at - left) * 256))};
        }
        return table;
    };
    const auto columns = samples(size.width(), small.width());
    const auto rows = samples(size.height(), small.height());
    const int lastColumn = small.width() - 1;
    const int lastRow = small.height() - 1;
    QImage large(size, QImage::Format_Alpha8);
    std::vector<int> blended(size_t(small.width()));
    for (int y = 0; y < size.height(); ++y) {
        const auto [row, rowWeight] = rows[size_t(y)];
        const uchar *upper = small.constScanLine(row);
        const uchar *lower = small.constScanLine(std::min(row + 1, lastRow));
        for (int x = 0; x <= lastColumn; ++x)
            blended[size_t(x)] = upper[x] * (256 - rowWeight) + lower[x] * rowWeight;
        uchar *target = large.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const auto [column, weight] = columns[size_t(x)];
            const int value = blended[size_t(column)] * (256 - weight)
                + blended[size_t(std::min(column + 1, lastColumn))] * weight;
            target[x] = uchar((value + (1 << 15)) >> 16);
        }
    }
    return large;
}

// The ring of an outline: the mask shifted by `offset` device pixels in the eight directions,
// each copy at `opacity`, laid over one another. What the copies let through multiplies, so it is
// summed as logarithms: a 3 x 3 sum of taps `offset` apart, taken across and then down, less the
// centre.
QImage ringMask(const QImage &mask, int offset, qreal opacity)
{
    constexpr int steps = 64; // per unit of natural logarithm
    std::array<uint16_t, 256> darkness;
    for (int a = 0; a < 256; ++a)
        darkness[size_t(a)] = uint16_t(std::lround(-std::log(1 - opacity * a / 255.0) * steps));
    std::vector<uchar> coverOf(size_t(8 * darkness[255] + 1));
    for (size_t d = 0; d < coverOf.size(); ++d)
        coverOf[d] = uchar(std::lround(255 * (1 - std::exp(-double(d) / steps))));

    const int width = mask.width();
    const int height = mask.height();
    // Darkness with `offset` empty pixels all round, and its sums across, with the same rows.
    const int paddedWidth = width + 2 * offset;
    const int paddedHeight = height + 2 * offset;
    std::vector<uint16_t> dark(size_t(paddedWidth) * paddedHeight, 0);
    for (int y = 0; y < height; ++y) {
        const uchar *source = mask.constScanLine(y);
        uint16_t *target = dark.data() + size_t(y + offset) * paddedWidth + offset;
        for (int x = 0; x < width; ++x)
            target[x] = darkness[source[x]];
    }
    std::vector<uint16_t> across(size_t(width) * paddedHeight);
    for (int y = 0; y < paddedHeight; ++y) {
        const uint16_t *source = dark.data() + size_t(y) * paddedWidth + offset;
        uint16_t *target = across.data() + size_t(y) * width;
        for (int x = 0; x < width; ++x)
            target[x] = uint16_t(source[x - offset] + source[x] + source[x + offset]);
    }
    QImage ring(mask.size(), QImage::Format_Alpha8);
    for (int y = 0; y < height; ++y) {
        const uint16_t *above = across.data() + size_t(y) * width;
        const uint16_t *level = above + size_t(offset) * width;
        const uint16_t *below = level + size_t(offset) * width;
        const uint16_t *centre = dark.data() + size_t(y + offset) * paddedWidth + offset;
        uchar *target = ring.scanLine(y);
        for (int x = 0; x < width; ++x)
            target[x] = coverOf[size_t(above[x] + level[x] + below[x] - centre[x])];
    }
    return ring;
}

// Coverage in a layer whose colour has the given alpha, for each coverage of its mask.
std::array<uchar, 256> coverTable(int alpha)
{
    std::array<uchar, 256> table;
    for (int a = 0; a < 256; ++a)
        table[size_t(a)] = uchar((a * alpha + 127) / 255);
    return table;
}

// Coverages out of 255 as weights out of 256.
std::array<int, 256> weightTable(const std::array<uchar, 256> &cover)
{
    std::array<int, 256> table;
    for (size_t a = 0; a < 256; ++a)
        table[a] = (cover[a] * 256 + 127) / 255;
    return table;
}

} // namespace

size_t qHash(const LyricLineRenderer::Key &key, size_t seed)
{
    return qHashMulti(seed, key.text, key.style.pixelSize, int(key.style.weight), key.style.emphasis,
        key.style.maxLines, key.style.fill.rgba(), key.style.outline, key.style.stroke.rgba(), key.width,
        key.devicePixelRatio);
}

QPixmap LyricLineRenderer::line(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio)
{
    const Key key{text, style, width, devicePixelRatio};
    if (const auto found = m_cache.constFind(key); found != m_cache.constEnd())
        return *found;
    // Drawn ahead but not yet handed over: taken at once. Still being drawn: drawn here too, the
    // screen cannot wait.
    const QFutureWatcher<QImage> *pending = m_pending.value(key);
    QPixmap pixmap = pending && pending->isFinished() ? QPixmap::fromImage(pending->result())
                                                     : draw(text, style, width, devicePixelRatio);
    keep(key, pixmap);
    return pixmap;
}

void LyricLineRenderer::prepare(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio)
{
    const Key key{text, style, width, devicePixelRatio};
    if (text.isEmpty() || m_cache.contains(key) || m_pending.contains(key))
        return;
    auto *watcher = new QFutureWatcher<QImage>(this);
    m_pending.insert(key, watcher);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, key, watcher] {
        m_pending.remove(key);
        if (!m_cache.contains(key))
            keep(key, QPixmap::fromImage(watcher->result()));
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(&LyricLineRenderer::image, text, style, width, devicePixelRatio));
}

bool LyricLineRenderer::isReady(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio) const
{
    return m_cache.contains(Key{text, style, width, devicePixelRatio});
}

void LyricLineRenderer::keep(const Key &key, const QPixmap &pixmap)
{
    if (m_order.size() >= capacity)
        m_cache.remove(m_order.takeFirst());
    m_order.append(key);
    m_cache.insert(key, pixmap);
}

QPixmap LyricLineRenderer::draw(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio)
{
    return QPixmap::fromImage(image(text, style, width, devicePixelRatio));
}

QImage LyricLineRenderer::image(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio)
{
    const qreal textWidth = width - 2 * margin;
    if (text.isEmpty() || textWidth <= 0)
        return {};
    const QFont font = fittedFont(text, style, textWidth);
    const QFontMetricsF metrics(font);
    const QStringList lines = fittedLines(text, font, style, textWidth);
    qreal widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QSize size(int(std::ceil(std::min(widest, textWidth))) + 2 * margin,
        int(std::ceil(metrics.lineSpacing() * lines.size())) + 2 * margin);

    QImage glyphs(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    glyphs.setDevicePixelRatio(devicePixelRatio);
    glyphs.fill(Qt::transparent);
    {
        QPainter painter(&glyphs);
        painter.setFont(font);
        painter.setPen(Qt::white);
        const QRectF area(margin, margin, size.width() - 2 * margin, size.height() - 2 * margin);
        painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, lines.join(QLatin1Char('\n')));
    }

    // The layers, back to front: a drop shadow, then for an outline a blurred halo and a ring of
    // shifted copies in the stroke colour, then the fill. Each is a mask of one colour; the masks
    // are made once and laid over one another in one pass.
    const QImage coverage = Masks::coverage(glyphs);
    const QSize device = coverage.size();
    QColor fill = style.fill;
    fill.setAlphaF(float(fill.alphaF() * style.emphasis));
    const std::array<uchar, 256> fillCover = coverTable(fill.alpha());
    const std::array<uchar, 256> strokeCover = coverTable(style.stroke.alpha());

    // The halo and the ring are two layers of the stroke colour; the shadow is cast by everything
    // drawn, and being soft it is worked out at logical resolution.
    const QImage reducedCoverage = reduced(coverage, devicePixelRatio);
    QImage halo;
    QImage ring;
    if (style.outline) {
        halo = reducedCoverage;
        Masks::blur(halo, 2.6);
        ring = ringMask(coverage, std::max(1, int(std::lround(1.2 * devicePixelRatio))), 0.75);
    }
    QImage shadow(reducedCoverage.size(), QImage::Format_Alpha8);
    const QImage reducedRing = style.outline ? reduced(ring, devicePixelRatio) : QImage();
    for (int y = 0; y < shadow.height(); ++y) {
        const uchar *glyph = reducedCoverage.constScanLine(y);
        const uchar *soft = style.outline ? halo.constScanLine(y) : nullptr;
        const uchar *shifted = style.outline ? reducedRing.constScanLine(y) : nullptr;
        uchar *target = shadow.scanLine(y);
        for (int x = 0; x < shadow.width(); ++x) {
            int clear = 255 - fillCover[glyph[x]];
            if (soft)
                clear = clear * (255 - strokeCover[soft[x]]) / 255 * (255 - strokeCover[shifted[x]]) / 255;
            target[x] = uchar(255 - clear);
        }
    }
    Masks::blur(shadow, style.outline ? 2.0 : 2.5);
    shadow = enlarged(shadow, device);
    if (style.outline)
        halo = enlarged(halo, device);
    const std::array<uchar, 256> shadowCover = coverTable(style.outline ? 46 : 66);
    const int shadowDrop = std::max(1, int(std::lround(devicePixelRatio)));

    // Fill over stroke over the black shadow, premultiplied. Coverages are in 256ths here, so
    // products divide by shifting.
    const std::array<int, 256> fillWeight = weightTable(fillCover);
    const std::array<int, 256> strokeWeight = weightTable(strokeCover);
    const std::array<int, 256> shadowWeight = weightTable(shadowCover);
    const uint32_t strokeRgb[3] = {uint32_t(style.stroke.red()), uint32_t(style.stroke.green()), uint32_t(style.stroke.blue())};
    const uint32_t fillRgb[3] = {uint32_t(fill.red()), uint32_t(fill.green()), uint32_t(fill.blue())};
    QImage result(device, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < device.height(); ++y) {
        const uchar *glyph = coverage.constScanLine(y);
        const uchar *soft = style.outline ? halo.constScanLine(y) : nullptr;
        const uchar *shifted = style.outline ? ring.constScanLine(y) : nullptr;
        const uchar *cast = y >= shadowDrop ? shadow.constScanLine(y - shadowDrop) : nullptr;
        auto *target = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < device.width(); ++x) {
            const uint32_t f = uint32_t(fillWeight[glyph[x]]);
            const uint32_t t = soft ? 256 - (((256 - strokeWeight[soft[x]]) * (256 - strokeWeight[shifted[x]])) >> 8) : 0;
            const uint32_t s = cast ? uint32_t(shadowWeight[cast[x]]) : 0;
            if ((f | t | s) == 0) {
                target[x] = 0;
                continue;
            }
            const uint32_t fillShare = f << 8;
            const uint32_t strokeShare = t * (256 - f);
            auto channel = [&](int i) { return (fillRgb[i] * fillShare + strokeRgb[i] * strokeShare) >> 16; };
            const uint32_t alpha = 255 - (((256 - s) * (256 - t) * (256 - f)) * 255 >> 24);
            target[x] = qRgba(int(channel(0)), int(channel(1)), int(channel(2)), int(alpha));
        }
    }
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}
