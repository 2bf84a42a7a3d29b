#include "AudioFixture.h"
#include "BridgeFixture.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace BridgeFixture;

namespace {

struct Format
{
    const char *name;
    const char *fileName;
    QStringList ffmpegArguments;
    bool takesAlbumArtistAndCover;
    void (*prepare)(const QString &path) = nullptr;
};

void PrintTo(const Format &format, std::ostream *stream)
{
    *stream << format.name;
}

const QJsonObject chineseTags{
    {"title", QStringLiteral("晴天 \"雨\" \\ 第一首")},
    {"artist", QStringLiteral("周杰伦")},
    {"album", QStringLiteral("叶惠美")},
    {"year", 2003},
    {"trackNumber", 7},
    {"genre", QStringLiteral("华语流行")},
};

QJsonObject withAlbumArtistAndCover(QJsonObject tags, const QByteArray &cover)
{
    tags.insert("albumArtist", QStringLiteral("周杰伦 & 乐队"));
    tags.insert("artworkBase64", QString::fromLatin1(cover.toBase64()));
    return tags;
}

class TagBridgeRoundTrip : public ::testing::TestWithParam<Format>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        path = AudioFixture::makeTone(folder.path(), GetParam().fileName, 1.0, 440, GetParam().ffmpegArguments);
        ASSERT_FALSE(path.isEmpty());
        if (GetParam().prepare)
            GetParam().prepare(path);
    }

    QJsonObject fullTags(const QByteArray &cover = pngImage()) const
    {
        return GetParam().takesAlbumArtistAndCover ? withAlbumArtistAndCover(chineseTags, cover) : chineseTags;
    }

    QJsonObject readBack() const
    {
        const std::optional<QJsonObject> tags = readTags(path);
        EXPECT_TRUE(tags.has_value());
        return tags.value_or(QJsonObject());
    }

    QTemporaryDir folder;
    QString path;
};

TEST_P(TagBridgeRoundTrip, writtenTagsReadBackUnchanged)
{
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    QJsonObject expected = fullTags();
    if (!GetParam().takesAlbumArtistAndCover) {
        expected.insert("albumArtist", QJsonValue::Null);
        expected.insert("artworkBase64", QJsonValue::Null);
    }
    EXPECT_EQ(readBack(), expected);
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}

TEST_P(TagBridgeRoundTrip, savingTwiceKeepsTagsSizeAndAudio)
{
    const QByteArray originalSamples = decodedSamples(path);
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    const QJsonObject firstTags = readBack();
    const qint64 firstSize = QFileInfo(path).size();
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    EXPECT_EQ(readBack(), firstTags);
    EXPECT_EQ(QFileInfo(path).size(), firstSize);
    EXPECT_EQ(decodedSamples(path), originalSamples);
}

TEST_P(TagBridgeRoundTrip, zeroNumbersRemoveAndOutOfRangeNumbersKeep)
{
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", -1}, {"trackNumber", 4294967296.0}}), QString());
    EXPECT_EQ(readBack()["year"], 2003);
    EXPECT_EQ(readBack()["trackNumber"], 7);
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", 0}, {"trackNumber", 0}}), QString());
    EXPECT_EQ(readBack()["year"], QJsonValue::Null);
    EXPECT_EQ(readBack()["trackNumber"], QJsonValue::Null);
    EXPECT_EQ(readBack()["title"], chineseTags["title"]);
}

TEST_P(TagBridgeRoundTrip, emptyTextClearsAndNullLeavesAlone)
{
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    ASSERT_EQ(writeTags(path, QByteArray(R"({"title":"","artist":null,"album":"新专辑"})")), QString());
    const QJsonObject tags = readBack();
    EXPECT_EQ(tags["title"], QJsonValue::Null);
    EXPECT_EQ(tags["artist"], chineseTags["artist"]);
    EXPECT_EQ(tags["album"], QStringLiteral("新专辑"));
}

TEST_P(TagBridgeRoundTrip, coverIsReplacedAndRemoved)
{
    if (!GetParam().takesAlbumArtistAndCover)
        GTEST_SKIP() << "the format holds no cover";
    ASSERT_EQ(writeTags(path, fullTags(pngImage())), QString());
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", QString::fromLatin1(jpegImage().toBase64())}}), QString());
    EXPECT_EQ(readBack()["artworkBase64"], QString::fromLatin1(jpegImage().toBase64()));
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", ""}, {"albumArtist", ""}}), QString());
    EXPECT_EQ(readBack()["artworkBase64"], QJsonValue::Null);
    EXPECT_EQ(readBack()["albumArtist"], QJsonValue::Null);
    EXPECT_EQ(readBack()["album"], chineseTags["album"]);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TagBridgeRoundTrip,
    ::testing::Values(Format{"mp3_id3v24", "tone.mp3", {"-id3v2_version", "4"}, true},
                      Format{"mp3_id3v23", "tone.mp3", {"-id3v2_version", "3", "-metadata", "title=v23"}, true},
                      Format{"mp3_id3v1", "tone.mp3", {"-id3v2_version", "0"}, true,
                             [](const QString &path) { addId3v1Tag(path, "Old", "Band", 1999); }},
                      Format{"m4a_aac", "tone.m4a", {}, true},
                      Format{"m4a_alac", "tone.m4a", {"-c:a", "alac"}, true},
                      Format{"flac", "tone.flac", {}, true},
                      Format{"ogg_vorbis", "tone.ogg", {"-c:a", "libvorbis"}, true},
                      Format{"opus", "tone.opus", {"-c:a", "libopus"}, true},
                      Format{"wav", "tone.wav", {}, true},
                      Format{"aiff", "tone.aiff", {}, true},
                      Format{"wavpack", "tone.wv", {}, false},
                      Format{"tta", "tone.tta", {}, false}),
    [](const ::testing::TestParamInfo<Format> &info) { return std::string(info.param.name); });

} // namespace
