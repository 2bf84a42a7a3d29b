#include "TrackSelection.h"

#include <algorithm>

TrackSelection::TrackSelection(QSet<QUuid> ids)
{
    if (!ids.isEmpty())
        d = std::make_shared<const Data>(Data{std::nullopt, std::move(ids)});
}

TrackSelection TrackSelection::range(const VisibleTrackList &visible, qsizetype first, qsizetype last)
{
    TrackSelection selection;
    if (first > last)
        return selection;
    const TrackSource &source = *visible.source();
    Marks marks{visible.source(), std::vector<bool>(size_t(source.tracks().size()), false), 0};
    for (qsizetype index = first; index <= last; ++index) {
        const auto row = size_t(source.firstRowOfTrack(visible.sourceRow(index)));
        if (!marks.rows[row]) {
            marks.rows[row] = true;
            ++marks.count;
        }
    }
    selection.d = std::make_shared<const Data>(Data{std::move(marks), std::nullopt});
    return selection;
}

qsizetype TrackSelection::size() const
{
    if (!d)
        return 0;
    return d->marks ? d->marks->count : d->ids->size();
}

bool TrackSelection::contains(const QUuid &trackID) const
{
    return d && ids().contains(trackID);
}

bool TrackSelection::containsRow(const VisibleTrackList &list, qsizetype index) const
{
    if (!d)
        return false;
    if (d->marks && d->marks->source == list.source())
        return d->marks->rows[size_t(list.source()->firstRowOfTrack(list.sourceRow(index)))];
    const QUuid &trackID = list.at(index).id;
    // Comparing with a few identifiers costs less than hashing one.
    if (!d->marks && d->ids->size() <= 8)
        return std::ranges::find(*d->ids, trackID) != d->ids->cend();
    return ids().contains(trackID);
}

std::vector<bool> TrackSelection::rowsOf(const VisibleTrackList &list) const
{
    std::vector<bool> rows(size_t(list.size()), false);
    if (!d)
        return rows;
    if (d->marks && d->marks->source == list.source()) {
        const TrackSource &source = *list.source();
        const std::vector<bool> &marks = d->marks->rows;
        for (qsizetype index = 0; index < list.size(); ++index)
            rows[size_t(index)] = marks[size_t(source.firstRowOfTrack(list.sourceRow(index)))];
        return rows;
    }
    for (qsizetype index = 0; index < list.size(); ++index)
        rows[size_t(index)] = containsRow(list, index);
    return rows;
}

const QSet<QUuid> &TrackSelection::ids() const
{
    static const QSet<QUuid> none;
    if (!d)
        return none;
    if (!d->ids) {
        const Marks &marks = *d->marks;
        const QList<Track> &tracks = marks.source->tracks();
        QSet<QUuid> ids;
        ids.reserve(marks.count);
        for (qsizetype row = 0; row < tracks.size(); ++row) {
            if (marks.rows[size_t(row)])
                ids.insert(tracks.at(row).id);
        }
        d->ids = std::move(ids);
    }
    return *d->ids;
}

bool operator==(const TrackSelection &a, const TrackSelection &b)
{
    if (a.d == b.d)
        return true;
    if (a.size() != b.size())
        return false;
    if (a.d && b.d && a.d->marks && b.d->marks && a.d->marks->source == b.d->marks->source)
        return a.d->marks->rows == b.d->marks->rows;
    return a.ids() == b.ids();
}
