#pragma once

#include "VisibleTrackList.h"

#include <QMetaType>
#include <QSet>
#include <QUuid>

#include <memory>
#include <vector>

// The selected tracks: a set of track identifiers. A range of the visible list (a Shift-click
// over thousands of rows) is kept as marks on the rows of the list's source, so making it hashes
// nothing; its identifiers are worked out when first asked for. Copies share everything. Used on
// the GUI thread.
class TrackSelection
{
public:
    TrackSelection() = default;
    TrackSelection(QSet<QUuid> ids); // NOLINT(google-explicit-constructor): a set is a selection
    // The tracks of the visible list from one index to the other, both included.
    static TrackSelection range(const VisibleTrackList &visible, qsizetype first, qsizetype last);

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    bool contains(const QUuid &trackID) const;
    // Whether the track at the index of the list is selected; free for a list made from the
    // source a range was marked on.
    bool containsRow(const VisibleTrackList &list, qsizetype index) const;
    // containsRow for every index of the list.
    std::vector<bool> rowsOf(const VisibleTrackList &list) const;
    const QSet<QUuid> &ids() const;

    friend bool operator==(const TrackSelection &a, const TrackSelection &b);

private:
    struct Marks
    {
        std::shared_ptr<const TrackSource> source;
        std::vector<bool> rows; // on the first row of each selected track in the source
        qsizetype count = 0;
    };
    struct Data
    {
        std::optional<Marks> marks;
        mutable std::optional<QSet<QUuid>> ids; // given, or worked out from the marks
    };

    std::shared_ptr<const Data> d;
};

Q_DECLARE_METATYPE(TrackSelection)
