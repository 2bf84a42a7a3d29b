#include "MiniPlayerPlacement.h"

#include <algorithm>

namespace MiniPlayerPlacement {

QPointF origin(std::optional<QPointF> saved, const QList<QRectF> &screens, QSizeF panelSize)
{
    if (screens.isEmpty())
        return saved.value_or(QPointF());
    if (!saved)
        return {screens.first().right() - panelSize.width() - margin, screens.first().top() + margin};
    const auto containing = std::ranges::find_if(screens, [&](const QRectF &area) { return area.contains(*saved); });
    const QRectF area = containing != screens.end() ? *containing : screens.first();
    // The far edge wins when the panel is larger than the area.
    const qreal x = std::min(std::max(saved->x(), area.left()), area.right() - panelSize.width());
    const qreal y = std::min(std::max(saved->y(), area.top()), area.bottom() - panelSize.height());
    return {x, y};
}

} // namespace MiniPlayerPlacement
