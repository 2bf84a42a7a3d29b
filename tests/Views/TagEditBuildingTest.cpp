#include "Views/TagEditBuilding.h"

#include <gtest/gtest.h>

#include <functional>

using namespace TagEditBuilding;

namespace {

const QString yearMessage = QStringLiteral("年份必须是 1–9999 之间的整数。");
const QString trackMessage = QStringLiteral("曲目号必须是 1–65535 之间的整数。");

const TagFormatCapabilities writable{true, true, true, std::nullopt};
const TagFormatCapabilities wma{true, false, false, QStringLiteral("WMA/ASF 格式不支持写入专辑歌手或封面。")};
const TagFormatCapabilities unwritable{false, false, false, QStringLiteral("不支持的音频格式，无法写入标签。")};

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

// One track whose file held `initial`, its form showing what was read, then edited.
Form single(std::optional<TagFields> initial, const std::function<void(Form &)> &edit)
{
    Form form;
    form.trackCount = 1;
    form.capabilities = writable;
    form.initialFields = initial;
    if (initial) {
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

TEST(TagEditBuildingTest, BuildsTheEditsOrRefuses)
{
    using Edits = std::expected<TagFields, QString>;
    const Edits none = TagFields{};
    const Edits badYear = std::unexpected(yearMessage);
    const Edits badTrack = std::unexpected(trackMessage);
    const struct
    {
        const char *name;
        Form form;
        Edits edits;
    } cases[] = {
        {"shown values change nothing", single(song, [](Form &) {}), none},
        {"blanks around the read title", single(song, [](Form &f) { f.title = u"\u3000 Song \n"_qs; }), none},
        {"emptied title removes it", single(song, [](Form &f) { f.title.clear(); }),
         tags([](TagFields &t) { t.title = QString(u""_qs); })},
        {"changed text is trimmed", single(song, [](Form &f) { f.artist = u" 周杰伦 "_qs; }),
         tags([](TagFields &t) { t.artist = u"周杰伦"_qs; })},
        {"absent album left empty", single(song, [](Form &f) { f.album = u"  "_qs; }), none},
        {"new year", single(song, [](Form &f) { f.year = u"2001"_qs; }), tags([](TagFields &t) { t.year = 2001; })},
        {"lowest year", single(song, [](Form &f) { f.year = u"1"_qs; }), tags([](TagFields &t) { t.year = 1; })},
        {"emptied year removes it", single(song, [](Form &f) { f.year.clear(); }),
         tags([](TagFields &t) { t.year = 0; })},
        {"year zero", single(song, [](Form &f) { f.year = u"0"_qs; }), badYear},
        {"negative year", single(song, [](Form &f) { f.year = u"-1"_qs; }), badYear},
        {"no year, empty field", single(TagFields{}, [](Form &) {}), none},
        {"signed number equal to the file", single(song, [](Form &f) { f.trackNumber = u"+12"_qs; }), none},
        {"signed number new to the file", single(TagFields{}, [](Form &f) { f.trackNumber = u"+12"_qs; }),
         tags([](TagFields &t) { t.trackNumber = 12; })},
        {"leading zeros", single(TagFields{}, [](Form &f) { f.trackNumber = u"007"_qs; }),
         tags([](TagFields &t) { t.trackNumber = 7; })},
        {"untouched odd numbers do not block", single(oddNumbers, [](Form &f) { f.title = u"New"_qs; }),
         tags([](TagFields &t) { t.title = u"New"_qs; })},
        {"untouched odd year with blanks", single(oddNumbers, [](Form &f) { f.year = u" 20031 "_qs; }), none},
        {"typed odd year", single(oddNumbers, [](Form &f) { f.year = u"20032"_qs; }), badYear},
        {"typed zeros before an odd number", single(oddNumbers, [](Form &f) { f.trackNumber = u"070000"_qs; }),
         badTrack},
        {"nothing read compares with empty values", single(std::nullopt, [](Form &f) { f.title = u"X"_qs; }),
         tags([](TagFields &t) { t.title = u"X"_qs; })},
        {"no album artist or cover where the format cannot", single(song, [](Form &f) {
             f.capabilities = wma;
             f.albumArtist = u"Band"_qs;
             f.genre = u"Pop"_qs;
             f.artworkEdit = u"iVBORw0KGgo="_qs;
         }),
         tags([](TagFields &t) { t.genre = u"Pop"_qs; })},
        {"unwritable format writes nothing", single(song, [](Form &f) {
             f.capabilities = unwritable;
             f.title = u"New"_qs;
             f.year = u"abc"_qs;
             f.artworkEdit = QString();
         }),
         none},
        {"removed cover", single(song, [](Form &f) { f.artworkEdit = QString(u""_qs); }),
         tags([](TagFields &t) { t.artworkBase64 = QString(u""_qs); })},

        {"batch: empty form", batch([](Form &) {}), none},
        {"batch: only filled fields", batch([](Form &f) {
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
         })},
        {"batch: year with letters", batch([](Form &f) { f.year = u"19a9"_qs; }), badYear},
        {"batch: year zero", batch([](Form &f) { f.year = u"0"_qs; }), badYear},
        {"batch: highest year", batch([](Form &f) { f.year = u"9999"_qs; }), tags([](TagFields &t) { t.year = 9999; })},
        {"batch: year above the range", batch([](Form &f) { f.year = u"10000"_qs; }), badYear},
        {"batch: number above the range", batch([](Form &f) { f.trackNumber = u"65536"_qs; }), badTrack},
        {"batch: beyond 64 bits", batch([](Form &f) { f.trackNumber = u"99999999999999999999"_qs; }), badTrack},
        {"batch: valid year, bad number", batch([](Form &f) {
             f.year = u"2003"_qs;
             f.trackNumber = u"-3"_qs;
         }),
         badTrack},
        {"batch: both bad names the year", batch([](Form &f) {
             f.year = u"+"_qs;
             f.trackNumber = u"x"_qs;
         }),
         badYear},
        {"batch: WMA ignores album artist and cover", batch([](Form &f) {
             f.capabilities = wma;
             f.title = u"T"_qs;
             f.albumArtist = u"Various"_qs;
             f.artworkEdit = u"iVBORw0KGgo="_qs;
         }),
         tags([](TagFields &t) { t.title = u"T"_qs; })},
    };
    for (const auto &c : cases)
        EXPECT_EQ(buildEdits(c.form), c.edits) << c.name;
}

} // namespace
