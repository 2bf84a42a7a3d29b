#include "FakePlaybackEngine.h"

#include "Localization.h"

#include <algorithm>

std::expected<void, QString> FakePlaybackEngine::load(const FileLocation &location)
{
    setLastError(QString());
    if (m_failingLoads.contains(location)) {
        const QString error = Lf("无法读取音频文件（%@）", QStringLiteral("scripted failure"));
        setLastError(error);
        return std::unexpected(error);
    }
    m_loaded.append(location);
    setPlaying(false);
    setDuration(m_loadedDuration);
    setPosition(0);
    return {};
}

void FakePlaybackEngine::play()
{
    setLastError(QString());
    if (m_duration <= 0) {
        setLastError(L("没有加载音频文件"));
        return;
    }
    if (m_playFails) {
        setLastError(Lf("音频引擎启动失败（%@）", QStringLiteral("scripted failure")));
        setPlaying(false);
        return;
    }
    ++m_playCount;
    setPlaying(true);
}

void FakePlaybackEngine::pause()
{
    setPlaying(false);
}

void FakePlaybackEngine::seek(double seconds)
{
    if (m_duration <= 0)
        return;
    setLastError(QString());
    setPosition(std::clamp(seconds, 0.0, m_duration));
}

void FakePlaybackEngine::unload()
{
    setPlaying(false);
    setDuration(0);
    setPosition(0);
}

void FakePlaybackEngine::setPosition(double seconds)
{
    m_position = seconds;
    emit positionChanged(m_position);
}

void FakePlaybackEngine::setSpectrum(const QList<float> &spectrum)
{
    m_spectrum = spectrum;
    emit spectrumChanged(m_spectrum);
}

void FakePlaybackEngine::emitFinished()
{
    setPlaying(false);
    setPosition(m_duration);
    if (m_onFinish)
        m_onFinish();
}

void FakePlaybackEngine::setPlaying(bool playing)
{
    if (m_isPlaying == playing)
        return;
    m_isPlaying = playing;
    emit isPlayingChanged(playing);
}

void FakePlaybackEngine::setDuration(double duration)
{
    if (m_duration == duration)
        return;
    m_duration = duration;
    emit durationChanged(duration);
}

void FakePlaybackEngine::setLastError(const QString &error)
{
    if (m_lastError == error)
        return;
    m_lastError = error;
    emit lastErrorChanged(error);
}
