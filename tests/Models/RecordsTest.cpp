#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Storage/JsonFields.h"
#include "Storage/JsonFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

namespace {

Track sampleTrack()
{
    Track track;
    track.id = QUuid::fromString(u"6F9619FF-8B86-D011-B42D-00C04FC964FF"_qs);
    track.url = FileLocation::fromPath("/音乐/a b#1.flac");
    track.title = u"晴天"_qs;
    track.artist = u"周杰伦"_qs;
    track.album = QString();
    track.duration = 269.5;
    track.fileSize = 31234567;
    track.modifiedAt = 734567890.123456;
    return track;
}

QJsonObject trackObject(const Track &track)
{
    return QJsonDocument::fromJson(JsonFile::encode(track)).object();
}

std::expected<Track, QString> trackFrom(const QJsonObject &object)
{
    return JsonFile::decode<Track>(QJsonDocument(object).toJson());
}

TEST(TrackJson, RoundTripsEveryFieldAndWritesANonFiniteDurationAsZero)
{
    Track track = sampleTrack();
    track.albumArtist = u"周杰伦"_qs;
    track.year = 2003;
    track.trackNumber = 0;
    track.genre = u"流行"_qs;
    track.artworkFileName = u"6F9619FF-8B86-D011-B42D-00C04FC964FF.jpg"_qs;
    track.isMissing = true;
    EXPECT_EQ(JsonFile::decode<Track>(JsonFile::encode(track)), track);
    track.duration = std::numeric_limits<double>::infinity();
    EXPECT_EQ(JsonFile::decode<Track>(JsonFile::encode(track))->duration, 0.0);
}

TEST(TrackJson, WritesSortedKeysLeavesAbsentOptionalsOutAndReadsNullsAsAbsent)
{
    const QByteArray text = JsonFile::encode(sampleTrack());
    const QStringList keys = QJsonDocument::fromJson(text).object().keys();
    EXPECT_EQ(keys, (QStringList{"album", "artist", "duration", "fileSize", "id", "isMissing", "modifiedAt", "title", "url"}));
    EXPECT_LT(text.indexOf("\"album\""), text.indexOf("\"artist\""));
    for (const char *pair : {"\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"", "\"artist\": \"周杰伦\"", "\"album\": \"\""})
        EXPECT_TRUE(text.contains(pair)) << pair;

    // Nulls of optional fields and unknown keys are read as absent and not written again.
    QJsonObject nullYear = trackObject(sampleTrack());
    nullYear.insert(u"year"_qs, QJsonValue::Null);
    nullYear.insert(u"unknownKey"_qs, 42);
    const auto decoded = trackFrom(nullYear);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, sampleTrack());
    EXPECT_EQ(trackObject(*decoded).keys(), keys);
}

TEST(TrackJson, MissingRequiredKeysWrongTypesAndBadIdentifiersFailTheRecord)
{
    QJsonObject withoutMissing = trackObject(sampleTrack());
    withoutMissing.remove(u"isMissing"_qs);
    EXPECT_FALSE(trackFrom(withoutMissing));
    const std::pair<const char *, QJsonValue> faults[] = {
        {"year", u"2003"_qs}, {"year", 2003.5}, {"fileSize", 1e30}, {"id", u"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"_qs},
        {"url", u"not a url"_qs}, {"isMissing", 0}};
    for (const auto &[key, value] : faults) {
        QJsonObject object = trackObject(sampleTrack());
        object.insert(QString::fromLatin1(key), value);
        EXPECT_FALSE(trackFrom(object)) << key;
    }
}

TEST(PlaylistJson, OrderMattersAndOneBadPlaylistFailsTheFile)
{
    const QUuid x = QUuid::createUuid(), y = QUuid::createUuid();
    const Playlist forward{QUuid::createUuid(), u"新建播放列表"_qs, {x, y}};
    const Playlist backward{forward.id, forward.name, {y, x}};
    EXPECT_NE(forward, backward);
    const QList<Playlist> playlists{forward, backward};
    EXPECT_EQ(JsonFile::decode<QList<Playlist>>(JsonFile::encode(playlists)), playlists);

    QByteArray damaged = JsonFile::encode(playlists);
    damaged.replace(Json::uuidText(y).toLatin1(), "not-a-uuid");
    EXPECT_FALSE(JsonFile::decode<QList<Playlist>>(damaged));
    EXPECT_FALSE(JsonFile::decode<QList<Playlist>>(JsonFile::encode(forward))); // an object, not an array
}

TEST(LibraryIndexJson, EmptyLibraryAndFolders)
{
    EXPECT_EQ(QJsonDocument::fromJson(JsonFile::encode(LibraryIndex{})).object(),
              QJsonObject({{"folders", QJsonArray()}, {"tracks", QJsonArray()}}));
    const LibraryIndex index{{sampleTrack()}, {FileLocation::fromPath("/音乐/流行 #1")}};
    const auto decoded = JsonFile::decode<LibraryIndex>(JsonFile::encode(index));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->tracks, index.tracks);
    EXPECT_EQ(decoded->folders, index.folders);
}

} // namespace
