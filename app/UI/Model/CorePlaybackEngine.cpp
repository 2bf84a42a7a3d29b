#include "CorePlaybackEngine.h"

CorePlaybackEngine::CorePlaybackEngine(QObject *parent) : PlaybackEngine(parent)
{
    connect(&m_player, &PlayerEngine::isPlayingChanged, this, &PlaybackEngine::isPlayingChanged);
    connect(&m_player, &PlayerEngine::positionChanged, this, &PlaybackEngine::positionChanged);
    connect(&m_player, &PlayerEngine::durationChanged, this, &PlaybackEngine::durationChanged);
    connect(&m_player, &PlayerEngine::spectrumChanged, this, &PlaybackEngine::spectrumChanged);
    connect(&m_player, &PlayerEngine::lastErrorChanged, this, &PlaybackEngine::lastErrorChanged);
}
