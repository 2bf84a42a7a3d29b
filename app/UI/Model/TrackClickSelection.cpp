#include "TrackClickSelection.h"

TrackClickSelection TrackClickSelection::after(const TrackSelection &selected, const std::optional<QUuid> &anchor,
                                               const QUuid &clicked, Qt::KeyboardModifiers modifiers,
                                               const VisibleTrackList &visible)
{
    if (modifiers.testFlag(Qt::ControlModifier)) {
        QSet<QUuid> toggled = selected.ids();
        if (!toggled.remove(clicked))
            toggled.insert(clicked);
        return {toggled, clicked, false};
    }
    if (modifiers.testFlag(Qt::ShiftModifier) && anchor) {
        const qsizetype from = visible.indexOf(*anchor);
        const qsizetype to = from >= 0 ? visible.indexOf(clicked) : -1;
        if (to >= 0)
            return {TrackSelection::range(visible, std::min(from, to), std::max(from, to)), anchor, false};
    }
    return {QSet<QUuid>{clicked}, clicked, true};
}
