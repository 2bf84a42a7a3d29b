#include "PlaybackSegment.h"

#include "AudioDecoder.h"

#include <chrono>
#include <vector>

namespace {

constexpr qint64 chunkFrames = 4096;
constexpr double ringSeconds = 2.0;
// The decoder thread looks for room this often; the audio thread never has to wake it.
constexpr auto refillInterval = std::chrono::milliseconds(20);

std::atomic<quint64> lastGeneration{0};

} // namespace

PlaybackSegment::PlaybackSegment(std::shared_ptr<AudioDecoder> decoder, qint64 startFrame, quint64 token)
    : m_decoder(std::move(decoder)),
      m_startFrame(startFrame),
      m_token(token),
      m_generation(++lastGeneration),
      m_ring(std::max<qint64>(qint64(ringSeconds * m_decoder->sampleRate()), chunkFrames * 2), AudioDecoder::channelCount),
      m_thread([this](std::stop_token stopToken) { decode(stopToken); })
{
}

PlaybackSegment::~PlaybackSegment()
{
    stop();
}

void PlaybackSegment::stop()
{
    if (!m_thread.joinable())
        return;
    m_thread.request_stop();
    m_wake.notify_all();
    m_thread.join();
}

void PlaybackSegment::decode(std::stop_token stopToken)
{
    std::vector<float> chunk(std::size_t(chunkFrames * AudioDecoder::channelCount));
    m_decoder->seek(m_startFrame);
    while (!stopToken.stop_requested()) {
        {
            std::unique_lock lock(m_wakeMutex);
            if (!m_wake.wait_for(lock, stopToken, refillInterval, [this] { return m_ring.space() >= chunkFrames; }))
                continue;
        }
        const qint64 frames = m_decoder->read(chunk.data(), chunkFrames);
        m_ring.write(chunk.data(), frames);
        if (frames < chunkFrames)
            break;
    }
    m_decoderFinished.store(true, std::memory_order_release);
}
