// The tag bridge on real audio files: every format's round trip, the formats' own rules, and
// failures that must leave the file as it was.
#include "AudioFixture.h"
#include "CTagLib/TemporaryCopy.h"
#include "CTagLib/taglib_bridge.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
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

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The parsed read result; nothing when the bridge returns null.
std::optional<QJsonObject> readTags(const QString &path)
{
    char *json = quillmere_read_tags(QFile::encodeName(path).constData());
    if (!json)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json));
    quillmere_free(json);
    EXPECT_TRUE(document.isObject());
    return document.object();
}

QJsonValue read(const QString &path, const char *key)
{
    const std::optional<QJsonObject> tags = readTags(path);
    EXPECT_TRUE(tags.has_value()) << path.toStdString();
    return tags.value_or(QJsonObject()).value(key);
}

// The bridge's error message, or an empty text on success.
QString writeTags(const QString &path, const QByteArray &json)
{
    char *error = nullptr;
    const int32_t result = quillmere_write_tags(QFile::encodeName(path).constData(), json.constData(), &error);
    const QString message = error ? QString::fromUtf8(error) : QString();
    quillmere_free(error);
    EXPECT_EQ(result == 0, message.isEmpty()) << "return code and message disagree: " << message.toStdString();
    return message;
}

QString writeTags(const QString &path, const QJsonObject &fields)
{
    return writeTags(path, QJsonDocument(fields).toJson(QJsonDocument::Compact));
}

// The audio as 16-bit PCM decoded by ffmpeg; empty (and a test failure) when it does not decode.
QByteArray decodedSamples(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-"});
    ffmpeg.waitForFinished(120000);
    const QByteArray samples = ffmpeg.readAllStandardOutput();
    EXPECT_TRUE(ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0 && !samples.isEmpty())
        << path.toStdString() << " does not decode: " << ffmpeg.readAllStandardError().toStdString();
    return samples;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Names in the folder that a tag write leaves behind only by mistake.
QStringList temporaryLeftovers(const QString &folder)
{
    return QDir(folder).entryList({"*.quillmere-*"}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

// Gives an MP3 file without tags an ID3v1 tag only (ffmpeg writes ID3v1 only beside ID3v2).
void addId3v1Tag(const QString &path)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    ASSERT_FALSE(file.hasID3v2Tag());
    TagLib::ID3v1::Tag *tag = file.ID3v1Tag(true);
    tag->setTitle("Old");
    tag->setArtist("Band");
    tag->setYear(1999);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
}

// Picture bytes with a real signature; the bridge stores covers without decoding them.
QByteArray pngImage(char fill = 'p')
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, fill);
}

QByteArray jpegImage(char fill = 'j', qsizetype size = 304)
{
    return QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(size - 4, fill);
}

QString base64(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

TagLib::ByteVector byteVector(const QByteArray &bytes)
{
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned>(bytes.size()));
}

// Round trips -----------------------------------------------------------------------------------

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

class TagBridgeRoundTrip : public ::testing::TestWithParam<Format>
{
protected:
    void SetUp() override
    {
        path = AudioFixture::makeTone(folder.path(), GetParam().fileName, 1.0, 440, GetParam().ffmpegArguments);
        ASSERT_FALSE(path.isEmpty());
        if (GetParam().prepare)
            GetParam().prepare(path);
    }

    QJsonObject readBack() const { return readTags(path).value_or(QJsonObject()); }

    QTemporaryDir folder;
    QString path;
};

