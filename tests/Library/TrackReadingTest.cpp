#include "AudioFixture.h"
#include "FaultInjectingFileOperations.h"

#include "CTagLib/taglib_bridge.h"
#include "FFmpegLog.h"
#include "Library/AudioStreamProbe.h"
#include "Library/FilenameParser.h"
#include "Library/MetadataValueRules.h"
#include "Library/TagLibMetadataReader.h"
#include "Library/TrackFactory.h"
#include "Library/TrackQuery.h"
#include "Storage/FileOperations.h"
#include "Storage/FileTime.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
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

// One of each tag kind as ffmpeg writes it (ID3v2.3, MP4 atoms, Vorbis comments, a RIFF chunk); the
// bridge's own tests read every format.
TEST_F(TagLibMetadataReaderTest, readsChineseTagsNumbersCoverAndDuration)
{
    const QString coverPath = folder.filePath("cover.png");
    ASSERT_EQ(QProcess::execute("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1", coverPath}), 0);
    const QByteArray cover = *FileOperations::system().readAll(location(coverPath));
    const QStringList withCover{"-i", coverPath, "-map", "0:a", "-map", "1:v", "-c:v", "copy", "-disposition:v", "attached_pic"};
    QStringList tags;
    for (const char *tag : {"title= 晴天 ", "artist=周杰伦", "album=叶惠美", "album_artist=周杰伦", "date=2003-05-01",
                            "track=3/12", "genre=流行"})
        tags << "-metadata" << QString::fromUtf8(tag);
    // A WAV file takes its cover through the bridge and has no album artist.
    const std::pair<QString, QStringList> formats[] = {
        {"tone.mp3", withCover + tags + QStringList{"-id3v2_version", "3"}},
        {"tone.m4a", withCover + tags},
        {"tone.flac", withCover + tags},
        {"tone.wav", tags}};
    for (const auto &[fileName, arguments] : formats) {
        SCOPED_TRACE(fileName.toStdString());
        const bool wav = fileName.endsWith(".wav");
        const QString path = tone(fileName, arguments);
        if (wav)
            addCoverWithBridge(path, cover);
        const AudioMetadata metadata = read(path).value_or(AudioMetadata());
        const AudioMetadata expected{u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, wav ? std::nullopt : std::optional(u"周杰伦"_qs),
                                     2003, 3, u"流行"_qs, 0, cover};
        EXPECT_EQ(described(metadata), described(expected));
        EXPECT_NEAR(metadata.duration, 1.0, 0.1);
    }
}

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

// Numbers go through the rules tested with the track factory; genres are read as ID3 stores them,
// by the library's reader and by the tag bridge alike.
TEST_F(TagLibMetadataReaderTest, id3GenresAreReadAsNamesOrNumbers)
{
    const std::pair<const char *, const char *> cases[] = {{"4", "18"}, {"3", "(18)"}, {"3", "Techno"}};
    for (const auto &[version, genre] : cases) {
        const QString path = tone(u"g%1.mp3"_qs.arg(QString::fromLatin1(genre).size()),
                                  {"-id3v2_version", version, "-metadata", u"genre=%1"_qs.arg(genre), "-metadata", "track= 7 "});
        const AudioMetadata metadata = read(path).value_or(AudioMetadata());
        EXPECT_EQ(metadata.genre, QString::fromUtf8(genre).remove(u'(').remove(u')')) << genre;
        EXPECT_EQ(metadata.trackNumber, 7) << genre;
        // The tag editor reads through the bridge: the same text, so an undo restores what was stored.
        char *json = quillmere_read_tags(QFile::encodeName(path).constData());
        EXPECT_EQ(QJsonDocument::fromJson(json).object().value("genre").toString(), metadata.genre) << genre;
        quillmere_free(json);
    }
}

