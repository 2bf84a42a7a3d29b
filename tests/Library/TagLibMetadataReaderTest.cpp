#include "AudioFixture.h"

#include "CTagLib/taglib_bridge.h"
#include "FFmpegLog.h"
#include "Library/AudioStreamProbe.h"
#include "Library/TagLibMetadataReader.h"
#include "Storage/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

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
    ASSERT_TRUE(FileOperations::system().writeAtomically(location(path), bytes));
}

// Puts a cover into a file through the tag bridge, for formats whose muxer takes none.
void addCoverWithBridge(const QString &path, const QByteArray &cover)
{
    const QByteArray json = QJsonDocument(QJsonObject{{"artworkBase64", QString::fromLatin1(cover.toBase64())}})
                                .toJson(QJsonDocument::Compact);
    ASSERT_EQ(quillmere_write_tags(QFile::encodeName(path).constData(), json.constData(), nullptr), 0);
}

// Every field but the duration, to compare whole records.
auto described(const AudioMetadata &m)
{
    return std::tuple(m.title, m.artist, m.album, m.albumArtist, m.year, m.trackNumber, m.genre, m.artworkData);
}

class TagLibMetadataReaderTest : public ::testing::Test
{
protected:
    std::optional<AudioMetadata> read(const QString &path) const { return TagLibMetadataReader().read(location(path)); }
    QString tone(const QString &fileName, const QStringList &arguments = {})
    {
        const QString path = AudioFixture::makeTone(folder.path(), fileName, 1.0, 440, arguments);
        EXPECT_FALSE(path.isEmpty());
        return path;
    }

    QTemporaryDir folder;
};

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

class TagLibMetadataReaderFormats : public TagLibMetadataReaderTest, public ::testing::WithParamInterface<Format>
{
};

TEST_P(TagLibMetadataReaderFormats, readsChineseTagsNumbersCoverAndDuration)
{
    const Format &format = GetParam();
    const QString coverPath = folder.filePath("cover.png");
    ASSERT_EQ(QProcess::execute("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1", coverPath}), 0);
    QStringList arguments;
    if (format.muxerTakesCover)
        arguments << "-i" << coverPath << "-map" << "0:a" << "-map" << "1:v" << "-c:v" << "copy" << "-disposition:v" << "attached_pic";
    for (const char *tag : {"title= 晴天 ", "artist=周杰伦", "album=叶惠美", "album_artist=周杰伦", "date=2003-05-01",
                            "track=3/12", "genre=流行"})
        arguments << "-metadata" << QString::fromUtf8(tag);
    const QString path = tone(format.fileName, arguments + format.ffmpegArguments);
    const QByteArray cover = *FileOperations::system().readAll(location(coverPath));
    if (!format.muxerTakesCover)
        addCoverWithBridge(path, cover);

    const AudioMetadata metadata = read(path).value_or(AudioMetadata());
    const AudioMetadata expected{u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, format.hasAlbumArtist ? std::optional(u"周杰伦"_qs) : std::nullopt,
                                 2003, 3, u"流行"_qs, 0, cover};
    EXPECT_EQ(described(metadata), described(expected));
    EXPECT_NEAR(metadata.duration, 1.0, 0.1);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TagLibMetadataReaderFormats,
    // One of each tag kind as ffmpeg writes it (ID3v2.3, MP4 atoms, Vorbis comments, a RIFF chunk); the
    // bridge's own tests read every format.
    ::testing::Values(Format{"mp3", "tone.mp3", {"-id3v2_version", "3"}, true, true},
                      Format{"m4a", "tone.m4a", {}, true, true}, Format{"flac", "tone.flac", {}, true, true},
                      Format{"wav", "tone.wav", {}, false, false}),
    [](const ::testing::TestParamInfo<Format> &info) { return std::string(info.param.name); });

