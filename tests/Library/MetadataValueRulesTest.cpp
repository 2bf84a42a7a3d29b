#include "Library/MetadataValueRules.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase
{
    const char16_t *text;
    std::optional<qint64> expected;
};

void PrintTo(const NumberCase &value, std::ostream *stream)
{
    *stream << QString::fromUtf16(value.text).toStdString();
}

class YearRule : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(YearRule, takesTheFirstFourOfAtLeastFourNumericCharacters)
{
    EXPECT_EQ(MetadataValueRules::year(QString::fromUtf16(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, YearRule,
                         ::testing::Values(NumberCase{u"2003-05-01", 2003}, NumberCase{u"2003", 2003},
                                           NumberCase{u"20031", 2003}, NumberCase{u"1999年", 1999},
                                           NumberCase{u"0000", std::nullopt}, NumberCase{u"03", std::nullopt},
                                           NumberCase{u"A2003", std::nullopt}, NumberCase{u"", std::nullopt},
                                           NumberCase{u" 2003 ", 2003},
                                           NumberCase{u"２００３", std::nullopt}, // numeric, but not ASCII
                                           NumberCase{u"200３", std::nullopt}, NumberCase{u"0012", 12}));

class TrackNumberRule : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(TrackNumberRule, parsesTheWholeLeadingNumericRun)
{
    EXPECT_EQ(MetadataValueRules::trackNumber(QString::fromUtf16(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, TrackNumberRule,
                         ::testing::Values(NumberCase{u"3/12", 3}, NumberCase{u"07", 7}, NumberCase{u"0", 0},
                                           NumberCase{u"12 of 14", 12}, NumberCase{u"A1", std::nullopt},
                                           NumberCase{u"\t 5 \n", 5},
                                           NumberCase{u"", std::nullopt},
                                           NumberCase{u"9223372036854775807", 9223372036854775807},
                                           NumberCase{u"9223372036854775808", std::nullopt},
                                           NumberCase{u"12345678901234567890", std::nullopt},
                                           NumberCase{u"３", std::nullopt}, NumberCase{u"1①", std::nullopt},
                                           NumberCase{u"1\U0001D7CE", std::nullopt})); // a digit beyond U+FFFF

TEST(TextRule, trimsWhiteSpaceAndGivesNothingForBlankText)
{
    EXPECT_EQ(MetadataValueRules::text(u"  晴天 \n"), QStringLiteral("晴天"));
    EXPECT_EQ(MetadataValueRules::text(u"\u3000周杰伦\t"), QStringLiteral("周杰伦"));
    EXPECT_EQ(MetadataValueRules::text(u"a  b"), QStringLiteral("a  b"));
    EXPECT_EQ(MetadataValueRules::text(u" \r\n\u3000"), std::nullopt);
    EXPECT_EQ(MetadataValueRules::text(u""), std::nullopt);
}

} // namespace
