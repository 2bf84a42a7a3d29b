#include "FaultInjectingFileOperations.h"
#include "Library/FilenameParser.h"
#include "Library/MetadataValueRules.h"
#include "Library/TrackFactory.h"
#include "Library/TrackQuery.h"
#include "Storage/FileTime.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// The rules that turn tag texts and file names into the track's fields.
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
    // A real file of the given size in the temporary folder.
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
    EXPECT_EQ(TrackFactory::clean(u"\t"_qs), std::nullopt);
    EXPECT_EQ(TrackFactory::clean(std::nullopt), std::nullopt);
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
    EXPECT_EQ(track.url.path().right(name.size()), name);
    track.title = u"x"_qs;
    track.artist = u"y"_qs;
    EXPECT_EQ(TrackQuery().filter({track}, u"周杰伦.ape"_qs), QList<qsizetype>{0});
}

} // namespace
