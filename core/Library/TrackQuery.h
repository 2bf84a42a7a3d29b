#pragma once

#include "Models/Track.h"
#include "TextKeyTable.h"
#include "TrackSort.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>

#include <array>

// Search and sort of the track list. Results are rows (positions in the list passed in), so that a
// keystroke over a large library copies no track. Each track's search text and collation keys are
// made once per change of its text, and the list last searched is kept ready: searching it again
// costs one pass over its folded text. Not thread-safe: the owner keeps one instance on its thread.
class TrackQuery
{
public:
    // Text orders by the locale's collation, as TextKeyTable describes.
    explicit TrackQuery(const QLocale &locale = QLocale());

    // Rows whose title, artist, album or file name (with extension) contains the trimmed query,
    // ignoring case and diacritics, in input order; every row for a blank query.
    QList<qsizetype> filter(const QList<Track> &tracks, const QString &query);
    // The filtered rows, sorted stably by the key in the direction asked. Ties of the key order by
    // title from A to Z in either direction; artist and album fall back to the title within the key.
    QList<qsizetype> apply(const QList<Track> &tracks, const QString &query, TrackSort sort, bool ascending);

    // The records at the rows, for a caller that wants them rather than positions.
    static QList<Track> tracksAt(const QList<Track> &tracks, const QList<qsizetype> &rows);

private:
    enum Text { Title, Artist, Album };

    struct TrackKeys
    {
        // The text the keys were made from; a track whose text differs gets new keys.
        QString title;
        QString artist;
        QString album;
        QByteArray path;
        QString foldedFileName;
        std::array<int, 3> textIDs; // in the text table, by Text

        bool madeFrom(const Track &track) const;
    };

    struct Row
    {
        // Where the row's title, artist, album and file name end in the folded search text; the
        // row starts where the one before it ends.
        std::array<qsizetype, 4> fieldEnds;
        std::array<int, 3> textIDs;
    };

    void prepare(const QList<Track> &tracks);
    const TrackKeys &keysFor(const Track &track);
    QList<qsizetype> matchingRows(const QString &query) const;
    void dropStaleKeys();

    TextKeyTable m_texts;
    QHash<QUuid, TrackKeys> m_keys;
    qsizetype m_largestList = 0;

    // The list last prepared, held so that its buffer stays recognisable while it is unchanged
    // (an owner that then edits its list pays one copy of it).
    QList<Track> m_tracks;
    QString m_searchText;
    QList<Row> m_rows;
};
