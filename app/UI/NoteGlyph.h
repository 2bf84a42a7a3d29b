#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QSvgRenderer>

#include <memory>
#include <optional>

// The bundled note image "NoteGlyph". It is a resource that may be missing; every user of it
// has a fallback to the music note symbol drawn in code.
namespace NoteGlyph {

// The bundled image, or null when the program carries none.
std::unique_ptr<QSvgRenderer> load();

// Where the glyph goes in a square image of `size`: full height, centred horizontally with its
// aspect ratio kept (a glyph wider than high is cut at both sides).
QRectF templateRect(QSizeF source, qreal size);

// The glyph drawn into a square template image of `size`, or none without the bundled image.
std::optional<QImage> templateImage(qreal size, qreal devicePixelRatio = 1.0);

} // namespace NoteGlyph
