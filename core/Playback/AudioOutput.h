#pragma once

#include <QObject>
#include <QString>

#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class AudioDecoder;

// Where the player's audio goes: a device that runs or not (the "engine"), and on it one scheduled
// run of a decoder's frames (the "segment") that plays, pauses or is dropped. Lives on the GUI
// thread; implementations may render on threads of their own.
class AudioOutput : public QObject
{
    Q_OBJECT

public:
    // Sees every block as it is handed to the device, after the volume: interleaved frames.
    // Called on the rendering thread.
    using Tap = std::function<void(std::span<const float> interleaved, int channels, double sampleRate)>;

    using QObject::QObject;
    ~AudioOutput() override;

    virtual bool isRunning() const = 0;
    // Opens the device in the connected decoder's format; the description of the failure otherwise.
    virtual std::expected<void, QString> start() = 0;
    // Closes the device; a scheduled segment stays scheduled.
    virtual void stop() = 0;

    // The decoder that segments read from, replacing any earlier one (drops the scheduled segment).
    virtual void connectSource(std::shared_ptr<AudioDecoder> decoder) = 0;
    // Schedules the frames from `startFrame` to the end, replacing the scheduled segment. Once all of
    // them have been heard, `segmentFinished(token)` is emitted (on the GUI thread).
    virtual void scheduleSegment(qint64 startFrame, quint64 token) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // Drops the scheduled segment without reporting its end.
    virtual void stopSegment() = 0;
    // Frames of the scheduled segment heard so far; nothing while the device is closed or no segment
    // is scheduled.
    virtual std::optional<qint64> playedFrames() const = 0;

    virtual void setVolume(float volume) = 0;
    virtual void setTapInstalled(bool installed) = 0;

signals:
    void segmentFinished(quint64 token);
    // The running device stopped by itself (its sound server went away): it counts as stopped, and
    // the next `start()` opens it again. The description is for the user.
    void failed(const QString &description);
};

using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>(AudioOutput::Tap tap)>;
