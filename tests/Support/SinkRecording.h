#pragma once

#include <QByteArray>
#include <QProcess>

#include <functional>
#include <vector>

// Records what the PulseAudio null sink "ci" plays, through its monitor, as mono float samples at
// 44.1 kHz.
class SinkRecording
{
public:
    static constexpr int sampleRate = 44100;

    // True when a PulseAudio server answers (the test script starts one).
    static bool serverReachable();

    SinkRecording();
    ~SinkRecording();

    bool start();
    // Seconds recorded so far.
    double seconds();
    std::vector<float> samples();
    std::vector<float> stop();

    // Runs the event loop, keeping the recorder's pipe drained, until `done` or the timeout.
    bool spinUntil(const std::function<bool()> &done, int timeoutMs);
    // Waits until the last 50 ms recorded carry `frequency` above `threshold`.
    bool waitForTone(double frequency, double threshold, int timeoutMs);

private:
    void collect();

    QProcess m_recorder;
    QByteArray m_bytes;
};

namespace ToneAnalysis {

// The amplitude of `frequency` in [from, to) seconds of the recording (a full-scale sine gives 1).
double level(const std::vector<float> &samples, double from, double to, double frequency);
// Seconds of the recording whose 20 ms windows carry `frequency` at `threshold` or more.
double audibleSeconds(const std::vector<float> &samples, double frequency, double threshold);

} // namespace ToneAnalysis
