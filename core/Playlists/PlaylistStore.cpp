#include "PlaylistStore.h"

#include <QSet>

#include <algorithm>

namespace {

// The stored default, so it is deliberately not looked up in the translation tables.
const QString defaultPlaylistName = QStringLiteral("新建播放列表");

} // namespace

PlaylistStore::PlaylistStore(QList<Playlist> playlists, Persist persist, QObject *parent)
    : QObject(parent), m_playlists(std::move(playlists)), m_persist(std::move(persist))
{
}

Playlist PlaylistStore::create(const QString &name)
{
    const QString trimmed = name.trimmed();
    Playlist playlist{QUuid::createUuid(), trimmed.isEmpty() ? defaultPlaylistName : trimmed, {}};
    m_playlists.append(playlist);
    commit();
    return playlist;
}

void PlaylistStore::rename(const QUuid &playlistID, const QString &name)
{
    Playlist *playlist = find(playlistID);
    const QString trimmed = name.trimmed();
    if (!playlist || trimmed.isEmpty())
        return;
    playlist->name = trimmed;
    commit();
}

void PlaylistStore::deletePlaylist(const QUuid &playlistID)
{
    const qsizetype position = indexOf(playlistID);
    if (position < 0)
        return;
    m_playlists.removeAt(position);
    commit();
}

void PlaylistStore::add(const QList<QUuid> &trackIDs, const QUuid &playlistID)
{
    Playlist *playlist = find(playlistID);
    if (!playlist)
        return;
    QSet<QUuid> present(playlist->trackIDs.cbegin(), playlist->trackIDs.cend());
    QList<QUuid> taken;
    for (const QUuid &id : trackIDs) {
        if (!present.contains(id)) {
            present.insert(id);
            taken.append(id);
        }
    }
    if (taken.isEmpty())
        return;
    playlist->trackIDs.append(taken);
    commit();
}

void PlaylistStore::remove(const QUuid &trackID, const QUuid &playlistID)
{
    Playlist *playlist = find(playlistID);
    if (!playlist || !playlist->trackIDs.removeOne(trackID))
        return;
    commit();
}

void PlaylistStore::move(qsizetype from, qsizetype to, const QUuid &playlistID)
{
    Playlist *playlist = find(playlistID);
    if (!playlist || from < 0 || from >= playlist->trackIDs.size())
        return;
    const QUuid moved = playlist->trackIDs.takeAt(from);
    playlist->trackIDs.insert(std::clamp<qsizetype>(to, 0, playlist->trackIDs.size()), moved);
    commit();
}

void PlaylistStore::reload(const QList<Playlist> &playlists)
{
    if (playlists == m_playlists)
        return;
    m_playlists = playlists;
    emit playlistsChanged();
}

qsizetype PlaylistStore::indexOf(const QUuid &playlistID) const
{
    const auto found = std::ranges::find(m_playlists, playlistID, &Playlist::id);
    return found == m_playlists.cend() ? -1 : found - m_playlists.cbegin();
}

Playlist *PlaylistStore::find(const QUuid &playlistID)
{
    const qsizetype position = indexOf(playlistID);
    return position < 0 ? nullptr : &m_playlists[position];
}

void PlaylistStore::commit()
{
    if (m_persist)
        (void)m_persist(m_playlists);
    emit playlistsChanged();
}
