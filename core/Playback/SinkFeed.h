#pragma once

#include "AudioOutput.h"

#include <QAudioDevice>
#include <QIODevice>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class PlaybackSegment;
class QAudioSink;

// The audio thread's side of the QAudioSink output: the sink pulls blocks from here. A block holds
// the scheduled segment's frames while playing and silence otherwise, so the device runs
// continuously; it is scaled by the volume and shown to the tap on its way out. The sink's played
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

    // Any thread.
    void setSegment(std::shared_ptr<PlaybackSegment> segment);
    void setPlaying(bool playing) { m_playing.store(playing, std::memory_order_release); }
    void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }
    void setTapInstalled(bool installed) { m_tapInstalled.store(installed, std::memory_order_release); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

signals:
    void segmentFinished(quint64 token);

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

    AudioOutput::Tap m_tap;
    QAudioSink *m_sink = nullptr;
    int m_sampleRate = 0;

    std::mutex m_segmentMutex;
    std::shared_ptr<PlaybackSegment> m_segment;
    std::atomic<bool> m_playing{false};
    std::atomic<float> m_volume{1.0f};
    std::atomic<bool> m_tapInstalled{false};

    // Audio thread only.
    quint64 m_activeGeneration = 0; // of the segment the handed blocks belong to; 0 for none
    qint64 m_sinkFrames = 0;
    std::vector<Handed> m_handed;
};
