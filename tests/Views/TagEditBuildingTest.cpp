#include "Views/TagEditBuilding.h"

#include <gtest/gtest.h>

#include <functional>

using namespace TagEditBuilding;

namespace {

const QString yearMessage = QStringLiteral("年份必须是 1–9999 之间的整数。");
const QString trackMessage = QStringLiteral("曲目号必须是 1–65535 之间的整数。");

const TagFormatCapabilities writable { true, true, true, std::nullopt };
const TagFormatCapabilities wma { true, false, false,
    QStringLiteral("WMA/ASF 格式不支持写入专辑歌手或封面。") };
const TagFormatCapabilities unwritable { false, false, false,
    QStringLiteral("不支持的音频格式，无法写入标签。") };

// One track whose file held `initial`.
Form single(std::optional<TagFields> initial, const std::function<void(Form &)> &edit)
{
    Form form;
    form.trackCount = 1;
    form.capabilities = writable;
    form.initialFields = initial;
    if (initial) {
        // The sheet shows what it read.
        form.title = initial->title.value_or(QString());
        form.album = initial->album.value_or(QString());
        form.year = initial->year ? QString::number(*initial->year) : QString();
        form.trackNumber = initial->trackNumber ? QString::number(*initial->trackNumber) : QString();
    }
    edit(form);
    return form;
}

Form batch(const std::function<void(Form &)> &edit)
{
    Form form;
    form.trackCount = 3;
    form.capabilities = writable;
    edit(form);
    return form;
}

TagFields tags(const std::function<void(TagFields &)> &set)
{
    TagFields fields;
    set(fields);
    return fields;
}

const TagFields song = tags([](TagFields &t) {
    t.title = u"Song"_qs;
    t.year = 1999;
    t.trackNumber = 12;
});
// Written by another program: numbers outside what the editor accepts.
const TagFields oddNumbers = tags([](TagFields &t) {
    t.title = u"Song"_qs;
    t.year = 20031;
    t.trackNumber = 70000;
});

struct Case
{
    const char *name;
    Form form;
    std::expected<TagFields, QString> edits;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

class TagEditBuildingTest : public ::testing::TestWithParam<Case>
{
};

std::string caseName(const ::testing::TestParamInfo<Case> &info)
{
    return info.param.name;
}

} // namespace

TEST_P(TagEditBuildingTest, BuildsTheEditsOrRefuses)
{
    EXPECT_EQ(buildEdits(GetParam().form), GetParam().edits);
}

INSTANTIATE_TEST_SUITE_P(
    Single, TagEditBuildingTest,
    ::testing::Values(
        Case{"ShownValuesChangeNothing", single(song, [](Form &) {}), TagFields{}},
        Case{"BlanksAroundTheReadTitleChangeNothing", single(song, [](Form &f) { f.title = u"\u3000 Song \n"_qs; }),
             TagFields{}},
        Case{"EmptiedTitleRemovesIt", single(song, [](Form &f) { f.title.clear(); }),
             tags([](TagFields &t) { t.title = QString(u""_qs); })},
        Case{"ChangedTextIsTrimmed", single(song, [](Form &f) { f.artist = u" 周杰伦 "_qs; }),
             tags([](TagFields &t) { t.artist = u"周杰伦"_qs; })},
        Case{"AbsentAlbumLeftEmptyStaysUnchanged", single(song, [](Form &f) { f.album = u"  "_qs; }), TagFields{}},
        Case{"NewYear", single(song, [](Form &f) { f.year = u"2001"_qs; }), tags([](TagFields &t) { t.year = 2001; })},
        Case{"LowestYear", single(song, [](Form &f) { f.year = u"1"_qs; }), tags([](TagFields &t) { t.year = 1; })},
        Case{"EmptiedYearRemovesIt", single(song, [](Form &f) { f.year.clear(); }), tags([](TagFields &t) { t.year = 0; })},
        Case{"YearZeroIsRefused", single(song, [](Form &f) { f.year = u"0"_qs; }), std::unexpected(yearMessage)},
        Case{"NegativeYearIsRefused", single(song, [](Form &f) { f.year = u"-1"_qs; }), std::unexpected(yearMessage)},
        Case{"NoYearAndAnEmptyField", single(TagFields{}, [](Form &) {}), TagFields{}},
        Case{"SignedTrackNumberEqualToTheFile", single(song, [](Form &f) { f.trackNumber = u"+12"_qs; }),
             TagFields{}},
        Case{"SignedTrackNumberNewToTheFile", single(TagFields{}, [](Form &f) { f.trackNumber = u"+12"_qs; }),
             tags([](TagFields &t) { t.trackNumber = 12; })},
        Case{"LeadingZeros", single(TagFields{}, [](Form &f) { f.trackNumber = u"007"_qs; }),
             tags([](TagFields &t) { t.trackNumber = 7; })},
        Case{"UntouchedStoredNumbersOutOfRangeDoNotBlock",
             single(oddNumbers, [](Form &f) { f.title = u"New"_qs; }), tags([](TagFields &t) { t.title = u"New"_qs; })},
        Case{"UntouchedStoredYearWithBlanksAround", single(oddNumbers, [](Form &f) { f.year = u" 20031 "_qs; }),
             TagFields{}},
        Case{"TypedYearOutOfRangeIsStillRefused", single(oddNumbers, [](Form &f) { f.year = u"20032"_qs; }),
             std::unexpected(yearMessage)},
        Case{"TypedZerosBeforeAStoredOddNumberAreChecked",
             single(oddNumbers, [](Form &f) { f.trackNumber = u"070000"_qs; }), std::unexpected(trackMessage)},
        Case{"NothingReadComparesWithEmptyValues", single(std::nullopt, [](Form &f) { f.title = u"X"_qs; }),
             tags([](TagFields &t) { t.title = u"X"_qs; })},
        Case{"AlbumArtistNotWrittenWhereTheFormatCannot",
             single(song,
                    [](Form &f) {
                        f.capabilities = wma;
                        f.albumArtist = u"Band"_qs;
                        f.genre = u"Pop"_qs;
                        f.artworkEdit = u"iVBORw0KGgo="_qs;
                    }),
             tags([](TagFields &t) { t.genre = u"Pop"_qs; })},
        Case{"UnwritableFormatWritesNothing",
             single(song,
                    [](Form &f) {
                        f.capabilities = unwritable;
                        f.title = u"New"_qs;
                        f.year = u"abc"_qs;
                        f.artworkEdit = QString();
                    }),
             TagFields{}},
        Case{"RemovedCover", single(song, [](Form &f) { f.artworkEdit = QString(u""_qs); }),
             tags([](TagFields &t) { t.artworkBase64 = QString(u""_qs); })}),
    caseName);

INSTANTIATE_TEST_SUITE_P(Batch, TagEditBuildingTest,
    ::testing::Values(Case { "EmptyFormWritesNothing", batch([](Form &) {}), TagFields {} },
        Case { "OnlyFilledFieldsAreWritten", batch([](Form &f) {
                  f.title = u" \u3000"_qs;
                  f.album = u" Album\n"_qs;
                  f.albumArtist = u"Various"_qs;
                  f.year = u" 2003 "_qs;
                  f.trackNumber = u"65535"_qs;
                  f.artworkEdit = u"iVBORw0KGgo="_qs;
              }),
            tags([](TagFields &t) {
                t.album = u"Album"_qs;
                t.albumArtist = u"Various"_qs;
                t.year = 2003;
                t.trackNumber = 65535;
                t.artworkBase64 = u"iVBORw0KGgo="_qs;
            }) },
        Case { "YearWithLettersIsRefused", batch([](Form &f) { f.year = u"19a9"_qs; }),
            std::unexpected(yearMessage) },
        Case { "YearZeroIsRefused", batch([](Form &f) { f.year = u"0"_qs; }), std::unexpected(yearMessage) },
        Case { "HighestYear", batch([](Form &f) { f.year = u"9999"_qs; }),
            tags([](TagFields &t) { t.year = 9999; }) },
        Case { "YearAboveTheRangeIsRefused", batch([](Form &f) { f.year = u"10000"_qs; }),
            std::unexpected(yearMessage) },
        Case { "TrackNumberAboveTheRangeIsRefused", batch([](Form &f) { f.trackNumber = u"65536"_qs; }),
            std::unexpected(trackMessage) },
        Case { "NumberBeyondSixtyFourBitsIsRefused",
            batch([](Form &f) { f.trackNumber = u"99999999999999999999"_qs; }),
            std::unexpected(trackMessage) },
        Case { "ValidYearInvalidTrackNumberNamesTheTrackNumber", batch([](Form &f) {
                  f.year = u"2003"_qs;
                  f.trackNumber = u"-3"_qs;
              }),
            std::unexpected(trackMessage) },
        Case { "BothInvalidNamesTheYear", batch([](Form &f) {
                  f.year = u"+"_qs;
                  f.trackNumber = u"x"_qs;
              }),
            std::unexpected(yearMessage) },
        Case { "WmaIgnoresAlbumArtistAndCover", batch([](Form &f) {
                  f.capabilities = wma;
                  f.title = u"T"_qs;
                  f.albumArtist = u"Various"_qs;
                  f.artworkEdit = u"iVBORw0KGgo="_qs;
              }),
            tags([](TagFields &t) { t.title = u"T"_qs; }) }),
    caseName);
