#pragma once

#include "NowPlayingInfo.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

// The player on the session bus as MPRIS2 clients see it ("org.mpris.MediaPlayer2.quillmere"
// at /org/mpris/MediaPlayer2): the root and player interfaces. It publishes the now-playing
// information it is given, announces changes of the playback status and the metadata through
// PropertiesChanged, and turns the clients' calls into request signals. Desktops route the
// media keys to it.
class MprisService : public QObject
{
    Q_OBJECT

public:
    static const QString serviceName;
    static const QString objectPath;

    explicit MprisService(QDBusConnection connection, QObject *parent = nullptr);
    ~MprisService() override;

    // False when the bus is absent or another process holds the name.
    bool isRegistered() const { return m_registered; }

    const NowPlayingInfo &info() const { return m_info; }
    void publish(const NowPlayingInfo &info);

    QString playbackStatus() const;
    QVariantMap metadata() const;
    // Microseconds.
    qlonglong position() const;

    static QVariantMap metadata(const NowPlayingInfo &info);
    static QString playbackStatus(const NowPlayingInfo &info);

signals:
    void playRequested();
    void pauseRequested();
    void playPauseRequested();
    void stopRequested();
    void nextRequested();
    void previousRequested();
    void raiseRequested();

private:
    void announce(const QString &interfaceName, const QVariantMap &changed);

    QDBusConnection m_connection;
    NowPlayingInfo m_info;
    bool m_registered = false;
};
