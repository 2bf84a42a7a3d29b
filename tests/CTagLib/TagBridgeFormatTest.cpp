#include "AudioFixture.h"
#include "BridgeFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/xiphcomment.h>

#include <gtest/gtest.h>

using namespace BridgeFixture;

namespace {

QString base64(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

TagLib::ByteVector byteVector(const QByteArray &bytes)
{
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned>(bytes.size()));
}

// ffmpeg cannot encode Monkey's Audio: a header without audio frames is enough for its tags.
void writeMonkeysAudioHeader(const QString &path)
{
    QByteArray header("MAC \xA6\x0F\0\0", 8);                     // version 3990
    header += QByteArray("\x34\0\0\0\x18\0\0\0", 8) + QByteArray(40, '\0'); // descriptor and header sizes
    header += QByteArray("\xD0\x07\0\0\0\x20\x01\0", 8);              // compression, flags, blocks per frame
    header += QByteArray("\0\0\0\0\x01\0\0\0\x10\0\x02\0\x44\xAC\0\0", 16); // 1 frame, 16 bit, stereo, 44100
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(header + QByteArray(64, '\0'));
}

class TagBridgeFormat : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString make(const QString &fileName, const QStringList &arguments = {})
    {
        const QString path = AudioFixture::makeTone(folder.path(), fileName, 1.0, 440, arguments);
        EXPECT_FALSE(path.isEmpty());
        return path;
    }

    QJsonValue read(const QString &path, const char *key)
    {
        const std::optional<QJsonObject> tags = readTags(path);
        EXPECT_TRUE(tags.has_value()) << path.toStdString();
        return tags.value_or(QJsonObject()).value(key);
    }

    QTemporaryDir folder;
};

TEST_F(TagBridgeFormat, id3v1OnlyMp3GetsASeededId3v24TagAndKeepsId3v1)
{
    const QString path = make("old.mp3", {"-id3v2_version", "0"});
    addId3v1Tag(path, "Old", "Band", 1999);
    ASSERT_EQ(writeTags(path, QJsonObject{{"title", QStringLiteral("新")}}), QString());
    EXPECT_EQ(read(path, "title"), QStringLiteral("新"));
    EXPECT_EQ(read(path, "artist"), "Band");
    EXPECT_EQ(read(path, "year"), 1999);
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    ASSERT_TRUE(file.hasID3v2Tag());
    EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 4u);
    ASSERT_TRUE(file.hasID3v1Tag());
    EXPECT_EQ(file.ID3v1Tag()->title(), "Old");
}

// Duplicating tags on save would refill a cleared ID3v2 field from the ID3v1 tag and add an ID3v1
// tag to files that had none.
TEST_F(TagBridgeFormat, mp3TagsAreNotDuplicatedIntoEachOther)
{
    const QString withId3v1 = make("both.mp3", {"-write_id3v1", "1", "-metadata", "title=T", "-metadata", "date=1999",
                                               "-metadata", "genre=Pop"});
    ASSERT_EQ(writeTags(withId3v1, QJsonObject{{"year", 0}, {"genre", ""}}), QString());
    EXPECT_EQ(read(withId3v1, "year"), QJsonValue::Null);
    EXPECT_EQ(read(withId3v1, "genre"), QJsonValue::Null);

    const QString id3v2Only = make("v2.mp3", {"-metadata", "title=x"});
    ASSERT_EQ(writeTags(id3v2Only, QJsonObject{{"title", "y"}}), QString());
    EXPECT_FALSE(TagLib::MPEG::File(QFile::encodeName(id3v2Only).constData()).hasID3v1Tag());
}

TEST_F(TagBridgeFormat, apeTaggedMp3IsReadFromApeAndSeedsTheNewId3v2Tag)
{
    const QString path = make("ape.mp3", {"-id3v2_version", "0"});
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        TagLib::APE::Tag *ape = file.APETag(true);
        ape->setArtist("APE Artist");
        ape->addValue("ALBUM ARTIST", "APE Band");
        ape->setItem("Cover Art (Back)", TagLib::APE::Item("Cover Art (Back)", byteVector(jpegImage('b')), true));
        ape->setItem("Cover Art (Front)", TagLib::APE::Item("Cover Art (Front)",
                                                            byteVector(QByteArray("front.png\0", 10) + pngImage()), true));
        ASSERT_TRUE(file.save(TagLib::MPEG::File::APE));
    }
    EXPECT_EQ(read(path, "albumArtist"), "APE Band");
    // Item keys sort "COVER ART (BACK)" first; its data has no zero byte and counts whole.
    EXPECT_EQ(read(path, "artworkBase64"), base64(jpegImage('b')));
    ASSERT_EQ(writeTags(path, QJsonObject{{"title", "New"}}), QString());
    EXPECT_EQ(read(path, "artist"), "APE Artist");
    EXPECT_TRUE(TagLib::MPEG::File(QFile::encodeName(path).constData()).hasAPETag());
}

