#include "Lyrics/LyricsFont.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct SizeCase
{
    double width;
    double size;
};

class LyricsFontTest : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P(LyricsFontTest, SizeFollowsTheWidth)
{
    EXPECT_DOUBLE_EQ(LyricsFont::size(GetParam().width), GetParam().size);
}

constexpr double infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Widths, LyricsFontTest,
    ::testing::Values(SizeCase { 0, 18 }, SizeCase { 320, 18 }, SizeCase { -infinity, 18 },
        SizeCase { 900, 36 }, SizeCase { 1200, 36 }, SizeCase { infinity, 36 }, SizeCase { 610, 27 },
        SizeCase { 465, 22.5 }, SizeCase { std::numeric_limits<double>::quiet_NaN(), 18 }));

} // namespace