// Every step of a tag's life in each format: written, saved again unchanged, numbers and texts
// cleared or kept, the cover replaced and removed, and never a change to the audio.
TEST_P(TagBridgeRoundTrip, writtenTagsReadBackAndClearWithoutTouchingTheAudio)
{
    const QByteArray originalSamples = decodedSamples(path);
    QJsonObject tags{{"title", QStringLiteral("晴天 \"雨\" \\ 第一首")}, {"artist", QStringLiteral("周杰伦")},
                     {"album", QStringLiteral("叶惠美")}, {"year", 2003}, {"trackNumber", 7},
                     {"genre", QStringLiteral("华语流行")}, {"albumArtist", QJsonValue::Null},
                     {"artworkBase64", QJsonValue::Null}};
    if (GetParam().takesAlbumArtistAndCover) {
        tags["albumArtist"] = QStringLiteral("周杰伦 & 乐队");
        tags["artworkBase64"] = base64(pngImage());
    }
    QJsonObject expected = tags;
    ASSERT_EQ(writeTags(path, tags), QString());
    EXPECT_EQ(readBack(), expected);
    const qint64 firstSize = QFileInfo(path).size();
    ASSERT_EQ(writeTags(path, tags), QString());
    EXPECT_EQ(readBack(), expected);
    EXPECT_EQ(QFileInfo(path).size(), firstSize);
    EXPECT_EQ(decodedSamples(path), originalSamples);
    // Out-of-range numbers leave the stored ones.
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", -1}, {"trackNumber", 4294967296.0}}), QString());
    EXPECT_EQ(readBack(), expected);
    if (GetParam().takesAlbumArtistAndCover) {
        ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", base64(jpegImage())}}), QString());
        EXPECT_EQ(readBack()["artworkBase64"], base64(jpegImage()));
    }
    // Zero and empty text clear, null leaves alone, and a later write refills nothing (as an MP3's
    // ID3v1 tag could).
    ASSERT_EQ(writeTags(path, QByteArray(R"({"title":"","artist":null,"album":"新专辑","year":0,"trackNumber":0})")),
              QString());
    ASSERT_EQ(writeTags(path, QJsonObject{{"albumArtist", ""}, {"artworkBase64", ""}}), QString());
    for (const char *key : {"title", "year", "trackNumber", "albumArtist", "artworkBase64"})
        expected.insert(key, QJsonValue::Null);
    expected["album"] = QStringLiteral("新专辑");
    EXPECT_EQ(readBack(), expected);
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TagBridgeRoundTrip,
    ::testing::Values(Format{"mp3_id3v24", "tone.mp3", {"-id3v2_version", "4"}, true},
                      Format{"mp3_id3v23", "tone.mp3", {"-id3v2_version", "3", "-metadata", "title=v23"}, true},
                      Format{"mp3_id3v1", "tone.mp3", {"-id3v2_version", "0"}, true, addId3v1Tag},
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

// The formats' own rules ---------------------------------------------------------------------------

class TagBridgeFormat : public ::testing::Test
{
protected:
    QString make(const QString &fileName, const QStringList &arguments = {}, double seconds = 1.0)
    {
        return AudioFixture::makeTone(folder.path(), fileName, seconds, 440, arguments);
    }
    // Writes `fields`, expecting `message`; a refused write must leave the file as it was.
    void expectRefused(const QString &path, const QJsonObject &fields, const QString &message)
    {
        const QByteArray before = fileBytes(path);
        EXPECT_EQ(writeTags(path, fields), message);
        EXPECT_EQ(fileBytes(path), before);
        EXPECT_TRUE(temporaryLeftovers(QFileInfo(path).path()).isEmpty());
    }

    QTemporaryDir folder;
};

// An MP3 file without an ID3v2 tag is read from its APE tag, else its ID3v1 tag; the first write
// seeds a new ID3v2.4 tag from it and keeps it.
TEST_F(TagBridgeFormat, mp3ApeOrId3v1TagSeedsANewId3v24TagAndTheyAreNotDuplicatedIntoEachOther)
{
    const QString v1 = make("v1.mp3", {"-id3v2_version", "0"});
    addId3v1Tag(v1);
    const QString ape = make("ape.mp3", {"-id3v2_version", "0"});
    {
        TagLib::MPEG::File file(QFile::encodeName(ape).constData());
        TagLib::APE::Tag *tag = file.APETag(true);
        tag->setArtist("APE Artist");
        tag->addValue("ALBUM ARTIST", "APE Band");
        tag->setItem("Cover Art (Back)", TagLib::APE::Item("Cover Art (Back)", byteVector(jpegImage('b')), true));
        tag->setItem("Cover Art (Front)", TagLib::APE::Item("Cover Art (Front)",
                                                            byteVector(QByteArray("front.png\0", 10) + pngImage()), true));
        ASSERT_TRUE(file.save(TagLib::MPEG::File::APE));
    }
    EXPECT_EQ(read(ape, "albumArtist"), "APE Band");
    // Item keys sort "COVER ART (BACK)" first; its data has no zero byte and counts whole.
    EXPECT_EQ(read(ape, "artworkBase64"), base64(jpegImage('b')));
    for (const QString &path : {v1, ape})
        ASSERT_EQ(writeTags(path, QJsonObject{{"title", QStringLiteral("新")}}), QString());
    EXPECT_EQ(read(v1, "artist"), "Band");
    EXPECT_EQ(read(v1, "year"), 1999);
    EXPECT_EQ(read(ape, "artist"), "APE Artist");
    EXPECT_TRUE(TagLib::MPEG::File(QFile::encodeName(ape).constData()).hasAPETag());
    TagLib::MPEG::File file(QFile::encodeName(v1).constData());
    ASSERT_TRUE(file.hasID3v2Tag() && file.hasID3v1Tag());
    EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 4u);
    EXPECT_EQ(file.ID3v1Tag()->title(), "Old");
    // Duplicating tags on save would add an ID3v1 tag to files that had none (and refill cleared
    // fields from it, which the round trip of an ID3v1-tagged file catches).
    const QString id3v2Only = make("v2.mp3", {"-metadata", "title=x"});
    ASSERT_EQ(writeTags(id3v2Only, QJsonObject{{"title", "y"}}), QString());
    EXPECT_FALSE(TagLib::MPEG::File(QFile::encodeName(id3v2Only).constData()).hasID3v1Tag());
}

TEST_F(TagBridgeFormat, apeFileKeepsAlbumArtistAndFrontCoverInTheirItems)
{
    // ffmpeg cannot encode Monkey's Audio: a header without audio frames is enough for its tags.
    const QString path = folder.filePath("tone.ape");
    writeFile(path, QByteArray("MAC \xA6\x0F\0\0\x34\0\0\0\x18\0\0\0", 16) + QByteArray(40, '\0') // version 3990, sizes
                        + QByteArray("\xD0\x07\0\0\0\x20\x01\0\0\0\0\0\x01\0\0\0\x10\0\x02\0\x44\xAC\0\0", 24) // 16 bit stereo 44100
                        + QByteArray(64, '\0'));
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
    ASSERT_EQ(writeTags(path, QJsonObject{{"albumArtist", ""}, {"artworkBase64", ""}}), QString());
    EXPECT_EQ(read(path, "albumArtist"), QJsonValue::Null);
    EXPECT_EQ(read(path, "artworkBase64"), base64(jpegImage())); // "COVER ART (BACK)" sorts first
    TagLib::APE::File file(QFile::encodeName(path).constData());
    EXPECT_FALSE(file.APETag()->itemListMap().contains("COVER ART (FRONT)"));
}

TEST_F(TagBridgeFormat, wavInfoChunkIsReadAndSeedsTheNewId3Chunk)
{
    const QString path = make("info.wav", {"-metadata", "title=晴天", "-metadata", "artist=周杰伦", "-metadata", "date=2003"});
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", 2004}}), QString());
    EXPECT_EQ(read(path, "title"), QStringLiteral("晴天"));
    EXPECT_EQ(read(path, "artist"), QStringLiteral("周杰伦"));
    // Once the ID3 chunk is there, the INFO chunk seeds nothing again: a cleared title stays cleared.
    ASSERT_EQ(writeTags(path, QJsonObject{{"title", ""}}), QString());
    ASSERT_EQ(writeTags(path, QJsonObject{{"year", 2005}}), QString());
    EXPECT_EQ(read(path, "title"), QJsonValue::Null);
}

// Blanks in cover text are skipped; text that decodes to nothing or uses another alphabet is refused,
// as is a picture beyond a FLAC picture block (under 16 MiB), which ID3v2 takes.
TEST_F(TagBridgeFormat, flacCoverIsOneFrontCoverAndBadOrOversizedCoverTextIsRefused)
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
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", base64(jpegImage())}}), QString());
    {
        TagLib::FLAC::File file(QFile::encodeName(path).constData());
        ASSERT_EQ(file.pictureList().size(), 1u);
        EXPECT_EQ(file.pictureList().front()->type(), TagLib::FLAC::Picture::FrontCover);
        EXPECT_EQ(file.pictureList().front()->mimeType(), "image/jpeg");
    }
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", ""}}), QString());
    EXPECT_EQ(read(path, "artworkBase64"), QJsonValue::Null); // read from the blocks and the comment
    const QString spread = base64(pngImage()).split(QString()).join(" \r\n\t").trimmed();
    ASSERT_EQ(writeTags(path, QJsonObject{{"artworkBase64", spread}}), QString());
    EXPECT_EQ(read(path, "artworkBase64"), base64(pngImage()));
    for (const char *text : {"=", " \n\t", "AB-_", "QUJD\xC3\xA9"})
        expectRefused(path, QJsonObject{{"artworkBase64", QString::fromUtf8(text)}}, QStringLiteral("封面数据无效"));
    const QByteArray image = pngImage() + QByteArray(0x1000000, 'x');
    expectRefused(path, QJsonObject{{"title", "x"}, {"artworkBase64", base64(image)}}, QStringLiteral("封面数据无效"));
    const QString mp3 = make("large.mp3");
    ASSERT_EQ(writeTags(mp3, QJsonObject{{"artworkBase64", base64(image)}}), QString());
    EXPECT_EQ(read(mp3, "artworkBase64"), base64(image));
}

