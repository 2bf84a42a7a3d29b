#include "CoverThumbnail.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace CoverThumbnail {

QImage decode(const QByteArray &bytes, int side)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAllocationLimit(allocationLimitMegabytes);
    const QSize full = reader.size();
    if (!full.isEmpty()) {
        const qreal scale = std::max(qreal(side) / full.width(), qreal(side) / full.height());
        if (scale < 1)
            reader.setScaledSize((QSizeF(full) * scale).toSize().expandedTo(QSize(1, 1)));
    }
    return reader.read();
}

} // namespace CoverThumbnail
