#include "UI/TimeText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Case
{
    double seconds;
    const char *text;
};

class TimeTextTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(TimeTextTest, FormatsSeconds)
{
    EXPECT_EQ(TimeText::string(GetParam().seconds).toStdString(), GetParam().text) << GetParam().seconds;
}

constexpr double infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Values, TimeTextTest,
    ::testing::Values(
        // Not a positive finite number.
        Case{std::nan(""), "0:00"}, Case{infinity, "0:00"}, Case{-infinity, "0:00"}, Case{0.0, "0:00"},
        Case{-0.0, "0:00"}, Case{-12.0, "0:00"},
        // Rounded once, halves away from zero, carried into the next unit.
        Case{0.4, "0:00"}, Case{0.5, "0:01"}, Case{59.4, "0:59"}, Case{59.5, "1:00"}, Case{61, "1:01"},
        Case{599.4, "9:59"}, Case{600, "10:00"}, Case{3599.4, "59:59"}, Case{3599.5, "1:00:00"},
        // The long form pads minutes and seconds, never hours.
        Case{3661, "1:01:01"}, Case{3907, "1:05:07"}, Case{307, "5:07"}, Case{36000, "10:00:00"},
        Case{360000, "100:00:00"},
        // Beyond a 64-bit count of seconds: the largest count, never a crash.
        Case{std::ldexp(1.0, 62), "1281023894007607:45:04"},
        Case{std::ldexp(1.0, 63), "2562047788015215:30:07"},
        Case{std::numeric_limits<double>::max(), "2562047788015215:30:07"}));

} // namespace