TEST_F(TagBridgeFormat, coverTypeFollowsTheImageSignatureAndOnlyTheFirstMp4CoverCounts)
{
    const QString m4a = make("format.m4a");
    {
        TagLib::MP4::File file(QFile::encodeName(m4a).constData());
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, TagLib::ByteVector()));
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, byteVector(pngImage())));
        file.tag()->setItem("covr", covers);
        ASSERT_TRUE(file.save());
    }
    EXPECT_EQ(read(m4a, "artworkBase64"), QJsonValue::Null);
    const QString mp3 = make("mime.mp3");
    using Mp4 = TagLib::MP4::CoverArt;
    const std::tuple<QByteArray, const char *, Mp4::Format> cases[] = {
        {pngImage(), "image/png", Mp4::PNG},
        {jpegImage(), "image/jpeg", Mp4::JPEG},
        {"GIF89a" + QByteArray(20, 'g'), "image/gif", Mp4::GIF},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16) + QByteArray(20, 'w'), "image/webp", Mp4::JPEG},
        {"BM" + QByteArray(20, 'b'), "image/bmp", Mp4::BMP},
        {"BM", "image/bmp", Mp4::BMP},
        {"\x89PNG", "image/jpeg", Mp4::JPEG},
        {"unknown image", "image/jpeg", Mp4::JPEG},
    };
    for (const auto &[image, mime, mp4Format] : cases) {
        SCOPED_TRACE(image.left(12).toStdString());
        ASSERT_EQ(writeTags(mp3, QJsonObject{{"artworkBase64", base64(image)}}), QString());
        TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
        const TagLib::ID3v2::FrameList frames = file.ID3v2Tag()->frameList("APIC");
        ASSERT_EQ(frames.size(), 1u);
        const auto *picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frames.front());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->mimeType().to8Bit(), mime);
        EXPECT_EQ(picture->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        ASSERT_EQ(writeTags(m4a, QJsonObject{{"artworkBase64", base64(image)}}), QString());
        TagLib::MP4::File mp4(QFile::encodeName(m4a).constData());
        const TagLib::MP4::CoverArtList covers = mp4.tag()->item("covr").toCoverArtList();
        ASSERT_EQ(covers.size(), 1u);
        EXPECT_EQ(covers.front().format(), mp4Format);
    }
}

