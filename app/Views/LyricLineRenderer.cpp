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

// A three-pass box blur of a premultiplied image, close to a Gaussian of the given radius.
QImage blurred(const QImage &source, qreal radius)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int box = std::max(1, int(std::lround(radius * 0.6)));
    const int width = image.width();
    const int height = image.height();
    std::vector<std::array<int, 4>> line(size_t(std::max(width, height)));
    auto pass = [&](auto pixelAt, int length, int count) {
        for (int index = 0; index < count; ++index) {
            for (int i = 0; i < length; ++i) {
                const QRgb pixel = *pixelAt(index, i);
                line[size_t(i)] = {qAlpha(pixel), qRed(pixel), qGreen(pixel), qBlue(pixel)};
            }
            std::array<int, 4> sum{};
            const int window = 2 * box + 1;
            for (int i = -box; i <= box; ++i) {
                const auto &value = line[size_t(std::clamp(i, 0, length - 1))];
                for (int c = 0; c < 4; ++c)
                    sum[size_t(c)] += value[size_t(c)];
            }
            for (int i = 0; i < length; ++i) {
                *pixelAt(index, i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
                const auto &leaving = line[size_t(std::clamp(i - box, 0, length - 1))];
                const auto &entering = line[size_t(std::clamp(i + box + 1, 0, length - 1))];
                for (int c = 0; c < 4; ++c)
                    sum[size_t(c)] += entering[size_t(c)] - leaving[size_t(c)];
            }
        }
    };
    auto rowPixel = [&](int row, int column) { return reinterpret_cast<QRgb *>(image.scanLine(row)) + column; };
    auto columnPixel = [&](int column, int row) { return reinterpret_cast<QRgb *>(image.scanLine(row)) + column; };
    for (int round = 0; round < 3; ++round) {
        pass(rowPixel, width, height);
        pass(columnPixel, height, width);
    }
    return image;
}

// The shape of `glyphs` in one colour.
QImage tinted(const QImage &glyphs, const QColor &color)
{
    QImage image(glyphs.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(glyphs.devicePixelRatio());
    image.fill(color);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, glyphs);
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

    QColor fill = style.fill;
    fill.setAlphaF(float(fill.alphaF() * style.emphasis));
    QImage letters(glyphs.size(), QImage::Format_ARGB32_Premultiplied);
    letters.setDevicePixelRatio(devicePixelRatio);
    letters.fill(Qt::transparent);
    {
        QPainter painter(&letters);
        if (style.outline) {
            painter.drawImage(0, 0, blurred(tinted(glyphs, style.stroke), 2.6 * devicePixelRatio));
            QColor ring = style.stroke;
            ring.setAlphaF(float(ring.alphaF() * 0.75));
            const QImage ringGlyphs = tinted(glyphs, ring);
            for (qreal dx : {-1.2, 0.0, 1.2}) {
                for (qreal dy : {-1.2, 0.0, 1.2}) {
                    if (dx != 0 || dy != 0)
                        painter.drawImage(QPointF(dx, dy), ringGlyphs);
                }
            }
        }
        painter.drawImage(0, 0, tinted(glyphs, fill));
    }

    // A soft drop shadow one pixel down.
    const QColor shadowColor(0, 0, 0, style.outline ? 46 : 66);
    const qreal shadowRadius = style.outline ? 2.0 : 2.5;
    QImage result(glyphs.size(), QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.drawImage(QPointF(0, 1), blurred(tinted(letters, shadowColor), shadowRadius * devicePixelRatio));
        painter.drawImage(0, 0, letters);
    }
    return QPixmap::fromImage(std::move(result));
}
