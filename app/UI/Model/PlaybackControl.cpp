#include "PlaybackControl.h"

#include "AppModel.h"
#include "FFmpegControl.h"

#include "Library/AudioFormatSupport.h"
#include "Localization.h"

#include <QFutureWatcher>

#include <algorithm>
#include <cmath>

PlaybackControl::PlaybackControl(AppModel &model) : m_model(model)
{
}

void PlaybackControl::play()
{
    if (const std::optional<Track> &current = m_model.m_currentTrack) {
        if (m_model.engine().duration() > 0) {
            m_model.engine().play();
            reportStart();
        } else {
            resumeCurrent(*current);
        }
        return;
    }
    const VisibleTrackList visible = m_model.visibleTracks();
    if (visible.isEmpty())
        m_model.setStatusMessage(L("音乐库是空的，先导入一个文件夹。"));
    else
        play(visible.at(0).id);
}

void PlaybackControl::play(const QUuid &trackID)
{
    const VisibleTrackList visible = m_model.visibleTracks();
    const qsizetype row = visible.indexOf(trackID);
    if (row < 0)
        return;
    if (m_model.m_currentTrack && m_model.m_currentTrack->id == trackID) {
        togglePlayback();
        return;
    }
    const Track &track = visible.at(row);
    if (track.isMissing) {
        m_model.setStatusMessage(Lf("《%@》文件缺失，无法播放。", track.title));
        return;
    }
    PlaybackQueue queue = m_model.m_queue;
    queue.replace(visible.ids(), row);
    m_model.setQueue(queue);
    playFromQueue(trackID);
    m_model.savePlaybackState();
}

void PlaybackControl::togglePlayback()
{
    if (m_model.engine().isPlaying())
        m_model.engine().pause();
    else
        play();
}

void PlaybackControl::next()
{
    step(&PlaybackQueue::next);
}

void PlaybackControl::previous()
{
    step(&PlaybackQueue::previous);
}

void PlaybackControl::step(std::optional<QUuid> (PlaybackQueue::*advance)())
{
    PlaybackQueue queue = m_model.m_queue;
    const qsizetype attempts = std::max<qsizetype>(queue.trackIDs().size(), 1);
    for (qsizetype attempt = 0; attempt < attempts; ++attempt) {
        const std::optional<QUuid> id = (queue.*advance)();
        if (!id || playFromQueue(*id))
            break;
    }
    m_model.setQueue(queue);
    m_model.savePlaybackState();
}

bool PlaybackControl::playFromQueue(const QUuid &trackID)
{
    const std::optional<Track> track = m_model.trackWithID(trackID);
    if (!track) {
        m_model.setStatusMessage(L("曲目不在音乐库中。"));
        return false;
    }
    return startTrack(*track, 0);
}

bool PlaybackControl::startTrack(const Track &track, double position)
{
    if (track.isMissing) {
        m_model.setStatusMessage(Lf("《%@》文件缺失，已跳过。", track.title));
        return false;
    }
    std::optional<FileLocation> file;
    if (AudioFormatSupport::isNative(track.url))
        file = track.url;
    else
        file = m_model.transcode().cachedURL(track);
    if (file) {
        m_model.setShowsFFmpegInstallPrompt(false);
        m_pendingTranscode.reset();
        return loadAndPlay(track, *file, position);
    }

    const std::optional<FileLocation> ffmpeg = m_model.m_ffmpegControl->locate();
    if (!ffmpeg) {
        waitForFFmpeg(track, position);
        return true;
    }
    m_model.transcode().updateFFmpeg(ffmpeg);
    m_model.engine().unload();
    m_model.setCurrentTrack(track);
    m_model.setRestoredPosition(position);
    m_model.setShowsFFmpegInstallPrompt(false);
    // The track waiting for ffmpeg, if any, is no longer what the user asked for: a later
    // re-detection must not cut this one off.
    m_pendingTranscode.reset();
    m_model.setStatusMessage(Lf("正在准备《%@》…", track.title));
    m_preparingTrackID = track.id;
    convert(track, position);
    return true;
}

// A newer start does not cancel an older conversion: the identifier guard alone keeps a stale
// result from playing, and the finished copy stays in the cache for later.
void PlaybackControl::convert(const Track &track, double position)
{
    using Watcher = QFutureWatcher<TranscodeResult>;
    auto *conversion = new Watcher(this);
    connect(conversion, &Watcher::finished, this, [this, conversion, track, position] {
        conversion->deleteLater();
        if (conversion->future().resultCount() > 0)
            finishConversion(track, position, conversion->result());
    });
    conversion->setFuture(m_model.transcode().ensureCached(track));
}

