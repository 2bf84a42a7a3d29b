#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Storage/JsonFields.h"
#include "Storage/JsonFile.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

namespace {

Track sampleTrack()
{
    Track track;
    track.id = QUuid::fromString(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    track.url = FileLocation::fromPath("/音乐/a b#1.flac");
    track.title = QStringLiteral("晴天");
    track.artist = QStringLiteral("周杰伦");
    track.album = QString();
    track.duration = 269.5;
    track.fileSize = 31234567;
    track.modifiedAt = 734567890.123456;
    track.isMissing = false;
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

} // namespace

TEST(TrackJson, RoundTripsEveryFieldAndWritesANonFiniteDurationAsZero)
{
    Track track = sampleTrack();
    track.albumArtist = QStringLiteral("周杰伦");
    track.year = 2003;
    track.trackNumber = 0;
    track.genre = QStringLiteral("流行");
    track.artworkFileName = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF.jpg");
    const auto decoded = JsonFile::decode<Track>(JsonFile::encode(track));
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(*decoded, track);
    EXPECT_EQ(qHash(*decoded), qHash(track));
    Track changed = track;
    changed.isMissing = true; // every field counts in equality
    EXPECT_NE(changed, track);

    track.duration = std::numeric_limits<double>::infinity();
    EXPECT_EQ(JsonFile::decode<Track>(JsonFile::encode(track))->duration, 0.0);
}

TEST(TrackJson, WritesSortedKeysAndLeavesAbsentOptionalsOut)
{
    const QByteArray text = JsonFile::encode(sampleTrack());
    const QStringList keys = QJsonDocument::fromJson(text).object().keys();
    EXPECT_EQ(keys, (QStringList{"album", "artist", "duration", "fileSize", "id", "isMissing", "modifiedAt",
                                 "title", "url"}));
    EXPECT_TRUE(text.indexOf("\"album\"") < text.indexOf("\"artist\""));
    EXPECT_TRUE(text.contains("\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\""));
    EXPECT_TRUE(text.contains("\"artist\": \"周杰伦\""));
    EXPECT_TRUE(text.contains("\"album\": \"\""));

    // Nulls of optional fields and unknown keys are read as absent and not written again.
    QJsonObject nullYear = trackObject(sampleTrack());
    nullYear.insert(QStringLiteral("year"), QJsonValue::Null);
    nullYear.insert(QStringLiteral("unknownKey"), 42);
    const auto decoded = trackFrom(nullYear);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->year.has_value());
    EXPECT_EQ(trackObject(*decoded).keys(), keys);
}

TEST(TrackJson, MissingRequiredKeysWrongTypesAndBadIdentifiersFailTheRecord)
{
    QJsonObject withoutMissing = trackObject(sampleTrack());
    withoutMissing.remove(QStringLiteral("isMissing"));
    EXPECT_FALSE(trackFrom(withoutMissing));
    const QList<std::pair<QString, QJsonValue>> faults{
        {QStringLiteral("year"), QStringLiteral("2003")},
        {QStringLiteral("year"), 2003.5},
        {QStringLiteral("fileSize"), 1e30},
        {QStringLiteral("id"), QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")},
        {QStringLiteral("url"), QStringLiteral("not a url")},
        {QStringLiteral("isMissing"), 0},
    };
    for (const auto &[key, value] : faults) {
        QJsonObject object = trackObject(sampleTrack());
        object.insert(key, value);
        EXPECT_FALSE(trackFrom(object)) << key.toStdString();
    }
}

TEST(PlaylistJson, OrderMattersAndOneBadPlaylistFailsTheFile)
{
    const QUuid x = QUuid::createUuid();
    const QUuid y = QUuid::createUuid();
    const Playlist forward{QUuid::createUuid(), QStringLiteral("新建播放列表"), {x, y}};
    Playlist backward = forward;
    backward.trackIDs = {y, x};
    EXPECT_NE(forward, backward);

    const QList<Playlist> playlists{forward, backward};
    const auto decoded = JsonFile::decode<QList<Playlist>>(JsonFile::encode(playlists));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, playlists);

    QByteArray damaged = JsonFile::encode(playlists);
    damaged.replace(Json::uuidText(y).toLatin1(), "not-a-uuid");
    EXPECT_FALSE(JsonFile::decode<QList<Playlist>>(damaged));
    EXPECT_FALSE(JsonFile::decode<QList<Playlist>>(JsonFile::encode(forward))); // an object, not an array
}

TEST(LibraryIndexJson, EmptyLibraryAndFolders)
{
    EXPECT_EQ(QJsonDocument::fromJson(JsonFile::encode(LibraryIndex{})).object(),
              QJsonObject({{"folders", QJsonArray()}, {"tracks", QJsonArray()}}));
    LibraryIndex index{{sampleTrack()}, {FileLocation::fromPath("/音乐/流行 #1")}};
    const auto decoded = JsonFile::decode<LibraryIndex>(JsonFile::encode(index));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->tracks, index.tracks);
    EXPECT_EQ(decoded->folders, index.folders);
}
