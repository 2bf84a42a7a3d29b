#include "Lyrics/LRCParser.h"

#include <gtest/gtest.h>

namespace {

QList<double> times(const Lyrics &lyrics)
{
    QList<double> result;
    for (const LyricLine &line : lyrics.lines)
        result.append(line.time);
    return result;
}

QStringList texts(const Lyrics &lyrics)
{
    QStringList result;
    for (const LyricLine &line : lyrics.lines)
        result.append(line.text);
    return result;
}

struct TimeCase
{
    const char *text;
    double seconds;
};

class TimeTagTest : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(TimeTagTest, GivesTheTimeTheListenerExpects)
{
    const Lyrics lyrics = LRCParser::parse(QString::fromUtf8(GetParam().text));
    ASSERT_TRUE(lyrics.isSynced);
    ASSERT_EQ(lyrics.lines.size(), 1);
    EXPECT_DOUBLE_EQ(lyrics.lines[0].time, GetParam().seconds);
    EXPECT_EQ(lyrics.lines[0].text, QStringLiteral("x"));
}

INSTANTIATE_TEST_SUITE_P(Tags, TimeTagTest,
                         ::testing::Values(TimeCase{"[00:12.34]x", 12.34}, TimeCase{"[01:02:5]x", 62.5},
                                           TimeCase{"[1:02]x", 62}, TimeCase{"[00:01.5]x", 1.5},
                                           TimeCase{"[00:01.50]x", 1.5}, TimeCase{"[00:01.500]x", 1.5},
                                           TimeCase{"[00:01.05]x", 1.05}, TimeCase{"[00:75]x", 75},
                                           TimeCase{"[999:00]x", 59940}));

TEST(LRCParser, EmptyTextGivesNoLines)
{
    EXPECT_EQ(LRCParser::parse(u""), (Lyrics{{}, false}));
    EXPECT_EQ(LRCParser::parsePlainText(u""), (Lyrics{{}, false}));
}

TEST(LRCParser, SeveralTagsOnOneLineRepeatTheWords)
{
    const Lyrics lyrics = LRCParser::parse(u"[00:05.00][00:01.00] Hi");
    EXPECT_EQ(times(lyrics), (QList<double>{1, 5}));
    EXPECT_EQ(texts(lyrics), (QStringList{u"Hi"_qs, u"Hi"_qs}));
}

TEST(LRCParser, WordsAreWhatFollowsTheLastTag)
{
    const Lyrics lyrics = LRCParser::parse(u"A [00:01.00] B [00:02.00] C");
    EXPECT_EQ(times(lyrics), (QList<double>{1, 2}));
    EXPECT_EQ(texts(lyrics), (QStringList{u"C"_qs, u"C"_qs}));
}

TEST(LRCParser, ATagAloneIsAnEmptyLine)
{
    EXPECT_EQ(LRCParser::parse(u"[00:10.00]"), (Lyrics{{{10, QString()}}, true}));
}

TEST(LRCParser, PositiveOffsetShowsLinesSooner)
{
    const Lyrics lyrics = LRCParser::parse(u"[offset:+500]\n[00:01.00]a\n[00:03.00]b");
    EXPECT_EQ(times(lyrics), (QList<double>{0.5, 2.5}));
}

TEST(LRCParser, NegativeOffsetShowsLinesLater)
{
    const Lyrics lyrics = LRCParser::parse(u"[OFFSET: -250 ]\n[00:01.00]a");
    EXPECT_EQ(times(lyrics), (QList<double>{1.25}));
}

TEST(LRCParser, LastOffsetCountsForEveryLine)
{
    const Lyrics lyrics = LRCParser::parse(u"[offset:100]\n[00:01.00]a\n[00:02.00]b\n[offset:1000]");
    EXPECT_EQ(times(lyrics), (QList<double>{0, 1}));
}

TEST(LRCParser, AnOffsetMayMakeTimesNegative)
{
    EXPECT_EQ(times(LRCParser::parse(u"[offset:2000]\n[00:01.00]a")), (QList<double>{-1}));
}

TEST(LRCParser, LineWithOffsetTagOnlySetsTheOffset)
{
    const Lyrics lyrics = LRCParser::parse(u"[00:01.00]a\n[00:03.00]Hi [offset:100]");
    EXPECT_EQ(lyrics, (Lyrics{{{0.9, u"a"_qs}}, true}));
}

TEST(LRCParser, UntimedLinesAreLeftOutOfSyncedLyrics)
{
    const Lyrics lyrics = LRCParser::parse(u"Song Title\n\nBy Someone\n[00:01.00]a\nCredits");
    EXPECT_EQ(texts(lyrics), (QStringList{u"a"_qs}));
    EXPECT_TRUE(lyrics.isSynced);
}

TEST(LRCParser, TextWithoutTagsGivesPlainLinesWithoutMetadata)
{
    const Lyrics lyrics = LRCParser::parse(u"[ar:Someone]\n[ti:Title]\n\n  Hello\u3000\nWorld");
    EXPECT_EQ(lyrics, (Lyrics{{{0, u"Hello"_qs}, {0, u"World"_qs}}, false}));
}

TEST(LRCParser, EqualTimesKeepTextOrder)
{
    EXPECT_EQ(texts(LRCParser::parse(u"[00:01.00]b\n[00:01.00]a")), (QStringList{u"b"_qs, u"a"_qs}));
}

TEST(LRCParser, LinesAreSortedByTime)
{
    const Lyrics lyrics = LRCParser::parse(u"[00:09.00]c\n[00:01.00]a\n[00:05.00]b");
    EXPECT_EQ(texts(lyrics), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
}

TEST(LRCParser, LineEndsAllGiveTheSameResult)
{
    const Lyrics expected = LRCParser::parse(u"[00:01.00]a\n[00:02.00]b\n\nplain");
    EXPECT_EQ(expected.lines.size(), 2);
    EXPECT_EQ(LRCParser::parse(u"[00:01.00]a\r[00:02.00]b\r\rplain"), expected);
    EXPECT_EQ(LRCParser::parse(u"[00:01.00]a\r\n[00:02.00]b\r\n\r\nplain"), expected);
}

TEST(LRCParser, FullWidthDigitsMatchButGiveNoTime)
{
    const Lyrics lyrics = LRCParser::parse(u"[００:０１.００]lost\n[00:02.00]kept");
    EXPECT_EQ(lyrics, (Lyrics{{{2, u"kept"_qs}}, true}));
    // With only such tags the text has no time at all, and the tagged line is not plain either.
    EXPECT_EQ(LRCParser::parse(u"[００:０１]lost\nplain"), (Lyrics{{{0, u"plain"_qs}}, false}));
}

TEST(LRCParser, PlainTextDropsEveryTag)
{
    EXPECT_EQ(LRCParser::parsePlainText(u"[00:01.00]Hello [offset:100]"), (Lyrics{{{0, u"Hello"_qs}}, false}));
    EXPECT_EQ(LRCParser::parsePlainText(u"[ti:Song]"), (Lyrics{{}, false}));
    EXPECT_EQ(LRCParser::parsePlainText(u"b\r\n\r\na"), (Lyrics{{{0, u"b"_qs}, {0, u"a"_qs}}, false}));
}

TEST(LRCParser, VeryLongLineIsParsed)
{
    const QString words(200000, u'a');
    const Lyrics lyrics = LRCParser::parse(QStringLiteral("[00:01.00]") + words);
    ASSERT_EQ(lyrics.lines.size(), 1);
    EXPECT_EQ(lyrics.lines[0].text.size(), words.size());
}

TEST(LyricsIndex, FindsTheLineSoundingAtATime)
{
    const Lyrics lyrics{{{0, u"a"_qs}, {5, u"b"_qs}, {10, u"c"_qs}}, true};
    EXPECT_EQ(lyrics.index(-1), std::nullopt);
    EXPECT_EQ(lyrics.index(0), 0);
    EXPECT_EQ(lyrics.index(4.99), 0);
    EXPECT_EQ(lyrics.index(5), 1);
    EXPECT_EQ(lyrics.index(100), 2);
    EXPECT_EQ(lyrics.index(std::nan("")), std::nullopt);
}

TEST(LyricsIndex, EqualTimesGiveTheLastOfThem)
{
    const Lyrics lyrics{{{5, u"a"_qs}, {5, u"b"_qs}, {7, u"c"_qs}}, true};
    EXPECT_EQ(lyrics.index(5), 1);
}

TEST(LyricsIndex, UnsyncedOrEmptyLyricsHaveNoCurrentLine)
{
    EXPECT_EQ((Lyrics{{{0, u"a"_qs}}, false}).index(3), std::nullopt);
    EXPECT_EQ((Lyrics{{}, true}).index(3), std::nullopt);
}

} // namespace
