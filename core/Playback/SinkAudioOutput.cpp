#include "SinkAudioOutput.h"

#include "AudioDecoder.h"
#include "Localization.h"
#include "PlaybackSegment.h"
#include "SinkFeed.h"

#include <QMediaDevices>

SinkAudioOutput::SinkAudioOutput(Tap tap, QObject *parent)
    : AudioOutput(parent), m_feed(new SinkFeed(std::move(tap)))
{
    m_audioThread.setObjectName(QStringLiteral("audio"));
    m_feed->moveToThread(&m_audioThread);
    connect(m_feed, &SinkFeed::segmentFinished, this, &AudioOutput::segmentFinished);
    connect(m_feed, &SinkFeed::failed, this, [this](const QString &description) {
        if (m_running)
            emit failed(description);
    });
    connect(&m_audioThread, &QThread::finished, m_feed, &QObject::deleteLater);
    m_audioThread.start(QThread::TimeCriticalPriority);
}

SinkAudioOutput::~SinkAudioOutput()
{
    stopSegment();
    stop();
    m_audioThread.quit();
    m_audioThread.wait();
}

std::expected<void, QString> SinkAudioOutput::start()
{
    if (!m_decoder)
        return std::unexpected(L("没有可播放的音频"));
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const int sampleRate = m_decoder->sampleRate();
    std::expected<void, QString> result;
    QMetaObject::invokeMethod(
        m_feed, [&] { result = m_feed->openSink(device, sampleRate); }, Qt::BlockingQueuedConnection);
    m_running = result.has_value();
    return result;
}

void SinkAudioOutput::stop()
{
    if (!m_running)
        return;
    QMetaObject::invokeMethod(m_feed, [this] { m_feed->closeSink(); }, Qt::BlockingQueuedConnection);
    m_running = false;
}

void SinkAudioOutput::connectSource(std::shared_ptr<AudioDecoder> decoder)
{
    stopSegment();
    m_decoder = std::move(decoder);
}

void SinkAudioOutput::scheduleSegment(qint64 startFrame, quint64 token)
{
    stopSegment();
    if (!m_decoder)
        return;
    m_segment = std::make_shared<PlaybackSegment>(m_decoder, startFrame, token);
    m_feed->setSegment(m_segment);
}

void SinkAudioOutput::onAudioThread(void (SinkFeed::*request)())
{
    QMetaObject::invokeMethod(m_feed, [feed = m_feed, request] { (feed->*request)(); }, Qt::QueuedConnection);
}

void SinkAudioOutput::play()
{
    onAudioThread(&SinkFeed::play);
}

void SinkAudioOutput::pause()
{
    onAudioThread(&SinkFeed::pause);
}

void SinkAudioOutput::stopSegment()
{
    onAudioThread(&SinkFeed::idle);
    m_feed->setSegment(nullptr);
    if (m_segment) {
        // The decoder must be free before the next segment uses it.
        m_segment->stop();
        m_segment.reset();
    }
}

std::optional<qint64> SinkAudioOutput::playedFrames() const
{
    if (!m_running || !m_segment)
        return std::nullopt;
    return m_segment->playedFrames.load(std::memory_order_acquire);
}

void SinkAudioOutput::setVolume(float volume)
{
    m_feed->setVolume(volume);
}

void SinkAudioOutput::setTapInstalled(bool installed)
{
    m_feed->setTapInstalled(installed);
}
