#pragma once

#include "Models/Track.h"
#include "Playback/PlaybackMode.h"
#include "Playback/PlaybackQueue.h"
#include "Storage/FileLocation.h"
#include "Transcode/TranscodeQueue.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class AppModel;

// The model's playback commands: which track starts, from which file (the audio file itself,
// its cached conversion, or a priority conversion that plays only while its track is still the
// one being prepared), and how the queue steps past tracks that cannot start. Part of the model;
// lives on the GUI thread and publishes through the model's state.
class PlaybackControl final : public QObject
{
public:
    explicit PlaybackControl(AppModel &model);

    void play();
    void play(const QUuid &trackID);
    void togglePlayback();
    void next();
    void previous();
    void seek(double seconds);
    void setPlaybackMode(PlaybackMode mode);
    double displayDuration() const;
    void showMiniPlayer();

    // The track that waits for ffmpeg; starting it again once ffmpeg is there.
    bool hasPendingTranscode() const { return m_pendingTranscode.has_value(); }
    void forgetPendingTranscode() { m_pendingTranscode.reset(); }
    void retryPendingTranscode();
    // Brings the current track in line with the library's tracks after they changed.
    void followLibrary();

private:
    // A track that could not be prepared because ffmpeg was missing, with the position it was to
    // start from.
    struct PendingStart
    {
        Track track;
        double position = 0;
    };

    // Tries the entries the queue gives until one starts or each has been tried once.
    void step(std::optional<QUuid> (PlaybackQueue::*advance)());
    bool playFromQueue(const QUuid &trackID);
    // True when the track started, or its conversion or the ffmpeg prompt is under way.
    bool startTrack(const Track &track, double position);
    void convert(const Track &track, double position);
    void finishConversion(const Track &track, double position, const TranscodeResult &result);
    void waitForFFmpeg(const Track &track, double position);
    // True when the engine loaded the file, also when it then failed to start.
    bool loadAndPlay(const Track &track, const FileLocation &file, double position);
    void resumeCurrent(const Track &track);
    void reportStart();
    QString engineErrorText() const;

    AppModel &m_model;
    std::optional<PendingStart> m_pendingTranscode;
    // The track whose conversion is awaited; a finished conversion plays only while it is set.
    std::optional<QUuid> m_preparingTrackID;
};
