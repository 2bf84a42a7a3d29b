#include "TagEditMerge.h"

#include <gtest/gtest.h>

namespace {

struct MergeCase
{
    const char *name;
    TagFields before;
    TagFields request;
    TagFields merged;
    TagFields written;
};

TagFields fields(std::optional<QString> title, std::optional<qint64> year = {}, std::optional<QString> artwork = {})
{
    TagFields made;
    made.title = std::move(title);
    made.year = year;
    made.artworkBase64 = std::move(artwork);
    return made;
}

class TagEditMergeTest : public testing::TestWithParam<MergeCase>
{
};

} // namespace

TEST_P(TagEditMergeTest, MergesAndWritesTheRemovalFormOfWhatBecomesAbsent)
{
    EXPECT_EQ(TagEditMerge::merged(GetParam().before, GetParam().request), GetParam().merged);
    EXPECT_EQ(TagEditMerge::writePayload(GetParam().request), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TagEditMergeTest,
    testing::Values(
        MergeCase{"absentLeavesTheFile", fields(u"a"_qs, 1999, u"eA=="_qs), {}, fields(u"a"_qs, 1999, u"eA=="_qs), {}},
        MergeCase{"textIsTrimmedButWrittenAsGiven", fields(u"a"_qs), fields(u" b "_qs), fields(u"b"_qs),
                  fields(u" b "_qs)},
        MergeCase{"blankTextRemoves", fields(u"a"_qs), fields(u" \n "_qs), fields({}), fields(u""_qs)},
        MergeCase{"numbersBelowOneRemove", fields({}, 1999), fields({}, -4), fields({}), fields({}, 0)},
        MergeCase{"oneIsANumber", fields({}, 1999), fields({}, 1), fields({}, 1), fields({}, 1)},
        MergeCase{"zeroRemoves", fields({}, 1999), fields({}, 0), fields({}), fields({}, 0)},
        MergeCase{"emptyArtworkRemoves", fields({}, {}, u"eA=="_qs), fields({}, {}, u""_qs), fields({}),
                  fields({}, {}, u""_qs)},
        MergeCase{"artworkIsTakenUntrimmed", fields({}), fields({}, {}, u" eA== "_qs), fields({}, {}, u" eA== "_qs),
                  fields({}, {}, u" eA== "_qs)}),
    [](const testing::TestParamInfo<MergeCase> &info) { return info.param.name; });
