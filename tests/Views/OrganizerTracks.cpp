#include "OrganizerTracks.h"

#include "Library/IndexStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace OrganizerTracks {

Track track(const QString &path, const QString &artist, const QString &album, const QString &title, int number)
{
    Track track;
    track.id = QUuid::createUuid();
    track.url = FileLocation::fromLocalFile(path);
    track.artist = artist;
    track.album = album;
    track.title = title;
    track.trackNumber = number;
    track.duration = 180;
    return track;
}

void seed(const SeededDataFolder &home, const QList<Track> &tracks, const QList<FileLocation> &folders)
{
    IndexStore store(home.dataFolder());
    LibraryIndex index = store.loadIndex();
    index.tracks = tracks;
    index.folders = folders;
    ASSERT_TRUE(store.saveIndex(index));
}

void writeFile(const Track &track)
{
    const QString path = QString::fromUtf8(track.url.path());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(track.id.toByteArray() + QByteArray(4096, char(track.trackNumber.value_or(0))));
}

QByteArray contents(const FileLocation &file)
{
    QFile opened(QString::fromUtf8(file.path()));
    return opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
}

} // namespace OrganizerTracks
