#pragma once

#include "AudioOutput.h"

#include <QAudio>
#include <QAudioDevice>
#include <QIODevice>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class PlaybackSegment;
class QAudioSink;
class QTimer;

// The audio thread's side of the QAudioSink output: the sink pulls blocks from here. A block holds
// the scheduled segment's frames while playing and silence where they run short; while nothing
// plays the sink is suspended, so the device can sleep. Blocks are scaled by the volume and shown
// to the tap on their way out. The sink's played
// time, matched against what was handed to it, tells how much of the segment has been heard.
class SinkFeed : public QIODevice
{
    Q_OBJECT

public:
    explicit SinkFeed(AudioOutput::Tap tap, QObject *parent = nullptr);
    ~SinkFeed() override;

    // Audio thread.
    std::expected<void, QString> openSink(const QAudioDevice &device, int sampleRate);
    void closeSink();

    // Audio thread. `play` hands the segment's frames on. `pause` suspends the sink at once with
    // what it holds kept for the resume, so nothing is lost and nothing clicks. `idle` stops handing
    // frames on and suspends the sink once what it holds has had time to be heard.
    void play();
    void pause();
    void idle();

    // Any thread.
    void setSegment(std::shared_ptr<PlaybackSegment> segment);
    void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }
    void setTapInstalled(bool installed) { m_tapInstalled.store(installed, std::memory_order_release); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

signals:
    void segmentFinished(quint64 token);
    // The sink stopped by itself (the sound server went away); the description is for the user.
    void failed(const QString &description);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    // Segment frames handed to the sink in one block, by the sink's running frame count.
    struct Handed
    {
        qint64 sinkFrame;
        qint64 segmentFrame;
        qint64 count;
    };

    std::shared_ptr<PlaybackSegment> currentSegment();
    void notePlayed(PlaybackSegment &segment);
    void noteSinkState(QAudio::State state);
    void suspendSink();

    AudioOutput::Tap m_tap;
    QAudioSink *m_sink = nullptr;
    QTimer *m_idleSuspension;
    int m_sampleRate = 0;

    std::mutex m_segmentMutex;
    std::shared_ptr<PlaybackSegment> m_segment;
    std::atomic<bool> m_playing{false}; // written on the audio thread only
    std::atomic<float> m_volume{1.0f};
    std::atomic<bool> m_tapInstalled{false};

    // Audio thread only.
    quint64 m_activeGeneration = 0; // of the segment the handed blocks belong to; 0 for none
    qint64 m_sinkFrames = 0;
    std::vector<Handed> m_handed;
};
