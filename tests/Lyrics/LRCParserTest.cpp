#include "Lyrics/LRCParser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ParseCase
{
    const char *name;
    const char16_t *text;
    Lyrics expected;
};

Lyrics synced(QList<LyricLine> lines)
{
    return Lyrics { std::move(lines), true };
}

Lyrics plain(const QStringList &texts)
{
    Lyrics lyrics;
    for (const QString &text : texts)
        lyrics.lines.append(LyricLine { 0, text });
    return lyrics;
}

class ParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseTest, GivesTheLinesAListenerExpects)
{
    const Lyrics lyrics = LRCParser::parse(GetParam().text);
    EXPECT_EQ(lyrics.isSynced, GetParam().expected.isSynced);
    ASSERT_EQ(lyrics.lines.size(), GetParam().expected.lines.size());
    for (qsizetype i = 0; i < lyrics.lines.size(); ++i) {
        EXPECT_DOUBLE_EQ(lyrics.lines[i].time, GetParam().expected.lines[i].time) << "line " << i;
        EXPECT_EQ(lyrics.lines[i].text, GetParam().expected.lines[i].text) << "line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseTest,
    ::testing::Values(ParseCase { "Empty", u"", Lyrics {} },
        ParseCase { "CentisecondTag", u"[00:12.34]Hello", synced({ { 12.34, u"Hello"_qs } }) },
        ParseCase { "ColonBeforeFraction", u"[01:02:5]x", synced({ { 62.5, u"x"_qs } }) },
        ParseCase { "ShortMinutes", u"[1:02]x", synced({ { 62, u"x"_qs } }) },
        ParseCase { "FractionDigitsCount", u"[00:01.5]a\n[00:02.50]b\n[00:03.500]c\n[00:04.05]d",
            synced({ { 1.5, u"a"_qs }, { 2.5, u"b"_qs }, { 3.5, u"c"_qs }, { 4.05, u"d"_qs } }) },
        ParseCase { "NoRangeCheck", u"[00:75]a\n[999:00]b", synced({ { 75, u"a"_qs }, { 59940, u"b"_qs } }) },
        ParseCase { "SeveralTagsOnOneLine", u"[00:05.00][00:01.00] Hi",
            synced({ { 1, u"Hi"_qs }, { 5, u"Hi"_qs } }) },
        ParseCase { "LaterTagsAreWordTimings", u"A [00:01.00] B [00:02.00] C",
            synced({ { 1, u"B C"_qs } }) },
        ParseCase { "InlineTimeTags", u"[00:12.00]Line [00:12.50]one [00:13.00]here",
            synced({ { 12, u"Line one here"_qs } }) },
        ParseCase { "EnhancedWordTimings", u"[00:12.00]<00:12.00>Line <00:12.50>one",
            synced({ { 12, u"Line one"_qs } }) },
        ParseCase { "CommaBeforeFraction", u"[00:06,50]a", synced({ { 6.5, u"a"_qs } }) },
        ParseCase { "UnknownTagsAlone", u"[#:abc]\n[x-trans:1]\nHello", plain({ u"Hello"_qs }) },
        ParseCase { "TagAlone", u"[00:10.00]", synced({ { 10, QString() } }) },
        // A positive offset shows the lines sooner, a negative one later.
        ParseCase { "PositiveOffset", u"[offset:+500]\n[00:01.00]a\n[00:03.00]b",
            synced({ { 0.5, u"a"_qs }, { 2.5, u"b"_qs } }) },
        ParseCase { "NegativeOffset", u"[OFFSET: -250 ]\n[00:01.00]a", synced({ { 1.25, u"a"_qs } }) },
        ParseCase { "LastOffsetCountsEverywhere", u"[offset:100]\n[00:01.00]a\n[00:02.00]b\n[offset:1000]",
            synced({ { 0, u"a"_qs }, { 1, u"b"_qs } }) },
        ParseCase {
            "OffsetMayMakeTimesNegative", u"[offset:2000]\n[00:01.00]a", synced({ { -1, u"a"_qs } }) },
        ParseCase { "OffsetLineGivesNoLine", u"[00:01.00]a\n[00:03.00]Hi [offset:100]",
            synced({ { 0.9, u"a"_qs } }) },
        ParseCase { "UntimedLinesLeftOut", u"Song Title\n\nBy Someone\n[00:01.00]a\nCredits",
            synced({ { 1, u"a"_qs } }) },
        ParseCase { "PlainTextWithoutMetadata", u"[ar:Someone]\n[ti:Title]\n\n  Hello\u3000\n\tWorld",
            plain({ u"Hello"_qs, u"World"_qs }) },
        ParseCase { "EqualTimesKeepTextOrder", u"[00:01.00]b\n[00:01.00]a",
            synced({ { 1, u"b"_qs }, { 1, u"a"_qs } }) },
        ParseCase { "SortedByTime", u"[00:09.00]c\n[00:01.00]a\n[00:05.00]b",
            synced({ { 1, u"a"_qs }, { 5, u"b"_qs }, { 9, u"c"_qs } }) },
        ParseCase {
            "LineFeeds", u"[00:01.00]a\n[00:02.00]b\n\nplain", synced({ { 1, u"a"_qs }, { 2, u"b"_qs } }) },
        ParseCase { "CarriageReturns", u"[00:01.00]a\r[00:02.00]b\r\rplain",
            synced({ { 1, u"a"_qs }, { 2, u"b"_qs } }) },
        ParseCase {
            "CrLf", u"[00:01.00]a\r\n[00:02.00]b\r\n\r\nplain", synced({ { 1, u"a"_qs }, { 2, u"b"_qs } }) },
        // Full-width digits match the pattern but give no time; such a line is not plain either.
        ParseCase { "FullWidthTagBesideARealOne", u"[００:０１.００]lost\n[00:02.00]kept",
            synced({ { 2, u"kept"_qs } }) },
        ParseCase { "OnlyFullWidthTags", u"[００:０１]lost\nplain", plain({ u"plain"_qs }) }),
    [](const auto &info) { return std::string(info.param.name); });

struct PlainCase
{
    const char *name;
    const char16_t *text;
    QStringList expected;
};

class PlainTextTest : public ::testing::TestWithParam<PlainCase>
{
};

TEST_P(PlainTextTest, DropsEveryTag)
{
    EXPECT_EQ(LRCParser::parsePlainText(GetParam().text), plain(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, PlainTextTest,
    ::testing::Values(PlainCase { "Empty", u"", {} },
        PlainCase { "TagsRemoved", u"[00:01.00]Hello [offset:100]", { u"Hello"_qs } },
        PlainCase { "MetadataLine", u"[ti:Song]", {} },
        PlainCase { "WordTimingsRemoved", u"<00:12.00>Line <00:12.50>one", { u"Line one"_qs } },
        PlainCase { "TextOrder", u"b\r\n\r\na", { u"b"_qs, u"a"_qs } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LRCParser, VeryLongLineIsParsed)
{
    const QString words(200000, u'a');
    const Lyrics lyrics = LRCParser::parse(QStringLiteral("[00:01.00]") + words);
    ASSERT_EQ(lyrics.lines.size(), 1);
    EXPECT_EQ(lyrics.lines[0].text.size(), words.size());
}

TEST(LyricsIndex, FindsTheLineSoundingAtATime)
{
    const Lyrics lyrics = synced({ { 0, u"a"_qs }, { 5, u"b"_qs }, { 10, u"c"_qs } });
    EXPECT_EQ(lyrics.index(-1), std::nullopt);
    EXPECT_EQ(lyrics.index(0), 0);
    EXPECT_EQ(lyrics.index(4.99), 0);
    EXPECT_EQ(lyrics.index(5), 1);
    EXPECT_EQ(lyrics.index(100), 2);
    EXPECT_EQ(lyrics.index(std::nan("")), std::nullopt);
}

TEST(LyricsIndex, EqualTimesGiveTheLastOfThem)
{
    EXPECT_EQ(synced({ { 5, u"a"_qs }, { 5, u"b"_qs }, { 7, u"c"_qs } }).index(5), 1);
}

TEST(LyricsIndex, UnsyncedOrEmptyLyricsHaveNoCurrentLine)
{
    EXPECT_EQ(plain({ u"a"_qs }).index(3), std::nullopt);
    EXPECT_EQ(synced({}).index(3), std::nullopt);
}

} // namespace
