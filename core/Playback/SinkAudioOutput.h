#pragma once

#include "AudioOutput.h"

#include <QThread>

class PlaybackSegment;
class SinkFeed;

// The real output: a QAudioSink (PulseAudio) in pull mode on an audio thread of its own, fed from
// a decoder thread through a ring, so that a busy GUI thread never interrupts the sound.
class SinkAudioOutput final : public AudioOutput
{
    Q_OBJECT

public:
    explicit SinkAudioOutput(Tap tap, QObject *parent = nullptr);
    ~SinkAudioOutput() override;

    bool isRunning() const override { return m_running; }
    std::expected<void, QString> start() override;
    void stop() override;

    void connectSource(std::shared_ptr<AudioDecoder> decoder) override;
    void scheduleSegment(qint64 startFrame, quint64 token) override;
    void play() override;
    void pause() override;
    void stopSegment() override;
    std::optional<qint64> playedFrames() const override;

    void setVolume(float volume) override;
    void setTapInstalled(bool installed) override;

private:
    // Queued, in order with every other request to the audio thread.
    void onAudioThread(void (SinkFeed::*request)());

    QThread m_audioThread;
    SinkFeed *m_feed;
    std::shared_ptr<AudioDecoder> m_decoder;
    std::shared_ptr<PlaybackSegment> m_segment;
    bool m_running = false;
};
