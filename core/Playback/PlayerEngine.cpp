#include "PlayerEngine.h"

#include "AudioDecoder.h"
#include "Localization.h"
#include "SinkAudioOutput.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

constexpr int positionIntervalMs = 500;
constexpr int spectrumIntervalMs = 50;
constexpr double spectrumInterval = spectrumIntervalMs / 1000.0;
constexpr float riseDecay = 0.72f;
constexpr float fallDecay = 0.68f;
constexpr float silentLevel = 0.01f;

QList<float> zeroBands()
{
    return QList<float>(PlayerEngine::bandCount, 0.0f);
}

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

PlayerEngine::PlayerEngine(QObject *parent)
    : PlayerEngine([](AudioOutput::Tap tap) { return std::make_unique<SinkAudioOutput>(std::move(tap)); }, parent)
{
}

PlayerEngine::PlayerEngine(AudioOutputFactory makeOutput, QObject *parent)
    : QObject(parent), m_makeOutput(std::move(makeOutput))
{
    m_positionTimer.setObjectName(QStringLiteral("positionTimer"));
    m_positionTimer.setInterval(positionIntervalMs);
    connect(&m_positionTimer, &QTimer::timeout, this, [this] {
        if (isPlaying()) {
            setPosition(std::max(currentPlaybackPosition(), m_position));
            m_pausedPosition = m_position;
        }
    });
    m_spectrumDecayTimer.setObjectName(QStringLiteral("spectrumDecayTimer"));
    m_spectrumDecayTimer.setInterval(spectrumIntervalMs);
    connect(&m_spectrumDecayTimer, &QTimer::timeout, this, &PlayerEngine::decaySpectrum);
}

PlayerEngine::~PlayerEngine()
{
    m_engine.reset();
}

void PlayerEngine::setSpectrumEnabled(bool enabled)
{
    if (enabled == isSpectrumEnabled())
        return;
    m_spectrumEnabled.store(enabled, std::memory_order_relaxed);
    updateTapInstallation();
    if (!enabled)
        startSpectrumDecay();
}

AudioOutput &PlayerEngine::ensureEngine()
{
    if (!m_engine) {
        m_engine = m_makeOutput([this](std::span<const float> interleaved, int channels, double sampleRate) {
            handleTap(interleaved, channels, sampleRate);
        });
        connect(m_engine.get(), &AudioOutput::segmentFinished, this, &PlayerEngine::handleSegmentFinished);
        connect(m_engine.get(), &AudioOutput::failed, this, &PlayerEngine::handleOutputFailure);
        m_engine->setVolume(m_volume);
        updateTapInstallation();
    }
    return *m_engine;
}

std::expected<void, QString> PlayerEngine::load(const FileLocation &location)
{
    setLastError({});
    // Never a count of every packet here: a long MP3 without a length header is counted on a worker.
    auto opened = AudioDecoder::open(location, AudioDecoder::Length::Estimated);
    if (!opened) {
        setLastError(Lf("无法读取音频文件（%@）", opened.error()));
        return std::unexpected(opened.error());
    }
    ++m_generation;
    if (m_engine) {
        m_engine->stopSegment();
        m_engine->stop();
    }
    m_positionTimer.stop();

    m_file = std::move(*opened);
    setDuration(double(m_file->frameCount()) / m_file->sampleRate());
    m_pausedPosition = 0;
    setPosition(0);
    setPlaying(false);
    updateTapInstallation();
    m_spectrumDecayTimer.stop();
    setSpectrum(zeroBands());

    ensureEngine().connectSource(m_file);
    scheduleSegment(0);
    if (!m_file->isLengthExact())
        countLength(location);
    return {};
}

void PlayerEngine::countLength(const FileLocation &location)
{
    auto *counting = new QFutureWatcher<std::optional<qint64>>(this);
    connect(counting, &QFutureWatcherBase::finished, this,
            [this, counting, counted = std::weak_ptr<AudioDecoder>(m_file)] {
                counting->deleteLater();
                const std::optional<qint64> frames = counting->result();
                const std::shared_ptr<AudioDecoder> file = counted.lock();
                if (!frames || !file || file != m_file)
                    return;
                file->setFrameCount(*frames);
                setDuration(double(*frames) / file->sampleRate());
            });
    counting->setFuture(QtConcurrent::run([location] { return AudioDecoder::countedFrameCount(location); }));
}

