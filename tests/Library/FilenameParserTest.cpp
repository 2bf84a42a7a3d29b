#include "Library/FilenameParser.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct NameCase
{
    const char *filename;
    std::optional<qint64> trackNumber;
    std::optional<const char *> artist;
    const char *title;
};

void PrintTo(const NameCase &name, std::ostream *out)
{
    *out << '"' << name.filename << '"';
}

class FilenameParserTest : public ::testing::TestWithParam<NameCase>
{
};

} // namespace

TEST_P(FilenameParserTest, ParsesTheName)
{
    const NameCase &name = GetParam();
    const ParsedFilename expected{
        QString::fromUtf8(name.title),
        name.artist ? std::optional(QString::fromUtf8(*name.artist)) : std::nullopt,
        name.trackNumber,
    };
    EXPECT_EQ(FilenameParser::parse(QString::fromUtf8(name.filename)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FilenameParserTest,
    ::testing::Values(NameCase{"03 - Artist - Title.flac", 3, "Artist", "Title"},
                      NameCase{"03. Title.mp3", 3, std::nullopt, "Title"},
                      NameCase{"1-Title.mp3", 1, std::nullopt, "Title"},
                      NameCase{"A - B - C.mp3", std::nullopt, "A - B", "C"},
                      NameCase{"Title-Artist.mp3", std::nullopt, "Artist", "Title"},
                      NameCase{"Twenty-One.mp3", std::nullopt, "One", "Twenty"},
                      NameCase{"2001 - Odyssey.mp3", std::nullopt, "2001", "Odyssey"},
                      NameCase{"05.mp3", std::nullopt, std::nullopt, "05"},
                      NameCase{"01 - .mp3", 1, std::nullopt, ""},
                      NameCase{"０３ 晴天.mp3", std::nullopt, std::nullopt, "０３ 晴天"},
                      NameCase{"\t07\u3000-\u3000周杰伦 - 夜曲 .flac", 7, "周杰伦", "夜曲"},
                      NameCase{"1234 Song.mp3", std::nullopt, std::nullopt, "1234 Song"},
                      NameCase{"A – B.mp3", std::nullopt, std::nullopt, "A – B"},
                      NameCase{"- Title.mp3", std::nullopt, std::nullopt, "- Title"},
                      NameCase{"Live.At.Home.wav", std::nullopt, std::nullopt, "Live.At.Home"},
                      NameCase{".mp3", std::nullopt, std::nullopt, ".mp3"}));
