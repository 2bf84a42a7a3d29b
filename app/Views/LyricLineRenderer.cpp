#include "LyricLineRenderer.h"

#include "UI/Fonts.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

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

// The alpha channel of an image as a plain mask.
QImage alphaMask(const QImage &image)
{
    QImage mask = image.convertToFormat(QImage::Format_Alpha8);
    mask.setDevicePixelRatio(image.devicePixelRatio());
    return mask;
}

// A three-pass box blur of a mask, close to a Gaussian of `radius` pixels. Only the mask is
// blurred: every blurred layer is of one colour.
QImage blurredAtScale(QImage mask, qreal radius)
{
    const int box = std::max(1, int(std::lround(radius * 0.6)));
    const int window = 2 * box + 1;
    const int width = mask.width();
    const int height = mask.height();
    const qsizetype stride = mask.bytesPerLine();
    uchar *bits = mask.bits();
    std::vector<uchar> line(size_t(std::max(width, height)));
    // One pass over `count` runs of `length` pixels, `step` bytes apart, the runs `gap` bytes apart.
    auto pass = [&](int length, int count, qsizetype step, qsizetype gap) {
        for (int run = 0; run < count; ++run) {
            uchar *pixels = bits + run * gap;
            for (int i = 0; i < length; ++i)
                line[size_t(i)] = pixels[i * step];
            int sum = 0;
            for (int i = -box; i <= box; ++i)
                sum += line[size_t(std::clamp(i, 0, length - 1))];
            for (int i = 0; i < length; ++i) {
                pixels[i * step] = uchar(sum / window);
                sum += line[size_t(std::min(i + box + 1, length - 1))] - line[size_t(std::max(i - box, 0))];
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        pass(width, height, 1, stride);
        pass(height, width, stride, 1);
    }
    return mask;
}

// Blurred at logical resolution: a soft halo loses nothing there, and dense screens cost no more.
QImage blurred(const QImage &mask, qreal radius)
{
    const qreal ratio = mask.devicePixelRatio();
    if (ratio <= 1.0)
        return blurredAtScale(mask, radius);
    const QSize logical = (QSizeF(mask.size()) / ratio).toSize().expandedTo(QSize(1, 1));
    QImage small = blurredAtScale(
        mask.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_Alpha8), radius);
    QImage result = small.scaled(mask.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_Alpha8);
    result.setDevicePixelRatio(ratio);
    return result;
}

// The ring of an outline: the mask shifted by `offset` device pixels in the eight directions,
// each copy at `opacity`, laid over one another.
QImage ringMask(const QImage &mask, int offset, qreal opacity)
{
    QImage ring(mask.size(), QImage::Format_Alpha8);
    ring.setDevicePixelRatio(mask.devicePixelRatio());
    const int width = mask.width();
    const int height = mask.height();
    // What one copy of coverage a lets through, out of 255.
    std::array<int, 256> through{};
    for (int a = 0; a < 256; ++a)
        through[size_t(a)] = 255 - int(std::lround(opacity * a));
    for (int y = 0; y < height; ++y) {
        const uchar *rows[3] = {y + offset < height ? mask.constScanLine(y + offset) : nullptr, mask.constScanLine(y),
            y - offset >= 0 ? mask.constScanLine(y - offset) : nullptr};
        uchar *target = ring.scanLine(y);
        for (int x = 0; x < width; ++x) {
            // Most of a line is empty: nothing near, no ring.
            const int left = std::max(x - offset, 0);
            const int right = std::min(x + offset, width - 1);
            if (!(rows[0] && (rows[0][left] | rows[0][x] | rows[0][right])) && !(rows[1][left] | rows[1][right])
                && !(rows[2] && (rows[2][left] | rows[2][x] | rows[2][right]))) {
                target[x] = 0;
                continue;
            }
            int light = 255;
            for (int r = 0; r < 3; ++r) {
                const uchar *row = rows[r];
                if (!row)
                    continue;
                if (x + offset < width)
                    light = light * through[row[x + offset]] / 255;
                if (r != 1)
                    light = light * through[row[x]] / 255;
                if (x - offset >= 0)
                    light = light * through[row[x - offset]] / 255;
            }
            target[x] = uchar(255 - light);
        }
    }
    return ring;
}

// The mask filled with one colour.
QImage tinted(const QImage &mask, const QColor &color)
{
    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(mask.devicePixelRatio());
    std::array<QRgb, 256> shades;
    for (int a = 0; a < 256; ++a)
        shades[size_t(a)] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), a * color.alpha() / 255));
    const int width = mask.width();
    const int height = mask.height();
    for (int y = 0; y < height; ++y) {
        const uchar *source = mask.constScanLine(y);
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            target[x] = shades[source[x]];
    }
    return image;
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
    QPixmap pixmap = draw(text, style, width, devicePixelRatio);
    if (m_order.size() >= capacity)
        m_cache.remove(m_order.takeFirst());
    m_order.append(key);
    m_cache.insert(key, pixmap);
    return pixmap;
}

QPixmap LyricLineRenderer::draw(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio)
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

    const QImage mask = alphaMask(glyphs);
    QColor fill = style.fill;
    fill.setAlphaF(float(fill.alphaF() * style.emphasis));
    QImage letters(glyphs.size(), QImage::Format_ARGB32_Premultiplied);
    letters.setDevicePixelRatio(devicePixelRatio);
    letters.fill(Qt::transparent);
    {
        QPainter painter(&letters);
        if (style.outline) {
            painter.drawImage(0, 0, tinted(blurred(mask, 2.6 * devicePixelRatio), style.stroke));
            const int offset = std::max(1, int(std::lround(1.2 * devicePixelRatio)));
            painter.drawImage(0, 0, tinted(ringMask(mask, offset, 0.75), style.stroke));
        }
        painter.drawImage(0, 0, tinted(mask, fill));
    }

    // A soft drop shadow one pixel down.
    const QColor shadowColor(0, 0, 0, style.outline ? 46 : 66);
    const qreal shadowRadius = style.outline ? 2.0 : 2.5;
    const QImage shadow = tinted(blurred(alphaMask(letters), shadowRadius * devicePixelRatio), shadowColor);
    QImage result(glyphs.size(), QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.drawImage(QPointF(0, 1), shadow);
        painter.drawImage(0, 0, letters);
    }
    return QPixmap::fromImage(std::move(result));
}