TEST_F(TagBridgeFormat, wmaTakesTextsButRefusesAlbumArtistAndCover)
{
    const QString path = make("tone.wma");
    ASSERT_EQ(writeTags(path, QJsonObject{{"title", QStringLiteral("标题")}, {"year", 2001}}), QString());
    EXPECT_EQ(read(path, "title"), QStringLiteral("标题"));
    for (const QJsonObject &fields :
         {QJsonObject{{"title", "x"}, {"albumArtist", "Band"}}, QJsonObject{{"artworkBase64", ""}}})
        expectRefused(path, fields, QStringLiteral("该格式不支持写入专辑歌手或封面"));
}

TEST_F(TagBridgeFormat, formatIsJudgedByContentNotByNameAndJunkIsNoAudioFile)
{
    const QString named = folder.filePath("disguised.mp3");
    ASSERT_TRUE(QFile::rename(make("real.flac"), named));
    ASSERT_EQ(writeTags(named, QJsonObject{{"title", QStringLiteral("伪装")}}), QString());
    EXPECT_TRUE(fileBytes(named).startsWith("fLaC"));
    EXPECT_EQ(read(named, "title"), QStringLiteral("伪装"));
    const QString junk = folder.filePath("junk.mp3");
    QByteArray noise(4096, '\0');
    for (int index = 0; index < 4096; ++index)
        noise[index] = char(index * 7919 % 251);
    writeFile(junk, noise);
    EXPECT_FALSE(readTags(junk).has_value());
    expectRefused(junk, QJsonObject{{"title", "x"}}, QStringLiteral("不支持的音频格式"));
}

