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
// keystroke over a large library copies no track. Each track's collation keys are made once per
// change of its text; the folded search text of the list is made at its first search, so a list
// that is only shown and sorted never pays for it. The list last used is kept ready: searching it
// again costs one pass over its folded text. Not thread-safe: the owner keeps one instance on its
// thread.
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

    using TextIDs = std::array<int, 3>; // in the text table, by Text

    struct TrackKeys
    {
        // The text the keys were made from; a track whose text differs gets new keys.
        QString title;
        QString artist;
        QString album;
        TextIDs textIDs;

        bool madeFrom(const Track &track) const;
    };

    // A track's file name folded for search, with the path it was made from.
    struct FoldedFileName
    {
        QByteArray path;
        QString folded;
    };

    void prepare(const QList<Track> &tracks);
    const TrackKeys &keysFor(const Track &track);
    const QString &foldedFileName(const Track &track);
    void prepareSearchText();
    QList<qsizetype> matchingRows(const QString &query);
    void dropStaleKeys();

    TextKeyTable m_texts;
    QHash<QUuid, TrackKeys> m_keys;
    QHash<QUuid, FoldedFileName> m_fileNames; // of the tracks searched so far
    qsizetype m_largestList = 0;

    // The list last prepared, held so that its buffer stays recognisable while it is unchanged
    // (an owner that then edits its list pays one copy of it).
    QList<Track> m_tracks;
    QList<TextIDs> m_textIDs; // by row
    // Made at the list's first search: the folded title, artist, album and file name of every
    // row one after the other, and where each row's four fields end in it (a row starts where the
    // one before it ends).
    bool m_searchTextReady = false;
    QString m_searchText;
    QList<std::array<qsizetype, 4>> m_fieldEnds;
};
