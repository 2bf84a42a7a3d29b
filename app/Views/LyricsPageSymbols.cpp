#include "LyricsPageSymbols.h"

#include "UI/Icons.h"

#include <QPainter>
#include <QPainterPath>

#include <utility>

namespace LyricsPageSymbols {

namespace {

// Every path is drawn in a unit square (0…1 both ways).
QPainterPath path(Symbol symbol)
{
    QPainterPath path;
    switch (symbol) {
    case Symbol::chevronLeft:
        path.moveTo(0.66, 0.12);
        path.lineTo(0.3, 0.5);
        path.lineTo(0.66, 0.88);
        break;
    case Symbol::waveform: {
        const qreal heights[] = { 0.24, 0.56, 0.86, 0.44, 0.7, 0.3 };
        for (int i = 0; i < 6; ++i) {
            const qreal x = 0.12 + i * 0.152;
            path.moveTo(x, 0.5 - heights[i] / 2);
            path.lineTo(x, 0.5 + heights[i] / 2);
        }
        break;
    }
    case Symbol::squareArrowDown:
        path.moveTo(0.32, 0.4);
        path.lineTo(0.12, 0.4);
        path.lineTo(0.12, 0.92);
        path.lineTo(0.88, 0.92);
        path.lineTo(0.88, 0.4);
        path.lineTo(0.68, 0.4);
        path.moveTo(0.5, 0.06);
        path.lineTo(0.5, 0.66);
        path.moveTo(0.32, 0.49);
        path.lineTo(0.5, 0.67);
        path.lineTo(0.68, 0.49);
        break;
    case Symbol::arrowClockwise:
        path.arcMoveTo(QRectF(0.14, 0.16, 0.72, 0.72), 60);
        path.arcTo(QRectF(0.14, 0.16, 0.72, 0.72), 60, 300);
        path.moveTo(0.46, 0.06);
        path.lineTo(0.7, 0.2);
        path.lineTo(0.52, 0.4);
        break;
    case Symbol::arrowUturnBackward:
        path.moveTo(0.36, 0.12);
        path.lineTo(0.14, 0.34);
        path.lineTo(0.36, 0.56);
        path.moveTo(0.14, 0.34);
        path.lineTo(0.62, 0.34);
        path.arcTo(QRectF(0.4, 0.34, 0.48, 0.52), 90, -180);
        path.lineTo(0.3, 0.86);
        break;
    case Symbol::textAlignLeft:
        for (const auto &[y, length] : { std::pair { 0.18, 0.76 }, { 0.39, 0.52 }, { 0.61, 0.76 }, { 0.82, 0.44 } }) {
            path.moveTo(0.12, y);
            path.lineTo(0.12 + length, y);
        }
        break;
    }
    return path;
}

} // namespace

QImage image(Symbol symbol, qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio,
                             [symbol](QPainter &painter) { painter.drawPath(path(symbol)); });
}

} // namespace LyricsPageSymbols
