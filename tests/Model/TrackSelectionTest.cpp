#include "TrackSelection.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// Tracks drawn from a few identifiers, so that a list may repeat a track as a playlist does.
QList<Track> tracksWithRepeats(QRandomGenerator &random, const QList<QUuid> &ids, int count)
{
    QList<Track> tracks;
    for (int i = 0; i < count; ++i) {
        Track track;
        track.id = ids.at(random.bounded(int(ids.size())));
        tracks.append(track);
    }
    return tracks;
}

// Some rows of the source in a shuffled order, as a search and a sort leave them.
QList<qsizetype> someRows(QRandomGenerator &random, qsizetype sourceSize)
{
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < sourceSize; ++row) {
        if (random.bounded(4) != 0)
            rows.append(row);
    }
    std::shuffle(rows.begin(), rows.end(), std::mt19937(random.generate()));
    return rows;
}

} // namespace

// A range kept as marks on its source answers every question as the set of its identifiers does,
// for lists made from the same source and from another one.
TEST(TrackSelectionTest, ARangeBehavesAsTheSetOfItsIdentifiers)
{
    QRandomGenerator random(20261206);
    QList<QUuid> ids;
    for (int i = 0; i < 12; ++i)
        ids.append(QUuid::createUuid());
    for (int round = 0; round < 200; ++round) {
        const auto source = std::make_shared<const TrackSource>(tracksWithRepeats(random, ids, 1 + random.bounded(20)));
        const VisibleTrackList shown(source, someRows(random, source->tracks().size()));
        if (shown.isEmpty())
            continue;
        const qsizetype first = random.bounded(int(shown.size()));
        const qsizetype last = first + random.bounded(int(shown.size() - first));
        const TrackSelection range = TrackSelection::range(shown, first, last);

        QSet<QUuid> expected;
        for (qsizetype index = first; index <= last; ++index)
            expected.insert(shown.at(index).id);
        ASSERT_EQ(range.ids(), expected);
        EXPECT_EQ(range.size(), expected.size());
        EXPECT_EQ(range, TrackSelection(expected));
        EXPECT_EQ(range, TrackSelection::range(shown, first, last));
        EXPECT_FALSE(range == TrackSelection());

        const VisibleTrackList searched(source, someRows(random, source->tracks().size()));
        const VisibleTrackList elsewhere(tracksWithRepeats(random, ids, 10), someRows(random, 10));
        for (const VisibleTrackList *list : {&shown, &searched, &elsewhere}) {
            for (qsizetype index = 0; index < list->size(); ++index) {
                const bool selected = expected.contains(list->at(index).id);
                ASSERT_EQ(range.containsRow(*list, index), selected);
                ASSERT_EQ(TrackSelection(expected).containsRow(*list, index), selected);
                ASSERT_EQ(range.contains(list->at(index).id), selected);
            }
        }
    }
}