TEST_F(TagBridgeFormat, apeFileKeepsAlbumArtistAndFrontCoverInTheirItems)
{
    const QString path = folder.filePath("tone.ape");
    writeMonkeysAudioHeader(path);
    {
        TagLib::APE::File file(QFile::encodeName(path).constData());
        file.APETag(true)->setItem("Cover Art (Back)", TagLib::APE::Item("Cover Art (Back)",
                                                                         byteVector(QByteArray("back\0", 5) + jpegImage()), true));
        ASSERT_TRUE(file.save());
    }
    ASSERT_EQ(writeTags(path, QJsonObject{{"albumArtist", "Band"}, {"artworkBase64", base64(pngImage())}}), QString());
    {
        TagLib::APE::File file(QFile::encodeName(path).constData());
        const TagLib::APE::ItemListMap &items = file.APETag()->itemListMap();
        EXPECT_EQ(items["ALBUM ARTIST"].toString(), "Band");
        EXPECT_EQ(items["COVER ART (FRONT)"].binaryData(), byteVector('\0' + pngImage()));
    }
    EXPECT_EQ(read(path, "albumArtist"), "Band");
    EXPECT_EQ(read(path, "artworkBase64"), base64(jpegImage())); // "COVER ART (BACK)" sorts first

    ASSERT_EQ(writeTags(path, QJsonObject{{"albumArtist", ""}, {"artworkBase64", ""}}), QString());
    EXPECT_EQ(read(path, "albumArtist"), QJsonValue::Null);
    EXPECT_EQ(read(path, "artworkBase64"), base64(jpegImage()));
    TagLib::APE::File file(QFile::encodeName(path).constData());
    EXPECT_FALSE(file.APETag()->itemListMap().contains("COVER ART (FRONT)"));
}

TEST_F(TagBridgeFormat, wavInfoChunkIsReadAndSeedsTheNewId3Chunk)
{
    const QString path = make("info.wav", {"-metadata", "title=晴天", "-metadata", "artist=周杰伦", "-metadata", "date=2003"});
    EXPECT_EQ(read(path, "title"), QStringLiteral("晴天"));
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", 2004}}), QString());
    EXPECT_EQ(read(path, "title"), QStringLiteral("晴天"));
    EXPECT_EQ(read(path, "artist"), QStringLiteral("周杰伦"));
    EXPECT_EQ(read(path, "year"), 2004);
    // Once the ID3 chunk is there, the INFO chunk seeds nothing again: a cleared title stays cleared.
    ASSERT_EQ(writeTags(path, QJsonObject{{"title", ""}}), QString());
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", 2005}}), QString());
    EXPECT_EQ(read(path, "title"), QJsonValue::Null);
}

TEST_F(TagBridgeFormat, flacCoverIsOnePictureOfTypeFrontCoverAndClearingRemovesAll)
{
    const QString path = make("cover.flac");
    {
        TagLib::FLAC::File file(QFile::encodeName(path).constData());
        for (char fill : {'a', 'b'}) {
            auto *picture = new TagLib::FLAC::Picture;
            picture->setType(TagLib::FLAC::Picture::BackCover);
            picture->setData(byteVector(pngImage(fill)));
            file.addPicture(picture);
        }
        ASSERT_TRUE(file.save());
    }
    EXPECT_EQ(read(path, "artworkBase64"), base64(pngImage('a')));
    EXPECT_EQ(read(path, "title"), QJsonValue::Null);

    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", base64(jpegImage())}}), QString());
    {
        TagLib::FLAC::File file(QFile::encodeName(path).constData());
        ASSERT_EQ(file.pictureList().size(), 1u);
        EXPECT_EQ(file.pictureList().front()->type(), TagLib::FLAC::Picture::FrontCover);
        EXPECT_EQ(file.pictureList().front()->mimeType(), "image/jpeg");
    }
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", ""}}), QString());
    TagLib::FLAC::File file(QFile::encodeName(path).constData());
    EXPECT_TRUE(file.pictureList().isEmpty());
    EXPECT_TRUE(file.xiphComment()->pictureList().isEmpty());
}