TEST_F(TagLibMetadataReaderTest, mp3WithTwoID3v2TagsOrJunkAfterItsTagIsReadAndWritable)
{
    // The tag of one file put in front of another whole tagged file, or in front of junk and then
    // its own audio.
    const QByteArray outer = *FileOperations::system().readAll(location(tone("outer.mp3", {"-metadata", "title=外层"})));
    const qint64 tagSize = 10 + ((outer[6] & 0x7F) << 21 | (outer[7] & 0x7F) << 14 | (outer[8] & 0x7F) << 7 | (outer[9] & 0x7F));
    // The second tag and the junk are longer than the stretch in which TagLib's own check looks for audio.
    const QString inner = tone("inner.mp3", {"-metadata", "title=内层", "-metadata", "comment=" + QString(3000, u'x')});
    const std::pair<const char *, QByteArray> cases[] = {
        {"twice.mp3", outer.left(tagSize) + *FileOperations::system().readAll(location(inner))},
        {"junk.mp3", outer.left(tagSize) + QByteArray(3000, '\0') + outer.mid(tagSize)}};
    for (const auto &[name, bytes] : cases) {
        const QString path = folder.filePath(name);
        writeFile(path, bytes);
        const AudioMetadata metadata = read(path).value_or(AudioMetadata());
        EXPECT_EQ(metadata.title, u"外层"_qs) << name;
        EXPECT_NEAR(metadata.duration, 1.0, 0.1) << name;

        ASSERT_EQ(quillmere_write_tags(QFile::encodeName(path).constData(), R"({"title":"新"})", nullptr), 0) << name;
        EXPECT_EQ(read(path).value_or(AudioMetadata()).title, u"新"_qs) << name;
    }
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

TEST(MetadataValueRules, YearsTrackNumbersAndTexts)
{
    const std::pair<const char16_t *, std::optional<qint64>> years[] = {
        {u"2003-05-01", 2003}, {u"2003", 2003}, {u"20031", 2003}, {u"1999年", 1999}, {u"0000", std::nullopt},
        {u"03", std::nullopt}, {u"A2003", std::nullopt}, {u"", std::nullopt}, {u" 2003 ", 2003},
        {u"２００３", std::nullopt}, {u"200３", std::nullopt}, {u"0012", 12}};
    for (const auto &[text, year] : years)
        EXPECT_EQ(MetadataValueRules::year(QString::fromUtf16(text)), year) << QString::fromUtf16(text).toStdString();
    const std::pair<const char16_t *, std::optional<qint64>> numbers[] = {
        {u"3/12", 3}, {u"07", 7}, {u"0", 0}, {u"12 of 14", 12}, {u"A1", std::nullopt}, {u"\t 5 \n", 5},
        {u"", std::nullopt}, {u"9223372036854775807", 9223372036854775807}, {u"9223372036854775808", std::nullopt},
        {u"12345678901234567890", std::nullopt}, {u"３", std::nullopt}, {u"1①", std::nullopt},
        {u"1\U0001D7CE", std::nullopt}}; // the last: a digit beyond U+FFFF
    for (const auto &[text, number] : numbers)
        EXPECT_EQ(MetadataValueRules::trackNumber(QString::fromUtf16(text)), number) << QString::fromUtf16(text).toStdString();
    const std::pair<const char16_t *, std::optional<QString>> texts[] = {
        {u"  晴天 \n", u"晴天"_qs}, {u"\u3000周杰伦\t", u"周杰伦"_qs}, {u"a  b", u"a  b"_qs}, {u" \r\n\u3000", std::nullopt},
        {u"", std::nullopt}};
    for (const auto &[text, cleaned] : texts)
        EXPECT_EQ(MetadataValueRules::text(QString::fromUtf16(text)), cleaned) << QString::fromUtf16(text).toStdString();
}

TEST(FilenameParserTest, ParsesTrackNumberArtistAndTitle)
{
    const struct
    {
        const char *filename;
        std::optional<qint64> trackNumber;
        std::optional<const char *> artist;
        const char *title;
    } cases[] = {{"03 - Artist - Title.flac", 3, "Artist", "Title"}, {"03. Title.mp3", 3, {}, "Title"},
                 {"1-Title.mp3", 1, {}, "Title"}, {"A - B - C.mp3", {}, "A - B", "C"},
                 {"Title-Artist.mp3", {}, "Artist", "Title"}, {"Twenty-One.mp3", {}, "One", "Twenty"},
                 {"2001 - Odyssey.mp3", {}, "2001", "Odyssey"}, {"05.mp3", {}, {}, "05"}, {"01 - .mp3", 1, {}, ""},
                 {"０３ 晴天.mp3", {}, {}, "０３ 晴天"}, {"\t07\u3000-\u3000周杰伦 - 夜曲 .flac", 7, "周杰伦", "夜曲"},
                 {"1234 Song.mp3", {}, {}, "1234 Song"}, {"A – B.mp3", {}, {}, "A – B"}, {"- Title.mp3", {}, {}, "- Title"},
                 {"Live.At.Home.wav", {}, {}, "Live.At.Home"}, {".mp3", {}, {}, ".mp3"}};
    for (const auto &name : cases) {
        const ParsedFilename expected{QString::fromUtf8(name.title),
                                      name.artist ? std::optional(QString::fromUtf8(*name.artist)) : std::nullopt,
                                      name.trackNumber};
        EXPECT_EQ(FilenameParser::parse(QString::fromUtf8(name.filename)), expected) << name.filename;
    }
}

class TrackFactoryTest : public ::testing::Test
{
protected:
    FileLocation put(const QString &name, qsizetype size = 1234)
    {
        const FileLocation file = FileLocation::fromLocalFile(m_dir.path()).appending(name);
        EXPECT_TRUE(FileOperations::system().writeAtomically(file, QByteArray(size, 'x')));
        return file;
    }

    QTemporaryDir m_dir;
    const QUuid m_id = QUuid::createUuid();
};

TEST_F(TrackFactoryTest, WithoutTagsTheFileNameAndFileGiveEverything)
{
    const FileLocation file = put(u"Artist - Title.mp3"_qs, 4321);
    const Track expected{.id = m_id, .url = file, .title = u"Title"_qs, .artist = u"Artist"_qs, .fileSize = 4321,
                         .modifiedAt = FileTime::referenceSeconds(FileOperations::system().status(file)->modified)};
    EXPECT_EQ(TrackFactory::make(file, std::nullopt, m_id), expected);
    // A name that gives no title falls back to the stem.
    EXPECT_EQ(TrackFactory::make(put(u"01 - .mp3"_qs), std::nullopt, m_id).title, u"01 -"_qs);

    // Unreadable file facts give size 0 and the current time.
    FaultInjectingFileOperations files;
    files.failOnce(FileOperations::Operation::Status, EIO);
    const double before = FileTime::nowReferenceSeconds();
    const Track track = TrackFactory::make(file, std::nullopt, m_id, files);
    EXPECT_EQ(track.fileSize, 0);
    EXPECT_GE(track.modifiedAt, before);
    EXPECT_LE(track.modifiedAt, FileTime::nowReferenceSeconds());
}

TEST_F(TrackFactoryTest, TagsWinTheFileNameFillsTheGapsAndGarbledChineseIsRepaired)
{
    AudioMetadata metadata{.title = u"  \n"_qs, .album = u" 叶惠美 "_qs, .year = 2003, .trackNumber = 9,
                           .genre = u"\u2029"_qs, .duration = 245.5};
    const Track tagged = TrackFactory::make(put(u"03 - 周杰伦 - 晴天.flac"_qs), metadata, m_id);
    EXPECT_EQ(tagged, (Track{.id = m_id, .url = tagged.url, .title = u"晴天"_qs, .artist = u"周杰伦"_qs, .album = u"叶惠美"_qs,
                             .year = 2003, .trackNumber = 9, .duration = 245.5, .fileSize = 1234, .modifiedAt = tagged.modifiedAt}));

    metadata.trackNumber.reset();
    metadata.year.reset();
    const Track untagged = TrackFactory::make(put(u"2001 - Odyssey.mp3"_qs), metadata, m_id);
    EXPECT_FALSE(untagged.trackNumber || untagged.year); // a year never comes from the file name
    EXPECT_EQ(TrackFactory::make(put(u"04. Song.mp3"_qs), metadata, m_id).trackNumber, 4);

    // Repaired after trimming.
    metadata.artist = u" "_qs + QString::fromLatin1(QStringEncoder("GB18030").encode(u"周杰伦"_qs)) + u"\n"_qs;
    EXPECT_EQ(TrackFactory::make(put(u"x.mp3"_qs), metadata, m_id).artist, u"周杰伦"_qs);
}

TEST_F(TrackFactoryTest, ApplyingRefillsTheDescriptionAndKeepsTheFileFacts)
{
    const FileLocation file = put(u"07 - Band - Name.mp3"_qs);
    const Track track{.id = m_id, .url = file, .title = u"Old"_qs, .albumArtist = u"Old"_qs, .year = 1999, .genre = u"Rock"_qs,
                      .duration = 100, .fileSize = 5, .modifiedAt = 6, .artworkFileName = u"cover.jpg"_qs, .isMissing = true};
    const TagFields fields{.artist = u" New Band "_qs, .album = u"Album"_qs, .albumArtist = u"  "_qs};
    // The title comes from the file name, not the previous title.
    EXPECT_EQ(TrackFactory::applying(fields, track),
              (Track{.id = m_id, .url = file, .title = u"Name"_qs, .artist = u"New Band"_qs, .album = u"Album"_qs, .trackNumber = 7,
                     .duration = 100, .fileSize = 5, .modifiedAt = 6, .artworkFileName = u"cover.jpg"_qs, .isMissing = true}));
}

TEST_F(TrackFactoryTest, AFileNameInGB18030GivesReadableTitleArtistAndSearch)
{
    const QByteArray name = QStringEncoder("GB18030").encode(u"晴天 - 周杰伦.ape"_qs);
    const FileLocation file = FileLocation::fromLocalFile(m_dir.path()).appending(name);
    ASSERT_TRUE(FileOperations::system().writeAtomically(file, "x"));
    Track track = TrackFactory::make(file, std::nullopt, m_id);
    EXPECT_EQ(track.title, u"周杰伦"_qs);
    EXPECT_EQ(track.artist, u"晴天"_qs);
    track.title = u"x"_qs;
    track.artist = u"y"_qs;
    EXPECT_EQ(TrackQuery().filter({track}, u"周杰伦.ape"_qs), QList<qsizetype>{0});
}

} // namespace
