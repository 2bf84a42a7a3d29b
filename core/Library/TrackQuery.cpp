#include "TrackQuery.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// The first place of the needle (two characters or more) in the text from `from` on, or -1.
// A search runs over the folded text of the whole library, so it compares eight places at a
// time: a place is a candidate when the needle's first and last characters both stand there.
qsizetype indexOf(QStringView text, QStringView needle, qsizetype from)
{
#ifdef __SSE2__
    const char16_t *const haystack = text.utf16();
    const char16_t *const wanted = needle.utf16();
    const qsizetype size = text.size();
    const qsizetype length = needle.size();
    const __m128i first = _mm_set1_epi16(short(wanted[0]));
    const __m128i last = _mm_set1_epi16(short(wanted[length - 1]));
    const size_t middleBytes = size_t(length - 2) * sizeof(char16_t);
    qsizetype at = std::max<qsizetype>(from, 0);
    for (; at + length - 1 + 8 <= size; at += 8) {
        const auto starts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(haystack + at));
        const auto ends = _mm_loadu_si128(reinterpret_cast<const __m128i *>(haystack + at + length - 1));
        // Two bits per character.
        auto candidates = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(starts, first),
                                                                    _mm_cmpeq_epi16(ends, last))));
        while (candidates != 0) {
            const int bit = std::countr_zero(candidates);
            const qsizetype place = at + bit / 2;
            if (std::memcmp(haystack + place + 1, wanted + 1, middleBytes) == 0)
                return place;
            candidates &= ~(3u << bit);
        }
    }
    for (; at + length <= size; ++at) {
        if (std::memcmp(haystack + at, wanted, size_t(length) * sizeof(char16_t)) == 0)
            return at;
    }
    return -1;
#else
    return text.indexOf(needle, from);
#endif
}

// Non-finite numbers order as 0, so that the ordering stays strict and weak.
double orderable(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

// What a key compares, most significant first; the direction applies to all three. Every number
// is finite, so any two keys are ordered.
struct SortKey
{
    double primary;
    qint64 secondary;
    int tertiary;

    friend auto operator<=>(const SortKey &, const SortKey &) = default;
};

struct SortItem
{
    SortKey key;
    int titleRank;
    qsizetype row;
};

} // namespace

TrackQuery::TrackQuery(const QLocale &locale) : m_texts(locale)
{
}

QList<qsizetype> TrackQuery::filter(const QList<Track> &tracks, const QString &query)
{
    prepare(tracks);
    return matchingRows(query);
}

QList<qsizetype> TrackQuery::apply(const QList<Track> &tracks, const QString &query, TrackSort sort, bool ascending)
{
    prepare(tracks);
    const QList<qsizetype> rows = matchingRows(query);
    const QList<int> &ranks = m_texts.ranks();

    std::vector<SortItem> items;
    items.reserve(size_t(rows.size()));
    for (qsizetype row : rows) {
        const Track &track = m_tracks.at(row);
        const TextIDs &ids = m_textIDs.at(row);
        const int title = ranks.at(ids[Title]);
        SortKey key{};
        switch (sort) {
        case TrackSort::Title:
            key = {double(title), 0, 0};
            break;
        case TrackSort::Artist:
            key = {double(ranks.at(ids[Artist])), title, 0};
            break;
        case TrackSort::Album:
            key = {double(ranks.at(ids[Album])), track.trackNumber.value_or(0), title};
            break;
        case TrackSort::Duration:
            key = {orderable(track.duration), 0, 0};
            break;
        case TrackSort::DateAdded:
            key = {orderable(track.modifiedAt), 0, 0};
            break;
        }
        items.push_back(SortItem{key, title, row});
    }
    std::ranges::stable_sort(items, [ascending](const SortItem &a, const SortItem &b) {
        if (const auto order = a.key <=> b.key; order != 0)
            return ascending ? order < 0 : order > 0;
        return a.titleRank < b.titleRank;
    });

    QList<qsizetype> sorted;
    sorted.reserve(rows.size());
    for (const SortItem &item : items)
        sorted.append(item.row);
    return sorted;
}