// Formats whose tag takes no picture, and WAV files whose chunk sizes do not add up to the file:
// the data chunk claims nothing, or the RIFF size claims more or less than there is.
TEST_F(TagBridgeFormat, writesThatWouldNotReadBackAreRefused)
{
    for (const char *name : {"tone.wv", "tone.tta"})
        expectRefused(make(name, {}, 0.3), QJsonObject{{"title", "t"}, {"artworkBase64", base64(jpegImage('c', 1024))}},
                      QStringLiteral("该格式无法保存所写的全部标签，文件未改动"));
    const QString wav = make("tone.wav", {}, 0.3);
    const QByteArray good = fileBytes(wav);
    const qsizetype data = good.indexOf("data");
    ASSERT_GT(data, 0);
    for (const auto &[at, size] : {std::pair{data + 4, quint32(0)}, {qsizetype(4), quint32(good.size())},
                                   {qsizetype(4), quint32(good.size() - 100)}}) {
        QByteArray damaged = good;
        qToLittleEndian(size, damaged.data() + at);
        writeFile(wav, damaged);
        expectRefused(wav, QJsonObject{{"title", "t"}}, QStringLiteral("WAV 文件的块大小与文件长度不符，无法写入标签"));
    }
    // The pad byte of a last chunk of odd size is often left out; such a file is taken.
    QByteArray unpadded = good + QByteArray("junk\x03\0\0\0abc", 11);
    qToLittleEndian(quint32(unpadded.size() - 8), unpadded.data() + 4);
    writeFile(wav, unpadded);
    ASSERT_EQ(writeTags(wav, QJsonObject{{"title", "t"}}), QString());
    EXPECT_EQ(read(wav, "title"), "t");
}

// Failures -----------------------------------------------------------------------------------------

// The system's English wording never reaches the message: a rare error is named by its number.
QString copyFailure(int code)
{
    return QStringLiteral("无法创建临时文件: 错误 %1").arg(code);
}

