#include "LyricsOverlayFrame.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace LyricsOverlayFrame {

QString text(const QRect &frame)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

std::optional<QRect> parse(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^\s*\{\s*\{\s*(-?[\d.]+)\s*,\s*(-?[\d.]+)\s*\}\s*,\s*\{\s*([\d.]+)\s*,\s*([\d.]+)\s*\}\s*\}\s*$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = match.captured(i + 1).toDouble(&ok);
        if (!ok || !std::isfinite(values[i]) || std::abs(values[i]) > 1e6)
            return std::nullopt;
    }
    return QRect(int(std::lround(values[0])), int(std::lround(values[1])), int(std::lround(values[2])),
        int(std::lround(values[3])));
}

QRect defaultFrame(const std::optional<QRect> &mainArea)
{
    if (!mainArea)
        return QRect(QPoint(0, 0), defaultSize);
    const int centreX = mainArea->x() + mainArea->width() / 2;
    const int bottom = mainArea->y() + mainArea->height();
    return QRect(centreX - defaultSize.width() / 2, bottom - 90 - defaultSize.height(), defaultSize.width(),
        defaultSize.height());
}

QRect restored(const std::optional<QString> &stored, const QList<QRect> &areas, const std::optional<QRect> &mainArea)
{
    const std::optional<QRect> frame = stored ? parse(*stored) : std::nullopt;
    if (!frame || frame->width() < minSize.width() || frame->height() < minSize.height())
        return defaultFrame(mainArea);
    const bool visible = std::any_of(areas.begin(), areas.end(), [&](const QRect &area) { return area.intersects(*frame); });
    if (!visible)
        return defaultFrame(mainArea);
    return QRect(frame->topLeft(),
        QSize(std::min(frame->width(), maxSize.width()), std::min(frame->height(), maxSize.height())));
}

std::optional<QRect> onScreen(const QRect &frame, const QList<QRect> &areas, const std::optional<QRect> &mainArea)
{
    const auto touched = std::find_if(areas.begin(), areas.end(), [&](const QRect &area) { return area.intersects(frame); });
    const std::optional<QRect> area = touched != areas.end() ? std::optional(*touched) : mainArea;
    if (!area)
        return std::nullopt;
    const int width = std::min(std::max(frame.width(), minSize.width()), std::min(area->width(), maxSize.width()));
    const int height = std::min(std::max(frame.height(), minSize.height()), std::min(area->height(), maxSize.height()));
    const int x = std::min(std::max(frame.x(), area->x()), area->x() + area->width() - width);
    const int y = std::min(std::max(frame.y(), area->y()), area->y() + area->height() - height);
    return QRect(x, y, width, height);
}

std::optional<QRect> widened(const QRect &frame, int delta)
{
    const int width = std::min(std::max(frame.width() + delta, minSize.width()), maxSize.width());
    if (width == frame.width())
        return std::nullopt;
    return QRect(frame.x() - (width - frame.width()) / 2, frame.y(), width, frame.height());
}

QRect resizedFromCorner(const QRect &start, QPoint pointerMovement)
{
    const int width = std::min(std::max(start.width() + pointerMovement.x(), minSize.width()), maxSize.width());
    const int height = std::min(std::max(start.height() + pointerMovement.y(), minSize.height()), maxSize.height());
    return QRect(start.topLeft(), QSize(width, height));
}

QPoint controlsOrigin(const QRect &frame)
{
    constexpr int inset = 6;
    int x = frame.x() + frame.width() / 2 - controlsSize.width() / 2;
    x = std::max(x, frame.x() + inset);
    x = std::min(x, frame.x() + frame.width() - controlsSize.width() - inset);
    const int y = frame.y() + frame.height() - 8 - controlsSize.height();
    return QPoint(x, y);
}

bool isInHoverZone(const QRect &frame, QPoint pointer)
{
    return frame.adjusted(-hoverMargin, -hoverMargin, hoverMargin, hoverMargin).contains(pointer);
}

} // namespace LyricsOverlayFrame
