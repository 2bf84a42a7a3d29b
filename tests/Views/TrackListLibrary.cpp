#include "TrackListLibrary.h"

#include "Library/IndexStore.h"
#include "Library/LibraryStore.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

namespace {

QString coverName(int index)
{
    return QStringLiteral("cover-%1.png").arg(index);
}

} // namespace

namespace TrackListLibrary {

QList<Track> makeTracks(const QString &folder, int count, int coverCount)
{
    const QStringList titles{u"晴天"_qs, u"Blue in Green"_qs, u"七里香"_qs, u"Take the A Train"_qs, u"青花瓷"_qs,
                             u"Autumn Leaves"_qs, u"稻香"_qs, u"My Favorite Things"_qs};
    const QStringList artists{u"周杰伦"_qs, u"Miles Davis"_qs, u"王菲"_qs, u"John Coltrane"_qs, u"陈奕迅"_qs};
    QList<Track> tracks;
    tracks.reserve(count);
    for (int i = 0; i < count; ++i) {
        Track track;
        track.id = QUuid::createUuid();
        track.title = titles.at(i % titles.size()) + (i >= titles.size() ? QStringLiteral(" %1").arg(i) : QString());
        track.artist = artists.at(i % artists.size());
        track.album = QStringLiteral("专辑 %1").arg(i / 10);
        track.url = FileLocation::fromLocalFile(folder + QStringLiteral("/%1.flac").arg(i));
        track.duration = 150 + (i * 37) % 240;
        track.modifiedAt = 700'000'000 + i * 3600.0;
        if (coverCount > 0 && i % 3 != 0)
            track.artworkFileName = coverName(i % coverCount);
        tracks.append(track);
    }
    return tracks;
}

void seed(const FileLocation &dataFolder, const QList<Track> &tracks, int coverCount)
{
    IndexStore store(dataFolder);
    const QList<FileLocation> folders =
        tracks.isEmpty() ? QList<FileLocation>{} : QList<FileLocation>{tracks.first().url.deletingLastPathComponent()};
    (void)store.saveIndex(LibraryIndex{tracks, folders});
    const QString covers = dataFolder.displayPath() + u'/' + QString::fromLatin1(LibraryStore::coversFolderName);
    QDir().mkpath(covers);
    for (int i = 0; i < coverCount; ++i) {
        // Large enough that decoding at row size matters.
        QImage image(400, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 400, 300);
        gradient.setColorAt(0, QColor::fromHsv((i * 47) % 360, 160, 230));
        gradient.setColorAt(1, QColor::fromHsv((i * 47 + 120) % 360, 200, 120));
        painter.fillRect(image.rect(), gradient);
        painter.end();
        image.save(covers + u'/' + coverName(i));
    }
}

void createFiles(const QList<Track> &tracks)
{
    for (const Track &track : tracks) {
        QDir().mkpath(track.url.deletingLastPathComponent().displayPath());
        QFile file(track.url.displayPath());
        if (file.open(QIODevice::WriteOnly))
            file.write("audio");
    }
}

} // namespace TrackListLibrary