// A remainder of any length plays: segments are not limited to 32-bit frame counts.
void PlayerEngine::scheduleSegment(qint64 startFrame)
{
    if (!m_file)
        return;
    // Raised before the output drops the old segment, so its end can never count.
    const quint64 token = ++m_generation;
    AudioOutput &engine = ensureEngine();
    engine.stopSegment();
    m_positionTimer.stop();
    m_segmentStartFrame = startFrame;
    if (m_file->frameCount() - startFrame < 1) {
        m_segmentScheduled = false;
        return;
    }
    engine.scheduleSegment(startFrame, token);
    m_segmentScheduled = true;
}

void PlayerEngine::handleSegmentFinished(quint64 token)
{
    if (token == m_generation)
        finishPlayback();
}

// The device is gone (its sound server stopped): playback stops where it was heard, and the next
// play() opens the device again and goes on from there.
void PlayerEngine::handleOutputFailure(const QString &description)
{
    if (!m_engine || !m_engine->isRunning())
        return;
    const double position = currentPlaybackPosition();
    m_engine->stop();
    setLastError(description);
    if (m_file && m_segmentScheduled)
        scheduleSegment(std::min(qint64(position * m_file->sampleRate()), m_file->frameCount()));
    m_pausedPosition = position;
    setPosition(position);
    setPlaying(false);
    updateTapInstallation();
    startSpectrumDecay();
    m_positionTimer.stop();
}

void PlayerEngine::finishPlayback()
{
    ++m_generation;
    m_engine->stopSegment();
    m_segmentScheduled = false;
    m_positionTimer.stop();
    setPlaying(false);
    updateTapInstallation();
    startSpectrumDecay();
    m_pausedPosition = m_duration;
    setPosition(m_duration);
    if (m_onFinish)
        m_onFinish();
}

bool PlayerEngine::startEngineIfNeeded()
{
    AudioOutput &engine = ensureEngine();
    if (engine.isRunning())
        return true;
    if (auto started = engine.start(); !started) {
        setLastError(Lf("音频引擎启动失败（%@）", started.error()));
        setPlaying(false);
        return false;
    }
    return true;
}

void PlayerEngine::startPlaying()
{
    m_engine->play();
    setPlaying(true);
    m_spectrumDecayTimer.stop();
    updateTapInstallation();
    startPositionTimer();
}

void PlayerEngine::play()
{
    setLastError({});
    if (!m_file) {
        setLastError(L("没有加载音频文件"));
        return;
    }
    if (!startEngineIfNeeded())
        return;
    if (!m_segmentScheduled) {
        scheduleSegment(0);
        m_pausedPosition = 0;
        setPosition(0);
    }
    startPlaying();
    // An empty file has nothing to schedule: it ends at once rather than playing nothing forever.
    if (!m_segmentScheduled)
        QMetaObject::invokeMethod(
            this, [this, token = m_generation] { handleSegmentFinished(token); }, Qt::QueuedConnection);
}

void PlayerEngine::pause()
{
    if (!isPlaying())
        return;
    const double position = currentPlaybackPosition();
    m_engine->pause();
    m_pausedPosition = position;
    setPosition(position);
    setPlaying(false);
    updateTapInstallation();
    startSpectrumDecay();
    m_positionTimer.stop();
}

void PlayerEngine::seek(double seconds)
{
    if (!m_file || !std::isfinite(seconds))
        return;
    setLastError({});
    ensureEngine();
    const bool wasPlaying = isPlaying();
    const double target = std::clamp(seconds, 0.0, m_duration);
    const qint64 frame = std::min(qint64(target * m_file->sampleRate()), m_file->frameCount());
    scheduleSegment(frame);
    m_pausedPosition = target;
    setPosition(target);

    if (wasPlaying && m_segmentScheduled) {
        if (!startEngineIfNeeded()) {
            updateTapInstallation();
            m_positionTimer.stop();
            return;
        }
        startPlaying();
        return;
    }
    setPlaying(false);
    updateTapInstallation();
    startSpectrumDecay();
    m_positionTimer.stop();
}

void PlayerEngine::unload()
{
    ++m_generation;
    if (m_engine) {
        m_engine->stopSegment();
        m_engine->stop();
    }
    m_positionTimer.stop();
    m_file.reset();
    m_segmentScheduled = false;
    setDuration(0);
    setPosition(0);
    m_pausedPosition = 0;
    setPlaying(false);
    updateTapInstallation();
    m_spectrumDecayTimer.stop();
    setSpectrum(zeroBands());
}

