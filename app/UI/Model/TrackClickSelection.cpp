#include "TrackClickSelection.h"

TrackClickSelection TrackClickSelection::after(const QSet<QUuid> &selected, const std::optional<QUuid> &anchor,
                                               const QUuid &clicked, Qt::KeyboardModifiers modifiers,
                                               const VisibleTrackList &visible)
{
    if (modifiers.testFlag(Qt::ControlModifier)) {
        QSet<QUuid> toggled = selected;
        if (!toggled.remove(clicked))
            toggled.insert(clicked);
        return {toggled, clicked, false};
    }
    if (modifiers.testFlag(Qt::ShiftModifier) && anchor) {
        const qsizetype from = visible.indexOf(*anchor);
        const qsizetype to = from >= 0 ? visible.indexOf(clicked) : -1;
        if (to >= 0) {
            QSet<QUuid> range;
            for (qsizetype index = std::min(from, to); index <= std::max(from, to); ++index)
                range.insert(visible.at(index).id);
            return {range, anchor, false};
        }
    }
    return {{clicked}, clicked, true};
}
