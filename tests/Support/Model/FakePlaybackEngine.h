#pragma once

#include "PlaybackEngine.h"

#include <QSet>

// An engine without sound: loads and plays at once, fails where a test scripts it, and moves
// only when the test sets its position or ends the file.
class FakePlaybackEngine final : public PlaybackEngine
{
    Q_OBJECT

public:
    using PlaybackEngine::PlaybackEngine;

    bool isPlaying() const override { return m_isPlaying; }
    double position() const override { return m_position; }
    double duration() const override { return m_duration; }
    QList<float> spectrum() const override { return m_spectrum; }
    QString lastError() const override { return m_lastError; }
    bool isSpectrumEnabled() const override { return m_spectrumEnabled; }
    void setSpectrumEnabled(bool enabled) override { m_spectrumEnabled = enabled; }

    void setOnFinish(std::function<void()> onFinish) override { m_onFinish = std::move(onFinish); }
    std::expected<void, QString> load(const FileLocation &location) override;
    void play() override;
    void pause() override;
    void seek(double seconds) override;
    void unload() override;
    void setVolume(float volume) override { m_volume = volume; }

    // Scripting.
    // Loading this file fails with "无法读取音频文件（…）".
    void failLoading(const FileLocation &location) { m_failingLoads.insert(location); }
    // play() fails to start the output with "音频引擎启动失败（…）".
    void setPlayFails(bool fails) { m_playFails = fails; }
    // The duration the next loaded file has.
    void setLoadedDuration(double seconds) { m_loadedDuration = seconds; }
    void setPosition(double seconds);
    void setSpectrum(const QList<float> &spectrum);
    // The file played to its end: stops, moves to the end and calls the finish action.
    void emitFinished();

    // What happened.
    const QList<FileLocation> &loaded() const { return m_loaded; }
    float volume() const { return m_volume; }
    int playCount() const { return m_playCount; }

private:
    void setPlaying(bool playing);
    void setDuration(double duration);
    void setLastError(const QString &error);

    bool m_isPlaying = false;
    double m_position = 0;
    double m_duration = 0;
    QList<float> m_spectrum = QList<float>(24, 0.0f);
    QString m_lastError;
    bool m_spectrumEnabled = false;
    std::function<void()> m_onFinish;

    QSet<FileLocation> m_failingLoads;
    bool m_playFails = false;
    double m_loadedDuration = 180;
    QList<FileLocation> m_loaded;
    float m_volume = 1;
    int m_playCount = 0;
};
