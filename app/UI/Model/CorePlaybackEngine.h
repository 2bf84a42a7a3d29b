#pragma once

#include "PlaybackEngine.h"

#include "Playback/PlayerEngine.h"

// The production engine: the core's player, republished through the model's engine interface.
class CorePlaybackEngine final : public PlaybackEngine
{
    Q_OBJECT

public:
    explicit CorePlaybackEngine(QObject *parent = nullptr);

    bool isPlaying() const override { return m_player.isPlaying(); }
    double position() const override { return m_player.position(); }
    double duration() const override { return m_player.duration(); }
    QList<float> spectrum() const override { return m_player.spectrum(); }
    QString lastError() const override { return m_player.lastError(); }
    bool isSpectrumEnabled() const override { return m_player.isSpectrumEnabled(); }
    void setSpectrumEnabled(bool enabled) override { m_player.setSpectrumEnabled(enabled); }

    void setOnFinish(std::function<void()> onFinish) override { m_player.setOnFinish(std::move(onFinish)); }
    std::expected<void, QString> load(const FileLocation &location) override { return m_player.load(location); }
    void play() override { m_player.play(); }
    void pause() override { m_player.pause(); }
    void seek(double seconds) override { m_player.seek(seconds); }
    void unload() override { m_player.unload(); }
    void setVolume(float volume) override { m_player.setVolume(volume); }

private:
    PlayerEngine m_player;
};
