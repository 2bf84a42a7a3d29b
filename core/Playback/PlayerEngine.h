#pragma once

#include "AudioOutput.h"
#include "SpectrumAnalyzer.h"
#include "Storage/FileLocation.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <atomic>
#include <expected>
#include <functional>
#include <memory>
#include <span>

class AudioDecoder;

// Plays one audio file at a time and publishes whether it plays, the position and duration in
// seconds, a 24-band spectrum of what is heard and the last user-facing error. Knows nothing of
// tracks or queues: the caller loads a file, plays, pauses, seeks, and hears of the natural end of
// a file through `onFinish`. Lives on the GUI thread.
class PlayerEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double position READ position NOTIFY positionChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(QList<float> spectrum READ spectrum NOTIFY spectrumChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(bool isSpectrumEnabled READ isSpectrumEnabled WRITE setSpectrumEnabled)

public:
    static constexpr int bandCount = 24;

    // Plays through QAudioSink.
    explicit PlayerEngine(QObject *parent = nullptr);
    // Plays through the outputs that `makeOutput` makes (one, on first need).
    explicit PlayerEngine(AudioOutputFactory makeOutput, QObject *parent = nullptr);
    ~PlayerEngine() override;

    bool isPlaying() const { return m_isPlaying.load(std::memory_order_relaxed); }
    double position() const { return m_position; }
    double duration() const { return m_duration; }
    QList<float> spectrum() const { return m_spectrum; }
    // Empty when there is none.
    QString lastError() const { return m_lastError; }
    bool isSpectrumEnabled() const { return m_spectrumEnabled.load(std::memory_order_relaxed); }
    void setSpectrumEnabled(bool enabled);

    // Called on the GUI thread once per natural end of a file.
    void setOnFinish(std::function<void()> onFinish) { m_onFinish = std::move(onFinish); }

    // Opens the file and makes it ready to play from the start. On failure `lastError` is set, the
    // description comes back and the file loaded before stays loaded (and playing).
    std::expected<void, QString> load(const FileLocation &location);
    void play();
    void pause();
    // Clamped to the file; keeps playing if it was playing. A non-finite time is ignored.
    void seek(double seconds);
    void unload();
    // Clamped to 0...1.
    void setVolume(float volume);

signals:
    void isPlayingChanged(bool isPlaying);
    void positionChanged(double position);
    void durationChanged(double duration);
    void spectrumChanged(const QList<float> &spectrum);
    void lastErrorChanged(const QString &lastError);

private:
    AudioOutput &ensureEngine();
    void countLength(const FileLocation &location);
    void scheduleSegment(qint64 startFrame);
    bool startEngineIfNeeded();
    void startPlaying();
    void startPositionTimer();
    double currentPlaybackPosition() const;
    void finishPlayback();
    void handleSegmentFinished(quint64 token);
    void handleOutputFailure(const QString &description);
    void updateTapInstallation();
    void handleTap(std::span<const float> interleaved, int channels, double sampleRate);
    void applyTapBands(const QList<float> &bands);
    void startSpectrumDecay();
    void decaySpectrum();

    void setPlaying(bool playing);
    void setPosition(double position);
    void setDuration(double duration);
    void setSpectrum(const QList<float> &spectrum);
    void setLastError(const QString &error);

    AudioOutputFactory m_makeOutput;
    std::function<void()> m_onFinish;

    // Read by the audio thread's tap, written here only.
    std::atomic<bool> m_isPlaying{false};
    std::atomic<bool> m_spectrumEnabled{false};
    double m_position = 0;
    double m_duration = 0;
    QList<float> m_spectrum = QList<float>(bandCount, 0.0f);
    QString m_lastError;

    std::shared_ptr<AudioDecoder> m_file;
    qint64 m_segmentStartFrame = 0;
    bool m_segmentScheduled = false;
    double m_pausedPosition = 0;
    quint64 m_generation = 0;
    float m_volume = 1.0f;
    bool m_tapInstalled = false;
    QTimer m_positionTimer{this};
    QTimer m_spectrumDecayTimer{this};

    // The tap's own: used on the audio thread alone.
    SpectrumAnalyzer m_analyzer{bandCount, SpectrumAnalyzer::fftSize};
    std::array<float, SpectrumAnalyzer::fftSize> m_monoBuffer{};
    QList<float> m_bandScratch = QList<float>(bandCount, 0.0f);
    double m_lastSpectrumPublish = -1e9;

    // Last, so that it goes first: its threads stop before anything they use is gone.
    std::unique_ptr<AudioOutput> m_engine;
};
