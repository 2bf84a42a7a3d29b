#pragma once

#include "Models/Track.h"

#include <QList>
#include <QMetaType>
#include <QUuid>

// The tracks the list shows, in the order shown: rows into a shared list of tracks. Copying one
// copies no track, so the model hands it out freely.
class VisibleTrackList
{
public:
    VisibleTrackList() = default;
    VisibleTrackList(QList<Track> source, QList<qsizetype> rows) : m_source(std::move(source)), m_rows(std::move(rows)) {}

    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const Track &at(qsizetype index) const { return m_source.at(m_rows.at(index)); }
    // The first position of the track, or -1.
    qsizetype indexOf(const QUuid &trackID) const;
    bool contains(const QUuid &trackID) const { return indexOf(trackID) >= 0; }
    QList<QUuid> ids() const;
    QList<Track> toList() const;

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
    QList<Track> m_source;
    QList<qsizetype> m_rows;
};

Q_DECLARE_METATYPE(VisibleTrackList)
