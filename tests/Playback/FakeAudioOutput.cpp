#include "FakeAudioOutput.h"

#include "Playback/AudioDecoder.h"

#include <algorithm>

FakeAudioOutput::FakeAudioOutput(Tap tap) : m_tap(std::move(tap)) {}

std::expected<void, QString> FakeAudioOutput::start()
{
    ++startCount;
    if (!startFailure.isEmpty())
        return std::unexpected(startFailure);
    running = true;
    return {};
}

void FakeAudioOutput::stop()
{
    running = false;
}

void FakeAudioOutput::connectSource(std::shared_ptr<AudioDecoder> decoder)
{
    stopSegment();
    m_decoder = std::move(decoder);
}

void FakeAudioOutput::scheduleSegment(qint64 startFrame, quint64 token)
{
    stopSegment();
    m_decoder->seek(startFrame);
    segmentStart = startFrame;
    segmentToken = token;
    m_endReported = false;
}

void FakeAudioOutput::stopSegment()
{
    playing = false;
    segmentStart.reset();
    played = 0;
}

std::optional<qint64> FakeAudioOutput::playedFrames() const
{
    if (!running || !segmentStart)
        return std::nullopt;
    return played;
}

void FakeAudioOutput::advance(double seconds)
{
    if (!running || !playing || !segmentStart || m_endReported)
        return;
    constexpr qint64 block = 1024;
    std::vector<float> samples(block * 2);
    for (qint64 remaining = qint64(seconds * m_decoder->sampleRate()); remaining > 0; remaining -= block) {
        const qint64 wanted = std::min(block, remaining);
        const qint64 frames = m_decoder->read(samples.data(), wanted);
        std::for_each_n(samples.begin(), frames * 2, [this](float &sample) { sample *= volume; });
        heard.insert(heard.end(), samples.begin(), samples.begin() + frames * 2);
        deliverToTap({samples.data(), std::size_t(frames * 2)}, 2, m_decoder->sampleRate());
        played += frames;
        if (frames < wanted) {
            m_endReported = true;
            QMetaObject::invokeMethod(this, [this, token = segmentToken] { emit segmentFinished(token); },
                                      Qt::QueuedConnection);
            return;
        }
    }
}

void FakeAudioOutput::deliverToTap(std::span<const float> interleaved, int channels, double sampleRate)
{
    if (tapInstalled && running)
        m_tap(interleaved, channels, sampleRate);
}