class TagBridgeFailure : public TagBridgeFormat
{
protected:
    void expectUntouched()
    {
        EXPECT_EQ(fileBytes(audio), original);
        EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty()) << temporaryLeftovers(folder.path()).join(' ').toStdString();
    }

    QString audio = make("tone.flac");
    QByteArray original = fileBytes(audio);
    const QJsonObject newTitle{{"title", QStringLiteral("新标题")}};
};

TEST_F(TagBridgeFailure, whatIsNoRegularFileFailsWithoutBlocking)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("album.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("pipe.mp3")).constData(), 0600), 0);
    const std::pair<const char *, QString> cases[] = {{"missing.mp3", QStringLiteral("文件不存在")},
                                                      {"album.mp3", copyFailure(EISDIR)},
                                                      {"pipe.mp3", copyFailure(ENOTSUP)}};
    for (const auto &[name, message] : cases) {
        EXPECT_FALSE(readTags(folder.filePath(name)).has_value()) << name;
        EXPECT_EQ(writeTags(folder.filePath(name), newTitle), message) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("missing.mp3")));
    expectUntouched();
}

TEST_F(TagBridgeFailure, writeThroughASymlinkUpdatesItsTargetKeepingLinkAndPermissions)
{
    ASSERT_TRUE(QFile::setPermissions(audio, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QTemporaryDir linkFolder;
    const QString link = linkFolder.filePath("link.flac");
    ASSERT_TRUE(QFile::link(audio, link));
    ASSERT_EQ(writeTags(link, newTitle), QString());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), audio);
    EXPECT_EQ(read(audio, "title"), newTitle["title"]);
    struct stat status{};
    ASSERT_EQ(stat(QFile::encodeName(audio).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_TRUE(temporaryLeftovers(linkFolder.path()).isEmpty());
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}

TEST_F(TagBridgeFailure, copyNeverWritesThroughSomethingAtItsNameAndAFailedReplaceRemovesIt)
{
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("victim");
    writeFile(victim, "keep");
    const std::string source = QFile::encodeName(audio).toStdString();
    const std::string planted = source + ".planted.tmp";
    ASSERT_TRUE(QFile::link(victim, QString::fromStdString(planted)));
    std::error_code error;
    EXPECT_EQ(TemporaryCopy::make(source, planted, error), nullptr);
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_EQ(fileBytes(victim), "keep");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(planted)).isSymLink());
    EXPECT_EQ(TemporaryCopy::make(source, source + "/copy.tmp", error), nullptr);
    EXPECT_EQ(error, std::errc::not_a_directory);
    const std::string target = QFile::encodeName(folder.filePath("target")).toStdString();
    ASSERT_TRUE(QFile::copy(audio, QString::fromStdString(target)));
    const std::string copyPath = target + ".quillmere-test.tmp";
    auto copy = TemporaryCopy::make(target, copyPath, error);
    ASSERT_NE(copy, nullptr) << error.message();
    EXPECT_EQ(fileBytes(QString::fromStdString(copyPath)), original);
    // The file turns into a folder with content before the rename: the rename must fail.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(target)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(target + "/inside")));
    EXPECT_TRUE(copy->replaceTarget());
    copy.reset();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(copyPath)));
}