TEST_F(TagBridgeFormat, flacCoverBeyondTheMetadataBlockLimitIsRefused)
{
    const QString path = make("large.flac");
    const QByteArray before = fileBytes(path);
    const QByteArray image = pngImage() + QByteArray(0x1000000, 'x');
    EXPECT_EQ(writeTags(path, QJsonObject{{"title", "x"}, {"artworkBase64", base64(image)}}), QStringLiteral("封面数据无效"));
    EXPECT_EQ(fileBytes(path), before);

    const QString mp3 = make("large.mp3");
    ASSERT_EQ(writeTags(mp3, QJsonObject{{"artworkBase64", base64(image)}}), QString());
    EXPECT_EQ(read(mp3, "artworkBase64"), base64(image));
}

TEST_F(TagBridgeFormat, mp4CoverFormatCodeFollowsTheImageSignatureAndOnlyTheFirstCoverCounts)
{
    const QString path = make("format.m4a");
    {
        TagLib::MP4::File file(QFile::encodeName(path).constData());
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, TagLib::ByteVector()));
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, byteVector(pngImage())));
        file.tag()->setItem("covr", covers);
        ASSERT_TRUE(file.save());
    }
    EXPECT_EQ(read(path, "artworkBase64"), QJsonValue::Null);
    const struct
    {
        QByteArray image;
        TagLib::MP4::CoverArt::Format format;
    } cases[] = {
        {pngImage(), TagLib::MP4::CoverArt::PNG},
        {jpegImage(), TagLib::MP4::CoverArt::JPEG},
        {"GIF89a" + QByteArray(20, 'g'), TagLib::MP4::CoverArt::GIF},
        {"BM" + QByteArray(20, 'b'), TagLib::MP4::CoverArt::BMP},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16) + QByteArray(20, 'w'), TagLib::MP4::CoverArt::JPEG},
        {"unknown image", TagLib::MP4::CoverArt::JPEG},
    };
    for (const auto &[image, format] : cases) {
        ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", base64(image)}}), QString());
        TagLib::MP4::File file(QFile::encodeName(path).constData());
        const TagLib::MP4::CoverArtList covers = file.tag()->item("covr").toCoverArtList();
        ASSERT_EQ(covers.size(), 1u);
        EXPECT_EQ(covers.front().format(), format) << image.left(12).toStdString();
    }
}

TEST_F(TagBridgeFormat, id3v2CoverMimeTypeFollowsTheImageSignature)
{
    const QString path = make("mime.mp3");
    const std::pair<QByteArray, const char *> cases[] = {
        {pngImage(), "image/png"},
        {jpegImage(), "image/jpeg"},
        {"GIF87a" + QByteArray(20, 'g'), "image/gif"},
        {QByteArray("RIFF\x10\0\0\0WEBP", 12) + QByteArray(20, 'w'), "image/webp"},
        {"BM", "image/bmp"},
        {"\x89PNG", "image/jpeg"},
    };
    for (const auto &[image, mime] : cases) {
        SCOPED_TRACE(mime);
        ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", base64(image)}}), QString());
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        const TagLib::ID3v2::FrameList frames = file.ID3v2Tag()->frameList("APIC");
        ASSERT_EQ(frames.size(), 1u);
        const auto *picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frames.front());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->mimeType().to8Bit(), mime);
        EXPECT_EQ(picture->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        EXPECT_EQ(read(path, "artworkBase64"), base64(image));
    }
}

TEST_F(TagBridgeFormat, coverTextIgnoresBlanksAndRejectsNothingAndForeignAlphabets)
{
    const QString path = make("text.flac");
    const QString spread = base64(pngImage()).split(QString()).join(QStringLiteral(" \r\n\t")).trimmed();
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", spread}}), QString());
    EXPECT_EQ(read(path, "artworkBase64"), base64(pngImage()));

    const QByteArray before = fileBytes(path);
    for (const char *text : {"=", " \n\t", "AB-_", "QUJD\xC3\xA9"}) {
        EXPECT_EQ(writeTags(path, QJsonObject{{"artworkBase64", QString::fromUtf8(text)}}), QStringLiteral("封面数据无效"));
        EXPECT_EQ(fileBytes(path), before);
    }
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}

