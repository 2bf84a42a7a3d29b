#include "PlaybackQueue.h"

#include <algorithm>

PlaybackQueue::PlaybackQueue(QList<QUuid> trackIDs, qsizetype currentIndex, PlaybackMode mode,
                             QRandomGenerator *random)
    : m_trackIDs(std::move(trackIDs)), m_mode(mode), m_random(random)
{
    clampIndex(currentIndex);
    if (m_mode == PlaybackMode::Shuffle)
        rebuildShuffleDeck(true);
}

std::optional<QUuid> PlaybackQueue::currentID() const
{
    if (m_index < 0 || m_index >= m_trackIDs.size())
        return std::nullopt;
    return m_trackIDs.at(m_index);
}

std::optional<QUuid> PlaybackQueue::next()
{
    if (m_trackIDs.isEmpty())
        return std::nullopt;
    switch (m_mode) {
    case PlaybackMode::Sequential:
        if (m_index + 1 >= m_trackIDs.size())
            return std::nullopt;
        ++m_index;
        break;
    case PlaybackMode::RepeatAll:
        m_index = m_index + 1 < m_trackIDs.size() ? m_index + 1 : 0;
        break;
    case PlaybackMode::RepeatOne:
        break;
    case PlaybackMode::Shuffle:
        if (m_shuffleCursor >= m_shuffleOrder.size())
            rebuildShuffleDeck(false);
        ++m_shuffleCursor;
        return playDealt(m_shuffleCursor - 1);
    }
    return currentID();
}

std::optional<QUuid> PlaybackQueue::previous()
{
    if (m_trackIDs.isEmpty())
        return std::nullopt;
    switch (m_mode) {
    case PlaybackMode::Sequential:
        if (m_index < 1)
            return std::nullopt;
        --m_index;
        break;
    case PlaybackMode::RepeatAll:
        m_index = m_index >= 1 ? m_index - 1 : m_trackIDs.size() - 1;
        break;
    case PlaybackMode::RepeatOne:
        break;
    case PlaybackMode::Shuffle:
        // Walks back through the deck's history; the one before the cursor is playing now.
        if (m_shuffleCursor < 2)
            return std::nullopt;
        --m_shuffleCursor;
        return playDealt(m_shuffleCursor - 1);
    }
    return currentID();
}

void PlaybackQueue::setMode(PlaybackMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    if (m_mode == PlaybackMode::Shuffle) {
        rebuildShuffleDeck(true);
    } else {
        m_shuffleOrder.clear();
        m_shuffleCursor = 0;
    }
}

void PlaybackQueue::replace(QList<QUuid> trackIDs, qsizetype startAt)
{
    m_trackIDs = std::move(trackIDs);
    clampIndex(startAt);
    if (m_mode == PlaybackMode::Shuffle)
        rebuildShuffleDeck(true);
}

void PlaybackQueue::clampIndex(qsizetype index)
{
    m_index = m_trackIDs.isEmpty() ? 0 : std::clamp<qsizetype>(index, 0, m_trackIDs.size() - 1);
}

// A fresh deck plays every other track once before the current one comes round again.
void PlaybackQueue::rebuildShuffleDeck(bool keepingCurrentLast)
{
    QList<QUuid> deck = m_trackIDs;
    std::shuffle(deck.begin(), deck.end(), *m_random);
    const std::optional<QUuid> current = currentID();
    if (keepingCurrentLast && deck.size() >= 2 && current) {
        deck.removeOne(*current);
        deck.append(*current);
    }
    m_shuffleOrder = std::move(deck);
    m_shuffleCursor = 0;
}

QUuid PlaybackQueue::playDealt(qsizetype deckPosition)
{
    const QUuid id = m_shuffleOrder.at(deckPosition);
    if (const qsizetype position = m_trackIDs.indexOf(id); position >= 0)
        m_index = position;
    return id;
}
