#pragma once

#include "Playback/AudioOutput.h"

#include <vector>

// An output driven by a test clock: `advance` plays that much of the scheduled segment at once,
// reading the real decoder, handing the blocks to the tap and reporting the end the way the real
// output does (queued to the event loop).
class FakeAudioOutput final : public AudioOutput
{
    Q_OBJECT

public:
    explicit FakeAudioOutput(Tap tap);

    void advance(double seconds);
    // Hands one block to the tap, as the device thread would, if the tap is installed.
    void deliverToTap(std::span<const float> interleaved, int channels, double sampleRate);

    bool isRunning() const override { return running; }
    std::expected<void, QString> start() override;
    void stop() override;
    void connectSource(std::shared_ptr<AudioDecoder> decoder) override;
    void scheduleSegment(qint64 startFrame, quint64 token) override;
    void play() override { playing = true; }
    void pause() override { playing = false; }
    void stopSegment() override;
    std::optional<qint64> playedFrames() const override;
    void setVolume(float value) override { volume = value; }
    void setTapInstalled(bool installed) override { tapInstalled = installed; }

    // What the engine asked for, for the tests to check.
    QString startFailure; // start() fails with this text when set
    bool running = false;
    bool playing = false;
    bool tapInstalled = false;
    float volume = -1;
    int startCount = 0;
    std::optional<qint64> segmentStart;
    quint64 segmentToken = 0;
    qint64 played = 0;
    std::vector<float> heard; // everything played, interleaved stereo, after the volume

private:
    Tap m_tap;
    std::shared_ptr<AudioDecoder> m_decoder;
    bool m_endReported = false;
};