void PlayerEngine::setVolume(float volume)
{
    m_volume = volume > 0.0f ? std::min(volume, 1.0f) : 0.0f;
    if (m_engine)
        m_engine->setVolume(m_volume);
}

double PlayerEngine::currentPlaybackPosition() const
{
    if (m_file && m_engine) {
        if (const std::optional<qint64> played = m_engine->playedFrames()) {
            const double seconds = double(std::max<qint64>(*played, 0) + m_segmentStartFrame) / m_file->sampleRate();
            return std::min(std::max(seconds, 0.0), m_duration);
        }
    }
    return m_pausedPosition;
}

void PlayerEngine::startPositionTimer()
{
    m_positionTimer.start();
}

void PlayerEngine::updateTapInstallation()
{
    if (!m_engine)
        return;
    const bool wanted = isSpectrumEnabled() && isPlaying();
    if (wanted != m_tapInstalled) {
        m_engine->setTapInstalled(wanted);
        m_tapInstalled = wanted;
    }
}

// Audio thread: analyses at most one block per 0.05 s and hands the bands to the GUI thread.
void PlayerEngine::handleTap(std::span<const float> interleaved, int channels, double sampleRate)
{
    if (!isSpectrumEnabled() || !isPlaying())
        return;
    const double now = monotonicSeconds();
    if (now - m_lastSpectrumPublish < spectrumInterval)
        return;
    m_lastSpectrumPublish = now;
    const std::size_t frames = channels > 0
                                   ? std::min(m_monoBuffer.size(), interleaved.size() / std::size_t(channels))
                                   : 0;
    if (frames == 0)
        return;
    std::fill_n(m_monoBuffer.begin(), frames, 0.0f);
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            m_monoBuffer[frame] += interleaved[frame * channels + channel];
    if (channels >= 2) {
        const float scale = 1.0f / channels;
        std::for_each_n(m_monoBuffer.begin(), frames, [scale](float &sample) { sample *= scale; });
    }
    m_analyzer.process({m_monoBuffer.data(), frames}, sampleRate, m_bandScratch);
    QMetaObject::invokeMethod(this, [this, bands = m_bandScratch] { applyTapBands(bands); }, Qt::QueuedConnection);
}

void PlayerEngine::applyTapBands(const QList<float> &bands)
{
    if (!m_engine || !isSpectrumEnabled() || !isPlaying())
        return;
    m_spectrumDecayTimer.stop();
    QList<float> smoothed = m_spectrum;
    const qsizetype count = std::min(bands.size(), smoothed.size());
    for (qsizetype i = 0; i < count; ++i)
        smoothed[i] = std::max(bands[i], smoothed[i] * riseDecay);
    setSpectrum(smoothed);
}

void PlayerEngine::startSpectrumDecay()
{
    m_spectrumDecayTimer.stop();
    if (std::none_of(m_spectrum.begin(), m_spectrum.end(), [](float value) { return value > 0.0f; }))
        return;
    m_spectrumDecayTimer.start();
}

void PlayerEngine::decaySpectrum()
{
    QList<float> decayed = m_spectrum;
    for (float &value : decayed)
        value *= fallDecay;
    if (std::any_of(decayed.begin(), decayed.end(), [](float value) { return value >= silentLevel; })) {
        setSpectrum(decayed);
        return;
    }
    setSpectrum(zeroBands());
    m_spectrumDecayTimer.stop();
}

void PlayerEngine::setPlaying(bool playing)
{
    if (playing == isPlaying())
        return;
    m_isPlaying.store(playing, std::memory_order_relaxed);
    emit isPlayingChanged(playing);
}

void PlayerEngine::setPosition(double position)
{
    if (position == m_position)
        return;
    m_position = position;
    emit positionChanged(position);
}

void PlayerEngine::setDuration(double duration)
{
    if (duration == m_duration)
        return;
    m_duration = duration;
    emit durationChanged(duration);
}

void PlayerEngine::setSpectrum(const QList<float> &spectrum)
{
    if (spectrum == m_spectrum)
        return;
    m_spectrum = spectrum;
    emit spectrumChanged(spectrum);
}

void PlayerEngine::setLastError(const QString &error)
{
    if (error == m_lastError)
        return;
    m_lastError = error;
    emit lastErrorChanged(error);
}
