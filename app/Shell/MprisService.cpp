#include "MprisService.h"

#include "MprisPlayerAdaptor.h"
#include "MprisRootAdaptor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

#include <cmath>

const QString MprisService::serviceName = QStringLiteral("org.mpris.MediaPlayer2.quillmere");
const QString MprisService::objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

namespace {

constexpr double microseconds = 1'000'000;

QDBusObjectPath trackPath(const QUuid &trackID)
{
    if (trackID.isNull())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/org/quillmere/track/")
                           + QString::fromLatin1(trackID.toByteArray(QUuid::Id128)));
}

} // namespace

MprisService::MprisService(QDBusConnection connection, QObject *parent)
    : QObject(parent), m_connection(std::move(connection))
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    m_registered = m_connection.isConnected()
                   && m_connection.registerObject(objectPath, this, QDBusConnection::ExportAdaptors)
                   && m_connection.registerService(serviceName);
}

MprisService::~MprisService()
{
    if (!m_registered)
        return;
    m_connection.unregisterService(serviceName);
    m_connection.unregisterObject(objectPath);
}

void MprisService::publish(const NowPlayingInfo &info)
{
    const NowPlayingInfo previous = std::exchange(m_info, info);
    QVariantMap changed;
    if (playbackStatus(previous) != playbackStatus(info))
        changed.insert(QStringLiteral("PlaybackStatus"), playbackStatus(info));
    if (metadata(previous) != metadata(info))
        changed.insert(QStringLiteral("Metadata"), metadata(info));
    if (!changed.isEmpty())
        announce(QStringLiteral("org.mpris.MediaPlayer2.Player"), changed);
}

QString MprisService::playbackStatus() const
{
    return playbackStatus(m_info);
}

QVariantMap MprisService::metadata() const
{
    return metadata(m_info);
}

qlonglong MprisService::position() const
{
    return std::isfinite(m_info.elapsed) ? qlonglong(std::max(0.0, m_info.elapsed) * microseconds) : 0;
}

QVariantMap MprisService::metadata(const NowPlayingInfo &info)
{
    QVariantMap metadata{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackPath(info.trackID))}};
    if (info.state == NowPlayingInfo::State::stopped)
        return metadata;
    metadata.insert(QStringLiteral("xesam:title"), info.title);
    if (!info.artist.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{info.artist});
    if (!info.album.isEmpty())
        metadata.insert(QStringLiteral("xesam:album"), info.album);
    if (info.duration && std::isfinite(*info.duration))
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(std::llround(*info.duration * microseconds)));
    return metadata;
}

QString MprisService::playbackStatus(const NowPlayingInfo &info)
{
    switch (info.state) {
    case NowPlayingInfo::State::playing:
        return QStringLiteral("Playing");
    case NowPlayingInfo::State::paused:
        return QStringLiteral("Paused");
    case NowPlayingInfo::State::stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

void MprisService::announce(const QString &interfaceName, const QVariantMap &changed)
{
    if (!m_registered)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        objectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << interfaceName << changed << QStringList();
    m_connection.send(signal);
}
