#include "Library/TextKeyTable.h"

#include <gtest/gtest.h>

struct FoldCase
{
    const char *text;
    const char *folded;
};

class TextFoldTest : public ::testing::TestWithParam<FoldCase>
{
};

TEST_P(TextFoldTest, FoldsCaseAndDiacriticsButNotWidth)
{
    EXPECT_EQ(TextKeyTable::fold(QString::fromUtf8(GetParam().text)), QString::fromUtf8(GetParam().folded));
}

INSTANTIATE_TEST_SUITE_P(Examples, TextFoldTest,
                         ::testing::Values(FoldCase{"Café", "cafe"}, FoldCase{"ÅNGSTRÖM", "angstrom"},
                                           FoldCase{"Nǐ Hǎo", "ni hao"}, FoldCase{"ＡＢＣ", "ａｂｃ"},
                                           FoldCase{"周杰伦", "周杰伦"}, FoldCase{"한국", "한국"},
                                           FoldCase{"ΣΊΣΥΦΟΣ", "σισυφοσ"}, FoldCase{"e\u0301", "e"},
                                           FoldCase{"𝐀", "𝐀"}, FoldCase{"", ""}));

TEST(TextKeyTableTest, EqualTextsShareAnIdentifierAndRanksFollowCollation)
{
    TextKeyTable table(QLocale(QLocale::English, QLocale::UnitedStates));
    const int ten = table.intern(u"Track 10"_qs);
    const int two = table.intern(u"track 2"_qs);
    const int twoUpper = table.intern(u"TRACK 2"_qs);
    EXPECT_EQ(table.intern(u"Track 10"_qs), ten);
    EXPECT_EQ(table.size(), 3);

    const QList<int> ranks = table.ranks();
    EXPECT_LT(ranks.at(two), ranks.at(ten));
    EXPECT_EQ(ranks.at(two), ranks.at(twoUpper)); // case is ignored

    const int one = table.intern(u"Track 1"_qs);
    EXPECT_LT(table.ranks().at(one), table.ranks().at(two));
}