TEST_F(TagBridgeFormat, wmaTakesTextsButRefusesAlbumArtistAndCover)
{
    const QString path = make("tone.wma");
    ASSERT_EQ(writeTags(path, QJsonObject{{"title", QStringLiteral("标题")}, {"year", 2001}}), QString());
    EXPECT_EQ(read(path, "title"), QStringLiteral("标题"));
    const QByteArray before = fileBytes(path);
    for (const QJsonObject &fields : {QJsonObject{{"title", "x"}, {"albumArtist", "Band"}},
                                      QJsonObject{{"artworkBase64", ""}}}) {
        EXPECT_EQ(writeTags(path, fields), QStringLiteral("该格式不支持写入专辑歌手或封面"));
        EXPECT_EQ(fileBytes(path), before);
    }
}

TEST_F(TagBridgeFormat, formatIsJudgedByContentNotByNameAndJunkIsNoAudioFile)
{
    const QString named = folder.filePath("disguised.mp3");
    ASSERT_TRUE(QFile::rename(make("real.flac"), named));
    ASSERT_EQ(writeTags(named, QJsonObject{{"title", QStringLiteral("伪装")}}), QString());
    EXPECT_TRUE(fileBytes(named).startsWith("fLaC"));
    EXPECT_EQ(read(named, "title"), QStringLiteral("伪装"));
    EXPECT_TRUE(TagLib::FLAC::File(QFile::encodeName(named).constData()).hasXiphComment());

    const QString path = folder.filePath("junk.mp3");
    QFile junk(path);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    for (int index = 0; index < 4096; ++index)
        junk.putChar(char(index * 7919 % 251));
    junk.close();
    EXPECT_FALSE(readTags(path).has_value());
    const QByteArray before = fileBytes(path);
    EXPECT_EQ(writeTags(path, QJsonObject{{"title", "x"}}), QStringLiteral("不支持的音频格式"));
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}


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

// Every step of a tag's life in each format: written, saved again unchanged, numbers and texts
// cleared or kept, the cover replaced and removed, and never a change to the audio.
TEST_P(TagBridgeRoundTrip, writtenTagsReadBackAndClearWithoutTouchingTheAudio)
{
    const QByteArray originalSamples = decodedSamples(path);
    QJsonObject expected = fullTags();
    if (!GetParam().takesAlbumArtistAndCover) {
        expected.insert("albumArtist", QJsonValue::Null);
        expected.insert("artworkBase64", QJsonValue::Null);
    }
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    EXPECT_EQ(readBack(), expected);
    const qint64 firstSize = QFileInfo(path).size();
    ASSERT_EQ(writeTags(path, fullTags()), QString());
    EXPECT_EQ(readBack(), expected);
    EXPECT_EQ(QFileInfo(path).size(), firstSize);
    EXPECT_EQ(decodedSamples(path), originalSamples);

    // Out-of-range numbers leave the stored ones; zero and empty text clear, null leaves alone.
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", -1}, {"trackNumber", 4294967296.0}}), QString());
    EXPECT_EQ(readBack(), expected);
    ASSERT_EQ(writeTags(path, QByteArray(R"({"title":"","artist":null,"album":"新专辑","year":0,"trackNumber":0})")),
              QString());
    expected["title"] = QJsonValue::Null;
    expected["album"] = QStringLiteral("新专辑");
    expected["year"] = QJsonValue::Null;
    expected["trackNumber"] = QJsonValue::Null;
    EXPECT_EQ(readBack(), expected);

    if (GetParam().takesAlbumArtistAndCover) {
        ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", QString::fromLatin1(jpegImage().toBase64())}}), QString());
        EXPECT_EQ(readBack()["artworkBase64"], QString::fromLatin1(jpegImage().toBase64()));
        ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", ""}, {"albumArtist", ""}}), QString());
        expected["artworkBase64"] = QJsonValue::Null;
        expected["albumArtist"] = QJsonValue::Null;
        EXPECT_EQ(readBack(), expected);
    }
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
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
