#pragma once

#include <QImage>

// The settings cards' symbols, drawn as line templates for a square of `pointSize` logical pixels
// at the regular weight; tinted with the palette's accent where they are shown.
namespace SettingsIcons {

QImage tag(qreal pointSize, qreal devicePixelRatio);
QImage folder(qreal pointSize, qreal devicePixelRatio);
QImage internalDrive(qreal pointSize, qreal devicePixelRatio);
QImage textAlignLeft(qreal pointSize, qreal devicePixelRatio);
QImage paintPalette(qreal pointSize, qreal devicePixelRatio);

} // namespace SettingsIcons
