#pragma once

#include "Models/Track.h"

#include <QList>
#include <QMetaType>
#include <QUuid>

#include <memory>
#include <vector>

// A list of tracks that visible lists pick rows from, shared by all of them while it stays the
// same, with what is worked out about it once. Used on the GUI thread.
class TrackSource
{
public:
    explicit TrackSource(QList<Track> tracks) : m_tracks(std::move(tracks)) {}

    const QList<Track> &tracks() const { return m_tracks; }
    // The tracks' identifiers side by side, for searches that would otherwise visit every track.
    const std::vector<QUuid> &ids() const;
    // The first row holding the same track as the row: the row itself unless the list repeats the
    // track (a playlist may). Worked out on first use, then free.
    qsizetype firstRowOfTrack(qsizetype row) const
    {
        if (!m_repeatsKnown)
            findRepeats();
        return m_firstRows.empty() ? row : m_firstRows[size_t(row)];
    }

private:
    void findRepeats() const;

    QList<Track> m_tracks;
    mutable std::vector<QUuid> m_ids;
    mutable bool m_repeatsKnown = false;
    mutable std::vector<qsizetype> m_firstRows; // empty when no track repeats
};

// The tracks the list shows, in the order shown: rows into a shared list of tracks. Copying one
// copies no track, so the model hands it out freely.
class VisibleTrackList
{
public:
    VisibleTrackList() = default;
    VisibleTrackList(QList<Track> source, QList<qsizetype> rows)
        : VisibleTrackList(std::make_shared<const TrackSource>(std::move(source)), std::move(rows))
    {
    }
    VisibleTrackList(std::shared_ptr<const TrackSource> source, QList<qsizetype> rows)
        : m_source(std::move(source)), m_rows(std::move(rows))
    {
    }

    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const Track &at(qsizetype index) const { return m_source->tracks().at(m_rows.at(index)); }
    // The first position of the track, or -1.
    qsizetype indexOf(const QUuid &trackID) const;
    bool contains(const QUuid &trackID) const { return indexOf(trackID) >= 0; }
    QList<QUuid> ids() const;
    QList<Track> toList() const;

    // Where the track at the index stands in the source.
    qsizetype sourceRow(qsizetype index) const { return m_rows.at(index); }
    const std::shared_ptr<const TrackSource> &source() const { return m_source; }

    class const_iterator
    {
    public:
        using value_type = Track;
        using difference_type = qsizetype;
        using reference = const Track &;
        using pointer = const Track *;
        using iterator_category = std::forward_iterator_tag;

        const_iterator() = default;
        const_iterator(const VisibleTrackList *list, qsizetype index) : m_list(list), m_index(index) {}
        const Track &operator*() const { return m_list->at(m_index); }
        const Track *operator->() const { return &m_list->at(m_index); }
        const_iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        friend bool operator==(const const_iterator &, const const_iterator &) = default;

    private:
        const VisibleTrackList *m_list = nullptr;
        qsizetype m_index = 0;
    };

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    std::shared_ptr<const TrackSource> m_source;
    QList<qsizetype> m_rows;
};

Q_DECLARE_METATYPE(VisibleTrackList)
