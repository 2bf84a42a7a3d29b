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
    return {.id = QUuid::fromString(u"6F9619FF-8B86-D011-B42D-00C04FC964FF"_qs), .url = FileLocation::fromPath("/音乐/a b#1.flac"),
            .title = u"晴天"_qs, .artist = u"周杰伦"_qs, .duration = 269.5, .fileSize = 31234567, .modifiedAt = 734567890.123456};
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
    // Every field given in declaration order: a field the codec forgets fails the comparison.
    Track track{sampleTrack().id, sampleTrack().url, u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, u"周杰伦"_qs, 2003, 0, u"流行"_qs,
                269.5, 31234567, 734567890.123456, u"6F9619FF-8B86-D011-B42D-00C04FC964FF.jpg"_qs, true};
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
    const Track decoded = trackFrom(nullYear).value_or(Track());
    EXPECT_EQ(decoded, sampleTrack());
    EXPECT_EQ(trackObject(decoded).keys(), keys);
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
    const auto decoded = JsonFile::decode<LibraryIndex>(JsonFile::encode(index)).value_or(LibraryIndex{});
    EXPECT_TRUE(decoded.tracks == index.tracks && decoded.folders == index.folders);
}

} // namespace
