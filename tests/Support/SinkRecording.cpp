#include "SinkRecording.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cmath>
#include <cstring>
#include <numbers>

bool SinkRecording::serverReachable()
{
    QProcess info;
    info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return info.waitForFinished(5000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
}

SinkRecording::SinkRecording() = default;

SinkRecording::~SinkRecording()
{
    if (m_recorder.state() != QProcess::NotRunning) {
        m_recorder.kill();
        m_recorder.waitForFinished(5000);
    }
}

bool SinkRecording::spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        seconds();
    }
    return true;
}

bool SinkRecording::waitForTone(double frequency, double threshold, int timeoutMs)
{
    return spinUntil(
        [&] {
            const double now = seconds();
            return ToneAnalysis::level(samples(), now - 0.05, now, frequency) > threshold;
        },
        timeoutMs);
}

bool SinkRecording::start()
{
    m_recorder.start(QStringLiteral("parecord"),
                     {QStringLiteral("--raw"), QStringLiteral("--latency-msec=20"), QStringLiteral("-d"),
                      QStringLiteral("ci.monitor"), QStringLiteral("--format=float32le"),
                      QStringLiteral("--rate=%1").arg(sampleRate), QStringLiteral("--channels=1")});
    return m_recorder.waitForStarted(5000);
}

void SinkRecording::collect()
{
    m_bytes += m_recorder.readAllStandardOutput();
}

double SinkRecording::seconds()
{
    collect();
    return double(m_bytes.size() / sizeof(float)) / sampleRate;
}

std::vector<float> SinkRecording::stop()
{
    collect();
    m_recorder.terminate();
    m_recorder.waitForFinished(5000);
    return samples();
}

std::vector<float> SinkRecording::samples()
{
    collect();
    std::vector<float> samples(m_bytes.size() / sizeof(float));
    if (!samples.empty())
        std::memcpy(samples.data(), m_bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

namespace ToneAnalysis {

namespace {

std::pair<std::size_t, std::size_t> range(const std::vector<float> &samples, double from, double to)
{
    const auto clampIndex = [&](double seconds) {
        return std::min(samples.size(), std::size_t(std::max(0.0, seconds) * SinkRecording::sampleRate));
    };
    return {clampIndex(from), clampIndex(to)};
}

} // namespace

double level(const std::vector<float> &samples, double from, double to, double frequency)
{
    const auto [begin, end] = range(samples, from, to);
    if (end <= begin)
        return 0;
    // Goertzel: the power of one frequency.
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / SinkRecording::sampleRate);
    double previous = 0, beforePrevious = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const double current = samples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(end - begin);
}

double audibleSeconds(const std::vector<float> &samples, double frequency, double threshold)
{
    constexpr double window = 0.02;
    const double total = double(samples.size()) / SinkRecording::sampleRate;
    double audible = 0;
    for (double from = 0; from + window <= total; from += window)
        if (level(samples, from, from + window, frequency) >= threshold)
            audible += window;
    return audible;
}

} // namespace ToneAnalysis