TEST_F(TagLibMetadataReaderTest, untaggedAndEmptyFilesGiveOnlyTheDurationAndWhatIsNoAudioNothing)
{
    for (const QString &path : {tone("plain.flac"), tone("blank.mp3", {"-metadata", "title=  ", "-metadata", "artist=\t"}),
                                tone("silence.wav", {"-t", "0"}), tone("tone.aac")}) {
        const AudioMetadata metadata = read(path).value_or(AudioMetadata{.duration = -1});
        EXPECT_EQ(described(metadata), described(AudioMetadata())) << path.toStdString();
        // A WAV without samples is a record of length 0; ADTS AAC is timed by the stream probe.
        EXPECT_NEAR(metadata.duration, path.endsWith("silence.wav") ? 0.0 : 1.0, 0.1) << path.toStdString();
    }

    QByteArray noise;
    for (int index = 0; index < 64 * 1024; ++index)
        noise += char(index * 7919 % 251);
    writeFile(folder.filePath("junk.mp3"), noise);
    writeFile(folder.filePath("empty.mp3"), {});
    writeFile(folder.filePath("text.wav"), "RIFF but not really a wave file");
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("pipe.mp3")).constData(), 0600), 0); // must not block
    for (const char *name : {"junk.mp3", "empty.mp3", "text.wav", "missing.mp3", "folder.mp3", "pipe.mp3"})
        EXPECT_FALSE(read(folder.filePath(name)).has_value()) << name;
}

TEST_F(TagLibMetadataReaderTest, oversizedCoverIsDroppedAndTheRestKept)
{
    const QString path = tone("big.mp3", {"-metadata", "title=Big"});
    addCoverWithBridge(path, QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(TagLibMetadataReader::maximumArtworkSize, 'x'));
    EXPECT_EQ(described(read(path).value_or(AudioMetadata())), described(AudioMetadata{.title = u"Big"_qs}));
}

// Numbers go through the rules tested with the track factory; genres are read as ID3 stores them.
TEST_F(TagLibMetadataReaderTest, id3GenresAreReadAsNamesOrNumbers)
{
    const std::pair<const char *, const char *> cases[] = {{"4", "18"}, {"3", "(18)"}, {"3", "Techno"}};
    for (const auto &[version, genre] : cases) {
        const QString path = tone(u"g%1.mp3"_qs.arg(QString::fromLatin1(genre).size()),
                                  {"-id3v2_version", version, "-metadata", u"genre=%1"_qs.arg(genre), "-metadata", "track= 7 "});
        const AudioMetadata metadata = read(path).value_or(AudioMetadata());
        EXPECT_EQ(metadata.genre, QString::fromUtf8(genre).remove(u'(').remove(u')')) << genre;
        EXPECT_EQ(metadata.trackNumber, 7) << genre;
    }
}

TEST_F(TagLibMetadataReaderTest, mp3WithTwoID3v2TagsIsReadAndWritable)
{
    // The tag of one file put in front of another whole tagged file.
    const QByteArray outer = *FileOperations::system().readAll(location(tone("outer.mp3", {"-metadata", "title=外层"})));
    const qint64 tagSize = 10 + ((outer[6] & 0x7F) << 21 | (outer[7] & 0x7F) << 14 | (outer[8] & 0x7F) << 7 | (outer[9] & 0x7F));
    // The second tag is longer than the stretch in which TagLib's own check looks for audio.
    const QString inner = tone("inner.mp3", {"-metadata", "title=内层", "-metadata", "comment=" + QString(3000, u'x')});
    const QString path = folder.filePath("twice.mp3");
    writeFile(path, outer.left(tagSize) + *FileOperations::system().readAll(location(inner)));

    const AudioMetadata metadata = read(path).value_or(AudioMetadata());
    EXPECT_EQ(metadata.title, u"外层"_qs);
    EXPECT_NEAR(metadata.duration, 1.0, 0.1);

    ASSERT_EQ(quillmere_write_tags(QFile::encodeName(path).constData(), R"({"title":"新"})", nullptr), 0);
    EXPECT_EQ(read(path).value_or(AudioMetadata()).title, u"新"_qs);
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
    writeFile(path, QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(600, '\x01') + QByteArray("\xFF\xFB\x90\x00", 4));

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
    EXPECT_TRUE(logged.contains(u"a warning"_qs));
    EXPECT_FALSE(logged.contains(u"some information"_qs));
}

} // namespace
