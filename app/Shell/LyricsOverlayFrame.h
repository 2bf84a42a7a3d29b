#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// Where the desktop lyrics sit, in Qt's screen coordinates (y grows downwards). Pure geometry,
// so the rules are tested without windows.
namespace LyricsOverlayFrame {

inline constexpr QSize minSize{280, 70};
inline constexpr QSize maxSize{1200, 420};
inline constexpr QSize defaultSize{560, 120};
inline constexpr QSize controlsSize{64, 30};
// How far outside the overlay the pointer still counts as over it.
inline constexpr int hoverMargin = 4;

// "{{x, y}, {width, height}}", the form the frame is stored in.
QString text(const QRect &frame);
// Nothing for a text that is not of that form.
std::optional<QRect> parse(const QString &text);

// Centred on the main screen's usable area, 90 px above its bottom; at the origin without a screen.
QRect defaultFrame(const std::optional<QRect> &mainArea);
// The stored frame when it is large enough and touches one of the screens' usable areas (cut
// down to the maximum size), else the default frame. Not moved onto a screen.
QRect restored(const std::optional<QString> &stored, const QList<QRect> &areas, const std::optional<QRect> &mainArea);
// The frame moved and sized into the usable area of the first screen it touches (else the main
// one); a usable area smaller than the minimum wins over the minimum. Nothing without a screen.
std::optional<QRect> onScreen(const QRect &frame, const QList<QRect> &areas, const std::optional<QRect> &mainArea);
// The frame widened by delta around its centre within the limits; nothing when the width stays.
std::optional<QRect> widened(const QRect &frame, int delta);
// The frame dragged by its bottom-right corner: the top-left corner stays.
QRect resizedFromCorner(const QRect &start, QPoint pointerMovement);
// The locked controls: centred, 8 px above the overlay's bottom edge, at least 6 px inside its sides.
QPoint controlsOrigin(const QRect &frame);
bool isInHoverZone(const QRect &frame, QPoint pointer);

} // namespace LyricsOverlayFrame
