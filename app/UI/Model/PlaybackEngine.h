#pragma once

#include "Storage/FileLocation.h"

#include <QList>
#include <QObject>
#include <QString>

#include <expected>
#include <functional>

// What the model and the views need of the audio engine: one file at a time, its playing flag,
// position, duration, spectrum and last error, published on the GUI thread. The production engine
// plays through the sound server; tests script a fake.
class PlaybackEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double position READ position NOTIFY positionChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(QList<float> spectrum READ spectrum NOTIFY spectrumChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(bool isSpectrumEnabled READ isSpectrumEnabled WRITE setSpectrumEnabled)

public:
    using QObject::QObject;

    virtual bool isPlaying() const = 0;
    virtual double position() const = 0;
    // 0 while nothing is loaded.
    virtual double duration() const = 0;
    virtual QList<float> spectrum() const = 0;
    // Empty when there is none.
    virtual QString lastError() const = 0;
    virtual bool isSpectrumEnabled() const = 0;
    virtual void setSpectrumEnabled(bool enabled) = 0;

    // Called on the GUI thread once per natural end of a file; replaces the earlier action.
    virtual void setOnFinish(std::function<void()> onFinish) = 0;
    // Makes the file ready to play from the start; on failure the file loaded before stays.
    virtual std::expected<void, QString> load(const FileLocation &location) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void seek(double seconds) = 0;
    virtual void unload() = 0;
    // Clamped to 0...1.
    virtual void setVolume(float volume) = 0;

signals:
    void isPlayingChanged(bool isPlaying);
    void positionChanged(double position);
    void durationChanged(double duration);
    void spectrumChanged(const QList<float> &spectrum);
    void lastErrorChanged(const QString &lastError);
};