void PlaybackControl::finishConversion(const Track &track, double position, const TranscodeResult &result)
{
    if (m_preparingTrackID != track.id)
        return;
    if (result) {
        const std::optional<Track> &current = m_model.m_currentTrack;
        if (!current || current->id != track.id)
            return;
        m_preparingTrackID.reset();
        // The current value, not the one captured when the conversion began: a tag edit, rename
        // or organisation may have changed the track meanwhile.
        loadAndPlay(Track(*current), *result, position);
        return;
    }
    m_preparingTrackID.reset();
    if (result.error().kind == TranscodeError::Kind::FFmpegMissing)
        waitForFFmpeg(track, position);
    else
        m_model.setStatusMessage(Lf("无法准备《%@》：%@", track.title, result.error().description()));
}

void PlaybackControl::waitForFFmpeg(const Track &track, double position)
{
    m_pendingTranscode = PendingStart{track, position};
    m_model.setShowsFFmpegInstallPrompt(true);
    m_model.setStatusMessage(Lf("需要 FFmpeg 才能播放此格式（《%@》）。", track.title));
}

void PlaybackControl::retryPendingTranscode()
{
    if (!m_pendingTranscode)
        return;
    const PendingStart pending = *std::exchange(m_pendingTranscode, std::nullopt);
    // The resume position belongs to the current track only; a track that waited after a queue
    // start keeps the position it was to start from.
    const std::optional<Track> &current = m_model.m_currentTrack;
    const bool isCurrent = current && current->id == pending.track.id;
    const double position = isCurrent ? m_model.m_restoredPosition : pending.position;
    startTrack(m_model.trackWithID(pending.track.id).value_or(pending.track), position);
}

// The current track is always assigned again, so that its lyrics are resolved anew.
void PlaybackControl::followLibrary()
{
    if (!m_model.m_currentTrack)
        return;
    const std::optional<Track> fresh = m_model.trackWithID(m_model.m_currentTrack->id);
    if (!fresh) {
        m_model.setCurrentTrack(std::nullopt);
        m_model.setRestoredPosition(0);
        m_model.engine().pause();
        return;
    }
    m_model.setCurrentTrack(fresh);
    if (fresh->isMissing) {
        m_model.engine().pause();
        m_model.setRestoredPosition(0);
        m_model.setStatusMessage(Lf("《%@》文件缺失，仍保留在列表中。", fresh->title));
    }
}

bool PlaybackControl::loadAndPlay(const Track &track, const FileLocation &file, double position)
{
    m_preparingTrackID.reset();
    PlaybackEngine &engine = m_model.engine();
    if (!engine.load(file)) {
        m_model.setStatusMessage(Lf("无法播放《%@》：%@", track.title, engineErrorText()));
        return false;
    }
    if (position > 0)
        engine.seek(position);
    m_model.setCurrentTrack(track);
    m_model.setRestoredPosition(0);
    engine.play();
    reportStart();
    return true;
}

void PlaybackControl::resumeCurrent(const Track &track)
{
    if (track.isMissing) {
        m_model.setStatusMessage(Lf("《%@》文件缺失，无法播放。", track.title));
        return;
    }
    const double position = m_model.m_restoredPosition;
    const std::optional<FileLocation> file =
        AudioFormatSupport::isNative(track.url) ? std::optional(track.url) : m_model.transcode().cachedURL(track);
    // Loading clears the resume position; a conversion keeps it until its copy plays.
    if (file)
        loadAndPlay(track, *file, position);
    else
        startTrack(track, position);
}

void PlaybackControl::seek(double seconds)
{
    const std::optional<Track> &current = m_model.m_currentTrack;
    // An infinite or undefined target would end up in the saved settings.
    if (!current || !std::isfinite(seconds))
        return;
    PlaybackEngine &engine = m_model.engine();
    if (engine.duration() > 0) {
        engine.seek(seconds);
        if (!engine.lastError().isEmpty())
            m_model.setStatusMessage(Lf("无法跳转播放位置：%@", engine.lastError()));
    } else {
        const double target = std::max(seconds, 0.0);
        m_model.setRestoredPosition(current->duration > 0 ? std::min(target, current->duration) : target);
    }
    m_model.savePlaybackState();
}

void PlaybackControl::setPlaybackMode(PlaybackMode mode)
{
    if (m_model.m_queue.mode() == mode)
        return;
    PlaybackQueue queue = m_model.m_queue;
    queue.setMode(mode);
    m_model.setQueue(queue);
    m_model.savePlaybackState();
}

double PlaybackControl::displayDuration() const
{
    if (const double loaded = m_model.engine().duration(); loaded > 0)
        return loaded;
    return m_model.m_currentTrack ? m_model.m_currentTrack->duration : 0;
}

void PlaybackControl::showMiniPlayer()
{
    if (m_model.m_environment.shell)
        m_model.m_environment.shell->hideMainWindows();
    if (MiniPlayerPanel *miniPlayer = m_model.miniPlayer())
        miniPlayer->show();
}

void PlaybackControl::reportStart()
{
    if (m_model.engine().isPlaying())
        m_model.setStatusMessage(std::nullopt);
    else
        m_model.setStatusMessage(Lf("无法开始播放：%@", engineErrorText()));
}

QString PlaybackControl::engineErrorText() const
{
    const QString error = m_model.engine().lastError();
    return error.isEmpty() ? L("未知错误") : error;
}
