#include "NoteGlyph.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace {

const QString resourcePath = QStringLiteral(":/images/NoteGlyph.svg");

} // namespace

namespace NoteGlyph {

std::unique_ptr<QSvgRenderer> load()
{
    if (!QFile::exists(resourcePath))
        return nullptr;
    auto renderer = std::make_unique<QSvgRenderer>(resourcePath);
    if (!renderer->isValid())
        return nullptr;
    return renderer;
}

QRectF templateRect(QSizeF source, qreal size)
{
    const qreal aspect = source.width() / std::max(source.height(), 1.0);
    const qreal width = aspect * size;
    return QRectF((size - width) * 0.5, 0, width, size);
}

std::optional<QImage> templateImage(qreal size, qreal devicePixelRatio)
{
    const std::unique_ptr<QSvgRenderer> glyph = load();
    if (!glyph)
        return std::nullopt;
    QImage image((QSizeF(size, size) * devicePixelRatio).toSize().expandedTo(QSize(1, 1)),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    glyph->render(&painter, templateRect(glyph->viewBoxF().size(), size));
    return image;
}

} // namespace NoteGlyph
