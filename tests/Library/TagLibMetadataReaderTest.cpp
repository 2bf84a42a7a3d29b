#include "AudioFixture.h"

#include "CTagLib/taglib_bridge.h"
#include "FFmpegLog.h"
#include "Library/AudioStreamProbe.h"
#include "Library/TagLibMetadataReader.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

FileLocation location(const QString &path)
{
    return FileLocation::fromPath(QFile::encodeName(path));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Puts a cover into a file through the tag bridge, for formats whose muxer takes none.
void addCoverWithBridge(const QString &path, const QByteArray &cover)
{
    const QByteArray json = QJsonDocument(QJsonObject{{"artworkBase64", QString::fromLatin1(cover.toBase64())}})
                                .toJson(QJsonDocument::Compact);
    ASSERT_EQ(quillmere_write_tags(QFile::encodeName(path).constData(), json.constData(), nullptr), 0);
}

struct Format
{
    const char *name;
    const char *fileName;
    QStringList ffmpegArguments;
    bool muxerTakesCover;
    bool hasAlbumArtist;
};

void PrintTo(const Format &format, std::ostream *stream)
{
    *stream << format.name;
}

const QStringList chineseTags{"-metadata", "title= 晴天 ", "-metadata", "artist=周杰伦", "-metadata", "album=叶惠美",
                              "-metadata", "album_artist=周杰伦", "-metadata", "date=2003-05-01",
                              "-metadata", "track=3/12", "-metadata", "genre=流行"};

class TagLibMetadataReaderFormats : public ::testing::TestWithParam<Format>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        coverPath = folder.filePath("cover.png");
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1", coverPath});
        ASSERT_TRUE(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
        QFile coverFile(coverPath);
        ASSERT_TRUE(coverFile.open(QIODevice::ReadOnly));
        cover = coverFile.readAll();
    }

    QTemporaryDir folder;
    QString coverPath;
    QByteArray cover;
};

TEST_P(TagLibMetadataReaderFormats, readsChineseTagsNumbersCoverAndDuration)
{
    const Format &format = GetParam();
    QStringList arguments;
    if (format.muxerTakesCover)
        arguments << "-i" << coverPath << "-map" << "0:a" << "-map" << "1:v" << "-c:v" << "copy"
                  << "-disposition:v" << "attached_pic";
    arguments << chineseTags << format.ffmpegArguments;
    const QString path = AudioFixture::makeTone(folder.path(), format.fileName, 1.0, 440, arguments);
    ASSERT_FALSE(path.isEmpty());
    if (!format.muxerTakesCover)
        addCoverWithBridge(path, cover);

    const std::optional<AudioMetadata> metadata = TagLibMetadataReader().read(location(path));
    ASSERT_TRUE(metadata.has_value());
    EXPECT_EQ(metadata->title, QStringLiteral("晴天"));
    EXPECT_EQ(metadata->artist, QStringLiteral("周杰伦"));
    EXPECT_EQ(metadata->album, QStringLiteral("叶惠美"));
    EXPECT_EQ(metadata->albumArtist, format.hasAlbumArtist ? std::optional(QStringLiteral("周杰伦")) : std::nullopt);
    EXPECT_EQ(metadata->year, 2003);
    EXPECT_EQ(metadata->trackNumber, 3);
    EXPECT_EQ(metadata->genre, QStringLiteral("流行"));
    EXPECT_NEAR(metadata->duration, 1.0, 0.1);
    EXPECT_EQ(metadata->artworkData, cover);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TagLibMetadataReaderFormats,
    ::testing::Values(Format{"mp3_id3v24", "tone.mp3", {"-id3v2_version", "4"}, true, true},
                      Format{"mp3_id3v23", "tone.mp3", {"-id3v2_version", "3"}, true, true},
                      Format{"m4a_aac", "tone.m4a", {}, true, true},
                      Format{"m4a_alac", "tone.m4a", {"-c:a", "alac"}, true, true},
                      Format{"flac", "tone.flac", {}, true, true},
                      Format{"wav", "tone.wav", {}, false, false},
                      Format{"aiff", "tone.aiff", {"-write_id3v2", "1"}, true, true}),
    [](const ::testing::TestParamInfo<Format> &info) { return std::string(info.param.name); });

class TagLibMetadataReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    std::optional<AudioMetadata> read(const QString &path) const { return TagLibMetadataReader().read(location(path)); }

    QString tone(const QString &fileName, const QStringList &arguments = {})
    {
        const QString path = AudioFixture::makeTone(folder.path(), fileName, 1.0, 440, arguments);
        EXPECT_FALSE(path.isEmpty());
        return path;
    }

    QTemporaryDir folder;
};

TEST_F(TagLibMetadataReaderTest, untaggedFileAndBlankTagsGiveOnlyTheDuration)
{
    for (const QString &path : {tone("plain.flac"), tone("blank.mp3", {"-metadata", "title=  ", "-metadata", "artist=\t"})}) {
        const std::optional<AudioMetadata> metadata = read(path);
        ASSERT_TRUE(metadata.has_value());
        EXPECT_FALSE(metadata->title || metadata->artist || metadata->album || metadata->albumArtist || metadata->year
                     || metadata->trackNumber || metadata->genre || metadata->artworkData);
        EXPECT_NEAR(metadata->duration, 1.0, 0.05);
    }
}

TEST_F(TagLibMetadataReaderTest, whatIsNoAudioGivesNothing)
{
    const QString junk = folder.filePath("junk.mp3");
    QByteArray bytes;
    for (int index = 0; index < 64 * 1024; ++index)
        bytes += char(index * 7919 % 251);
    writeFile(junk, bytes);
    EXPECT_FALSE(read(junk).has_value());

    writeFile(folder.filePath("empty.mp3"), {});
    EXPECT_FALSE(read(folder.filePath("empty.mp3")).has_value());
    writeFile(folder.filePath("text.wav"), "RIFF but not really a wave file");
    EXPECT_FALSE(read(folder.filePath("text.wav")).has_value());
    EXPECT_FALSE(read(folder.filePath("missing.mp3")).has_value());
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.mp3"));
    EXPECT_FALSE(read(folder.filePath("folder.mp3")).has_value());
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("pipe.mp3")).constData(), 0600), 0);
    EXPECT_FALSE(read(folder.filePath("pipe.mp3")).has_value()); // without blocking
}

TEST_F(TagLibMetadataReaderTest, validWavWithoutSamplesGivesARecordOfLengthZero)
{
    const QString path = tone("silence.wav", {"-t", "0", "-metadata", "title=空"});
    const std::optional<AudioMetadata> metadata = read(path);
    ASSERT_TRUE(metadata.has_value());
    EXPECT_EQ(metadata->duration, 0.0);
    EXPECT_EQ(metadata->title, QStringLiteral("空"));
}

TEST_F(TagLibMetadataReaderTest, oversizedCoverIsDroppedAndTheRestKept)
{
    const QString path = tone("big.mp3", {"-metadata", "title=Big"});
    addCoverWithBridge(path, QByteArray("\x89PNG\r\n\x1a\n", 8)
                                 + QByteArray(TagLibMetadataReader::maximumArtworkSize, 'x'));
    const std::optional<AudioMetadata> metadata = read(path);
    ASSERT_TRUE(metadata.has_value());
    EXPECT_EQ(metadata->artworkData, std::nullopt);
    EXPECT_EQ(metadata->title, QStringLiteral("Big"));
}

TEST_F(TagLibMetadataReaderTest, concurrentReadsGiveTheSameRecords)
{
    QList<FileLocation> files;
    for (const char *name : {"a.mp3", "b.m4a", "c.flac", "d.wav", "e.ogg"})
        files += location(tone(name, {"-metadata", QStringLiteral("title=%1").arg(name)}));
    QList<FileLocation> many;
    for (int round = 0; round < 40; ++round)
        many += files;
    const TagLibMetadataReader reader;
    const QList<std::optional<AudioMetadata>> results = QtConcurrent::blockingMapped(
        many, [&reader](const FileLocation &file) { return reader.read(file); });
    for (qsizetype index = 0; index < many.size(); ++index) {
        ASSERT_TRUE(results[index].has_value());
        EXPECT_EQ(results[index]->title, QString::fromUtf8(many[index].fileName()));
    }
}

