#include "SinkFeed.h"

#include "AudioDecoder.h"
#include "Localization.h"
#include "PlaybackSegment.h"

#include <QAudioSink>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int bytesPerFrame = AudioDecoder::channelCount * int(sizeof(float));
// Small enough that a seek is heard promptly, large enough to ride out a busy machine.
constexpr double sinkBufferSeconds = 0.1;
// Longer than the sink and the sound server hold, so the end of a track is heard in full.
constexpr int idleSuspensionDelayMs = 1000;

QString describe(QAudio::Error error)
{
    switch (error) {
    case QAudio::OpenError:
        return L("无法打开音频设备");
    case QAudio::IOError:
        return L("音频设备读写出错");
    case QAudio::FatalError:
        return L("音频设备不可用");
    case QAudio::NoError:
    case QAudio::UnderrunError:
        break;
    }
    return {};
}

} // namespace

SinkFeed::SinkFeed(AudioOutput::Tap tap, QObject *parent)
    : QIODevice(parent), m_tap(std::move(tap)), m_idleSuspension(new QTimer(this))
{
    m_handed.reserve(256);
    m_idleSuspension->setSingleShot(true);
    m_idleSuspension->setInterval(idleSuspensionDelayMs);
    connect(m_idleSuspension, &QTimer::timeout, this, &SinkFeed::suspendSink);
}

SinkFeed::~SinkFeed()
{
    closeSink();
}

std::expected<void, QString> SinkFeed::openSink(const QAudioDevice &device, int sampleRate)
{
    closeSink();
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(AudioDecoder::channelCount);
    format.setSampleFormat(QAudioFormat::Float);
    if (device.isNull())
        return std::unexpected(L("没有可用的音频输出设备"));
    if (!device.isFormatSupported(format))
        return std::unexpected(L("音频设备不支持此格式"));
    m_sink = new QAudioSink(device, format, this);
    m_sink->setBufferSize(qsizetype(sinkBufferSeconds * sampleRate) * bytesPerFrame);
    connect(m_sink, &QAudioSink::stateChanged, this, &SinkFeed::noteSinkState);
    m_sampleRate = sampleRate;
    m_sinkFrames = 0;
    m_handed.clear();
    // Unbuffered: every block read is one handed to the sink, which the played-time matching relies on.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_sink->start(this);
    if (const QString failure = describe(m_sink->error()); !failure.isEmpty()) {
        closeSink();
        return std::unexpected(failure);
    }
    return {};
}

void SinkFeed::play()
{
    m_idleSuspension->stop();
    m_playing.store(true, std::memory_order_release);
    if (m_sink && m_sink->state() == QAudio::SuspendedState)
        m_sink->resume();
}

void SinkFeed::pause()
{
    // Suspended first: the frames the sink holds play on after the resume, with no silence between.
    suspendSink();
    m_playing.store(false, std::memory_order_release);
}

void SinkFeed::idle()
{
    m_playing.store(false, std::memory_order_release);
    m_idleSuspension->start();
}

void SinkFeed::suspendSink()
{
    m_idleSuspension->stop();
    if (m_sink && m_sink->state() != QAudio::SuspendedState && m_sink->state() != QAudio::StoppedState)
        m_sink->suspend();
}

void SinkFeed::noteSinkState(QAudio::State state)
{
    if (state != QAudio::StoppedState || !m_sink)
        return;
    if (const QString failure = describe(m_sink->error()); !failure.isEmpty())
        emit failed(failure);
}

void SinkFeed::closeSink()
{
    m_playing.store(false, std::memory_order_release);
    m_idleSuspension->stop();
    if (!m_sink)
        return;
    disconnect(m_sink, nullptr, this, nullptr);
    m_sink->stop();
    delete m_sink;
    m_sink = nullptr;
    close();
}

void SinkFeed::setSegment(std::shared_ptr<PlaybackSegment> segment)
{
    std::lock_guard lock(m_segmentMutex);
    m_segment = std::move(segment);
}

std::shared_ptr<PlaybackSegment> SinkFeed::currentSegment()
{
    std::lock_guard lock(m_segmentMutex);
    return m_segment;
}

qint64 SinkFeed::bytesAvailable() const
{
    // Always ready: silence fills whatever the segment cannot.
    return QIODevice::bytesAvailable() + m_sampleRate * bytesPerFrame;
}

qint64 SinkFeed::readData(char *data, qint64 maxSize)
{
    const qint64 frames = maxSize / bytesPerFrame;
    float *samples = reinterpret_cast<float *>(data);
    const std::shared_ptr<PlaybackSegment> segment = currentSegment();
    if (const quint64 generation = segment ? segment->generation() : 0; generation != m_activeGeneration) {
        m_activeGeneration = generation;
        m_handed.clear();
    }

    qint64 segmentFrames = 0;
    if (segment && m_playing.load(std::memory_order_acquire)) {
        segmentFrames = segment->read(samples, frames);
        if (segmentFrames > 0) {
            const qint64 handed = segment->handedFrames.load(std::memory_order_relaxed);
            if (m_handed.size() == m_handed.capacity())
                m_handed.erase(m_handed.begin());
            m_handed.push_back({m_sinkFrames, handed, segmentFrames});
            segment->handedFrames.store(handed + segmentFrames, std::memory_order_release);
        }
    }
    const float volume = m_volume.load(std::memory_order_relaxed);
    std::transform(samples, samples + segmentFrames * AudioDecoder::channelCount, samples,
                   [volume](float sample) { return sample * volume; });
    std::fill(samples + segmentFrames * AudioDecoder::channelCount, samples + frames * AudioDecoder::channelCount,
              0.0f);
    m_sinkFrames += frames;

    if (m_tapInstalled.load(std::memory_order_acquire) && m_tap)
        m_tap({samples, std::size_t(frames * AudioDecoder::channelCount)}, AudioDecoder::channelCount, m_sampleRate);
    if (segment)
        notePlayed(*segment);
    return frames * bytesPerFrame;
}

// Maps the sink's played time onto the segment's frames, and reports the segment's end once its
// decoder is done, everything has been handed on and the sink has played it.
void SinkFeed::notePlayed(PlaybackSegment &segment)
{
    if (!m_sink)
        return;
    const qint64 sinkPlayed = m_sink->processedUSecs() * m_sampleRate / 1'000'000;
    while (m_handed.size() > 1 && m_handed[1].sinkFrame <= sinkPlayed)
        m_handed.erase(m_handed.begin());
    if (!m_handed.empty() && m_handed.front().sinkFrame <= sinkPlayed) {
        const Handed &block = m_handed.front();
        const qint64 played = block.segmentFrame + std::min(block.count, sinkPlayed - block.sinkFrame);
        if (played > segment.playedFrames.load(std::memory_order_relaxed))
            segment.playedFrames.store(played, std::memory_order_release);
    }
    if (!segment.endReported && segment.isDrained()
        && segment.playedFrames.load(std::memory_order_relaxed) >= segment.handedFrames.load(std::memory_order_relaxed)) {
        segment.endReported = true;
        emit segmentFinished(segment.token());
    }
}

qint64 SinkFeed::writeData(const char *, qint64)
{
    return -1;
}