QList<Track> TrackQuery::tracksAt(const QList<Track> &tracks, const QList<qsizetype> &rows)
{
    QList<Track> picked;
    picked.reserve(rows.size());
    for (qsizetype row : rows)
        picked.append(tracks.at(row));
    return picked;
}

// An unchanged list (the same buffer, which the copy held here keeps from being reused) is ready.
void TrackQuery::prepare(const QList<Track> &tracks)
{
    if (tracks.constData() == m_tracks.constData() && tracks.size() == m_tracks.size())
        return;
    m_largestList = std::max(m_largestList, tracks.size());
    dropStaleKeys();

    m_tracks = tracks;
    m_searchTextReady = false;
    m_searchText = QString();
    m_fieldEnds = {};
    m_textIDs.clear();
    m_textIDs.reserve(tracks.size());
    m_keys.reserve(tracks.size());
    for (const Track &track : tracks)
        m_textIDs.append(keysFor(track).textIDs);
}

void TrackQuery::prepareSearchText()
{
    if (m_searchTextReady)
        return;
    m_fieldEnds.reserve(m_tracks.size());
    m_fileNames.reserve(m_tracks.size());
    for (qsizetype row = 0; row < m_tracks.size(); ++row) {
        std::array<qsizetype, 4> ends;
        for (int text : {Title, Artist, Album}) {
            m_searchText += m_texts.folded(m_textIDs.at(row)[text]);
            ends[text] = m_searchText.size();
        }
        m_searchText += foldedFileName(m_tracks.at(row));
        ends[3] = m_searchText.size();
        m_fieldEnds.append(ends);
    }
    // Grown by appending, the text may hold as much spare room again as it has text.
    m_searchText.squeeze();
    m_searchTextReady = true;
}

const TrackQuery::TrackKeys &TrackQuery::keysFor(const Track &track)
{
    const auto existing = m_keys.find(track.id);
    if (existing != m_keys.end() && existing->madeFrom(track))
        return *existing;
    TrackKeys keys{track.title,
                   track.artist,
                   track.album,
                   {m_texts.intern(track.title), m_texts.intern(track.artist), m_texts.intern(track.album)}};
    return *m_keys.emplace(track.id, std::move(keys));
}

const QString &TrackQuery::foldedFileName(const Track &track)
{
    FoldedFileName &name = m_fileNames[track.id];
    if (name.path != track.url.path()) {
        name.path = track.url.path();
        name.folded = TextKeyTable::fold(track.url.fileNameText());
    }
    return name.folded;
}

QList<qsizetype> TrackQuery::matchingRows(const QString &query)
{
    const QString needle = TextKeyTable::fold(query.trimmed());
    QList<qsizetype> rows;
    if (needle.isEmpty()) {
        rows.resize(m_tracks.size());
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }
    prepareSearchText();
    // One pass over the text of all rows; a hit counts only when it lies inside one field.
    const QStringView text(m_searchText);
    qsizetype row = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype hit = needle.size() == 1 ? text.indexOf(needle.front(), from) : indexOf(text, needle, from);
        if (hit < 0)
            break;
        while (m_fieldEnds.at(row)[3] <= hit)
            ++row;
        const std::array<qsizetype, 4> &fieldEnds = m_fieldEnds.at(row);
        const qsizetype fieldEnd = *std::ranges::upper_bound(fieldEnds, hit);
        if (hit + needle.size() <= fieldEnd) {
            rows.append(row);
            from = fieldEnds[3];
            ++row;
        } else {
            from = hit + 1;
        }
    }
    return rows;
}

// Keys of tracks that left the library are dropped once they outnumber the largest list seen;
// the text table goes with them, since the keys refer into it, and so do the folded file names,
// which never outnumber the keys.
void TrackQuery::dropStaleKeys()
{
    if (m_keys.size() <= 2 * m_largestList + 1024 && m_texts.size() <= 4 * m_largestList + 4096)
        return;
    m_keys.clear();
    m_texts.clear();
    m_fileNames.clear();
}

bool TrackQuery::TrackKeys::madeFrom(const Track &track) const
{
    return title == track.title && artist == track.artist && album == track.album;
}
