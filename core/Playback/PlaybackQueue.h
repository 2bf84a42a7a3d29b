#pragma once

#include "PlaybackMode.h"

#include <QList>
#include <QMetaType>
#include <QRandomGenerator>
#include <QUuid>

#include <optional>

// The identifiers that playback walks through, the current position and the mode's stepping rules.
// A plain value: the owner rebuilds it when a list is started and steps a copy when a track ends.
// It knows nothing of files; the owner skips an identifier it cannot play by stepping again.
class PlaybackQueue
{
public:
    // The start index is limited to the list. The random source must outlive the queue and its
    // copies; tests pass a seeded one.
    explicit PlaybackQueue(QList<QUuid> trackIDs = {}, qsizetype currentIndex = 0,
                           PlaybackMode mode = PlaybackMode::Sequential,
                           QRandomGenerator *random = QRandomGenerator::global());

    const QList<QUuid> &trackIDs() const { return m_trackIDs; }
    PlaybackMode mode() const { return m_mode; }
    // Within the list after every operation; 0 for an empty list.
    qsizetype index() const { return m_index; }
    std::optional<QUuid> currentID() const;

    // The identifier to play next, or nothing when playback should stop.
    std::optional<QUuid> next();
    std::optional<QUuid> previous();
    // Entering shuffle deals a new deck with the current track last; setting the same mode keeps
    // the deck where it is.
    void setMode(PlaybackMode mode);
    void replace(QList<QUuid> trackIDs, qsizetype startAt);

private:
    void clampIndex(qsizetype index);
    void rebuildShuffleDeck(bool keepingCurrentLast);
    // Makes the first occurrence of a dealt identifier current.
    QUuid playDealt(qsizetype deckPosition);

    QList<QUuid> m_trackIDs;
    PlaybackMode m_mode;
    qsizetype m_index = 0;
    // A permutation of the identifiers; the entries before the cursor have been dealt, the one just
    // before it is playing. Empty outside shuffle.
    QList<QUuid> m_shuffleOrder;
    qsizetype m_shuffleCursor = 0;
    QRandomGenerator *m_random;
};

Q_DECLARE_METATYPE(PlaybackQueue)
