#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where the mini player panel appears, in Qt's screen coordinates (y grows downwards).
namespace MiniPlayerPlacement {

inline constexpr qreal margin = 20;

// A saved origin is kept on the screen whose usable area contains it, else pulled onto the
// primary screen's usable area; without a saved origin the panel sits `margin` in from the top
// right corner of the primary screen's usable area. `screens` are the usable areas, the primary
// first; with no screen at all a saved origin stays as it is and a first showing goes to (0, 0).
QPointF origin(std::optional<QPointF> saved, const QList<QRectF> &screens, QSizeF panelSize);

} // namespace MiniPlayerPlacement
