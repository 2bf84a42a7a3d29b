#include "BenchData.h"

#include "Storage/FileTime.h"
#include "Storage/JsonFields.h"

#include <QRandomGenerator>

namespace BenchData {

QList<Track> makeTracks(int count, quint32 seed)
{
    static const QStringList chineseWords{u"夜曲"_qs, u"晴天"_qs, u"七里香"_qs, u"稻香"_qs, u"青花瓷"_qs,
                                          u"东风破"_qs, u"告白气球"_qs, u"说好不哭"_qs, u"红豆"_qs, u"后来"_qs};
    static const QStringList latinWords{u"Night"_qs, u"Café"_qs, u"Blue"_qs, u"River"_qs, u"Song"_qs,
                                        u"Élan"_qs, u"Moon"_qs, u"Fire"_qs, u"Road"_qs, u"Light"_qs};
    static const QStringList artists{u"周杰伦"_qs, u"王菲"_qs, u"陈奕迅"_qs, u"Beyoncé"_qs,
                                     u"The Beatles"_qs, u"林俊杰"_qs, u"Adele"_qs, u"邓紫棋"_qs};
    QRandomGenerator random(seed);
    QList<Track> tracks;
    tracks.reserve(count);
    for (int i = 0; i < count; ++i) {
        const bool chinese = random.bounded(2) == 0;
        const QStringList &words = chinese ? chineseWords : latinWords;
        Track track;
        track.id = QUuid::createUuid();
        track.title = words.at(random.bounded(words.size())) + u' ' + words.at(random.bounded(words.size()))
            + u' ' + QString::number(i);
        track.artist = artists.at(random.bounded(artists.size()));
        track.album = words.at(random.bounded(words.size())) + u"专辑"_qs + QString::number(i / 12);
        if (random.bounded(3) == 0)
            track.albumArtist = track.artist;
        track.year = 1980 + random.bounded(45);
        track.trackNumber = i % 12 + 1;
        if (random.bounded(2) == 0)
            track.genre = chinese ? u"流行"_qs : u"Pop"_qs;
        track.url = FileLocation::fromLocalFile(u"/home/user/音乐/"_qs + track.artist + u'/' + track.album + u'/'
                                                + track.title + u".flac"_qs);
        track.duration = 120.0 + random.bounded(240.0);
        track.fileSize = 3'000'000 + random.bounded(40'000'000);
        track.modifiedAt = 700'000'000.0 + random.bounded(100'000'000.0);
        if (random.bounded(2) == 0)
            track.artworkFileName = Json::uuidText(track.id) + u".jpg"_qs;
        tracks.append(track);
    }
    return tracks;
}

} // namespace BenchData