// Writing beyond the limit fails with EFBIG, which makes copies fail even for root: the copy cannot
// be written at all, or cannot grow by the new cover.
TEST_F(TagBridgeFailure, copyThatCannotBeWrittenOrGrowFailsAndLeavesNothing)
{
    const std::pair<rlim_t, QString> cases[] = {
        {4096, copyFailure(EFBIG)},
        {rlim_t(original.size()) + 4096, QStringLiteral("保存标签失败: 错误 %1").arg(EFBIG)}};
    for (const auto &[limit, expected] : cases) {
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{limit, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        const QString message = writeTags(audio, QJsonObject{{"artworkBase64", base64(jpegImage('c', 64 * 1024))}});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
        EXPECT_EQ(message, expected);
        expectUntouched();
    }
}

// A 600 KB file system holding the file and filler that leaves 164 KB free: the copy fits, a
// 98 KB cover on top of it does not.
TEST(TagBridgeFullDisk, writeThatWouldFillTheDiskFailsAndLeavesTheFileAsItWas)
{
    QTemporaryDir source;
    QTemporaryDir mountPoint;
    const QByteArray point = QFile::encodeName(mountPoint.path());
    if (::mount("tmpfs", point.constData(), "tmpfs", 0, "size=600k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount
    {
        QByteArray point;
        ~Unmount() { ::umount2(point.constData(), MNT_DETACH); }
    } unmount{point};
    for (const auto &[name, extra, seconds] : {std::tuple{"tone.mp3", QStringList{}, 0.3},
                                               std::tuple{"tone.m4a", QStringList{"-c:a", "alac"}, 7.5}}) {
        SCOPED_TRACE(name);
        const QString made = AudioFixture::makeTone(source.path(), name, seconds, 1000, extra);
        const QString audio = mountPoint.filePath(name);
        ASSERT_TRUE(QFile::copy(made, audio));
        const QByteArray original = fileBytes(audio);
        struct statvfs space{};
        ASSERT_EQ(::statvfs(point.constData(), &space), 0);
        const qint64 filler = qint64(space.f_bavail * space.f_frsize) - 164 * 1024;
        ASSERT_GT(filler, 0);
        writeFile(mountPoint.filePath("filler"), QByteArray(filler, 'f'));
        EXPECT_EQ(writeTags(audio, QJsonObject{{"artworkBase64", base64(jpegImage('c', 98 * 1024))}}),
                  QStringLiteral("磁盘空间不足，无法写入标签，文件未改动"));
        EXPECT_EQ(fileBytes(audio), original);
        EXPECT_TRUE(temporaryLeftovers(mountPoint.path()).isEmpty());
        ASSERT_TRUE(QFile::remove(audio) && QFile::remove(mountPoint.filePath("filler")));
    }
}

// A writer killed at any moment leaves the old file or the new one, never a mix or a broken one.
TEST(TagBridgeCrash, killedWriterLeavesOldOrNewFile)
{
    QTemporaryDir folder;
    const QString path = AudioFixture::makeTone(folder.path(), "long.flac", 120.0, 523);
    ASSERT_FALSE(path.isEmpty());
    const QByteArray samplesHash = QCryptographicHash::hash(decodedSamples(path), QCryptographicHash::Sha256);
    const QByteArray nativePath = QFile::encodeName(path);
    const auto json = [](const char *title, char fill) {
        const QJsonObject tags{{"title", title}, {"artworkBase64", base64(pngImage(fill))}};
        return QJsonDocument(tags).toJson(QJsonDocument::Compact);
    };
    const QByteArray jsonA = json("A", 'a'), jsonB = json("B", 'b');
    bool sawWrittenTags = false;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned count = 0;; ++count)
                quillmere_write_tags(nativePath.constData(), (count % 2 ? jsonB : jsonA).constData(), nullptr);
        }
        usleep(useconds_t(QRandomGenerator::global()->bounded(5000, 150000)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const std::optional<QJsonObject> tags = readTags(path);
        ASSERT_TRUE(tags.has_value()) << "round " << round;
        const QJsonValue title = tags->value("title");
        if (title.isNull()) {
            EXPECT_EQ(tags->value("artworkBase64"), QJsonValue::Null);
        } else {
            sawWrittenTags = true;
            EXPECT_TRUE(title == "A" || title == "B") << title.toString().toStdString();
            EXPECT_EQ(tags->value("artworkBase64"), base64(pngImage(title == "A" ? 'a' : 'b')));
        }
        EXPECT_EQ(QCryptographicHash::hash(decodedSamples(path), QCryptographicHash::Sha256), samplesHash)
            << "round " << round;
    }
    EXPECT_TRUE(sawWrittenTags);
}

} // namespace
