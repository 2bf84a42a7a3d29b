#pragma once

#include "Models/Playlist.h"
#include "Storage/FileError.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <expected>
#include <functional>

// The user's playlists in memory and every edit of them. After each edit that changes something the
// whole list goes to the owner's persist callback; the store itself never touches files. GUI thread.
class PlaylistStore : public QObject
{
    Q_OBJECT

public:
    // Saves the complete list. A failure is the owner's to report; the edit stays in memory.
    using Persist = std::function<std::expected<void, FileError>(const QList<Playlist> &)>;

    explicit PlaylistStore(QList<Playlist> playlists = {}, Persist persist = {}, QObject *parent = nullptr);

    // In creation order.
    const QList<Playlist> &playlists() const { return m_playlists; }

    // A blank name gives the stored default name.
    Playlist create(const QString &name);
    // Edits of a playlist that does not exist, blank new names and additions that add nothing are
    // silently ignored.
    void rename(const QUuid &playlistID, const QString &name);
    void deletePlaylist(const QUuid &playlistID);
    // Appends the identifiers not yet in the playlist, once each, in their given order.
    void add(const QList<QUuid> &trackIDs, const QUuid &playlistID);
    // Removes the first occurrence only.
    void remove(const QUuid &trackID, const QUuid &playlistID);
    // `to` counts positions in the list without the moved identifier and is limited to it.
    void move(qsizetype from, qsizetype to, const QUuid &playlistID);
    // Takes the list the library now holds; never persists.
    void reload(const QList<Playlist> &playlists);

signals:
    void playlistsChanged();

private:
    // The first playlist with the identifier; several may share one.
    qsizetype indexOf(const QUuid &playlistID) const;
    Playlist *find(const QUuid &playlistID);
    void commit();

    QList<Playlist> m_playlists;
    Persist m_persist;
};