TEST_F(TagLibMetadataReaderTest, genresAndNumbersAreReadAsStoredByTheRules)
{
    const struct
    {
        const char *version, *genre, *track, *date, *expectedGenre;
        std::optional<qint64> trackNumber, year;
    } cases[] = {{"4", "18", " 7 ", " 2003 ", "18", 7, 2003},
                 {"3", "(18)", "0", "0000-01-01", "18", 0, std::nullopt},
                 {"3", "Techno", "12345678901234567890", "99", "Techno", std::nullopt, std::nullopt}};
    for (const auto &entry : cases) {
        const QString path = tone(QStringLiteral("g%1.mp3").arg(&entry - cases),
                                  {"-id3v2_version", entry.version, "-metadata", QStringLiteral("genre=%1").arg(entry.genre),
                                   "-metadata", QStringLiteral("date=%1").arg(entry.date), "-metadata",
                                   QStringLiteral("track=%1").arg(entry.track)});
        const std::optional<AudioMetadata> metadata = read(path);
        ASSERT_TRUE(metadata.has_value()) << entry.genre;
        EXPECT_EQ(metadata->genre, QString::fromUtf8(entry.expectedGenre)) << entry.genre;
        EXPECT_EQ(metadata->year, entry.year) << entry.date;
        EXPECT_EQ(metadata->trackNumber, entry.trackNumber) << entry.track;
    }
}

TEST_F(TagLibMetadataReaderTest, mp3WithTwoID3v2TagsIsReadAndWritable)
{
    // The tag of one file put in front of another whole tagged file.
    QFile outer(tone("outer.mp3", {"-metadata", "title=外层"}));
    ASSERT_TRUE(outer.open(QIODevice::ReadOnly));
    const QByteArray header = outer.read(10);
    const qint64 tagSize = 10 + ((header[6] & 0x7F) << 21 | (header[7] & 0x7F) << 14 | (header[8] & 0x7F) << 7 | (header[9] & 0x7F));
    const QByteArray outerTag = header + outer.read(tagSize - 10);
    // The second tag is longer than the stretch in which TagLib's own check looks for audio.
    QFile inner(tone("inner.mp3", {"-metadata", "title=内层", "-metadata", "comment=" + QString(3000, u'x')}));
    ASSERT_TRUE(inner.open(QIODevice::ReadOnly));
    const QString path = folder.filePath("twice.mp3");
    writeFile(path, outerTag + inner.readAll());

    std::optional<AudioMetadata> metadata = read(path);
    ASSERT_TRUE(metadata.has_value());
    EXPECT_EQ(metadata->title, QStringLiteral("外层"));
    EXPECT_NEAR(metadata->duration, 1.0, 0.1);

    ASSERT_EQ(quillmere_write_tags(QFile::encodeName(path).constData(), R"({"title":"新"})", nullptr), 0);
    metadata = read(path);
    ASSERT_TRUE(metadata.has_value());
    EXPECT_EQ(metadata->title, QStringLiteral("新"));
}

TEST_F(TagLibMetadataReaderTest, adtsAacGivesItsDurationThroughTheStreamProbe)
{
    const std::optional<AudioMetadata> metadata = read(tone("tone.aac"));
    ASSERT_TRUE(metadata.has_value());
    EXPECT_NEAR(metadata->duration, 1.0, 0.1);
}

// libav's messages reach the program's log, warnings and worse only, and never the terminal.

QStringList logged;

void collect(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (QByteArrayView(context.category) == "quillmere.ffmpeg")
        logged.append(message);
}

TEST(FFmpegLogTest, WarningsGoToTheLogAndNothingToTheTerminal)
{
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    QTemporaryDir folder;
    const QString path = folder.filePath("damaged.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(600, '\x01') + QByteArray("\xFF\xFB\x90\x00", 4));
    file.close();

    // Standard error into a file, to see what libav would have printed there.
    fflush(stderr);
    const int savedError = ::dup(STDERR_FILENO);
    QFile captured(folder.filePath("stderr"));
    ASSERT_TRUE(captured.open(QIODevice::ReadWrite));
    ::dup2(captured.handle(), STDERR_FILENO);
    AudioStreamProbe::readableDuration(FileLocation::fromLocalFile(path));
    av_log(nullptr, AV_LOG_WARNING, "a warning\n");
    av_log(nullptr, AV_LOG_INFO, "some information\n");
    fflush(stderr);
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    qInstallMessageHandler(previous);

    EXPECT_TRUE(captured.readAll().isEmpty());
    EXPECT_TRUE(logged.contains(QStringLiteral("a warning")));
    EXPECT_FALSE(logged.contains(QStringLiteral("some information")));
}

} // namespace
