#include "Storage/TextDecoding.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

struct EncodedCase
{
    const char *name;
    const char *encoding;
    QString text;
};

class TextDecodingTest : public ::testing::TestWithParam<EncodedCase>
{
};

TEST_P(TextDecodingTest, ReadsTextInTheEncodingItWasWrittenIn)
{
    QStringEncoder encoder(GetParam().encoding);
    ASSERT_TRUE(encoder.isValid());
    const QByteArray bytes = encoder.encode(GetParam().text);
    EXPECT_EQ(TextDecoding::decode(bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, TextDecodingTest,
    ::testing::Values(
        EncodedCase{"Utf8", "UTF-8", u"[00:01.00]晴天"_qs},
        EncodedCase{"Gb18030Lyrics", "GB18030", u"[00:01.00]故事的小黄花\n[00:05.00]从出生那年就飘着\n"_qs},
        EncodedCase{"Gb18030ShortName", "GB18030", u"晴天 - 周杰伦.ape"_qs},
        EncodedCase{"Big5Lyrics", "Big5",
                    u"[00:01.00]故事的小黃花\n[00:05.00]從出生那年就飄著\n[00:09.00]童年的蕩鞦韆\n[00:13.00]隨記憶一直晃到現在\n"_qs},
        EncodedCase{"ShiftJisLyrics", "Shift_JIS",
                    u"[00:01.00]ありがとうって伝えたくて\n[00:05.00]あなたを見つめるけど\n[00:09.00]繋がれた右手は誰よりも優しく\n"_qs},
        EncodedCase{"EucKrLyrics", "EUC-KR",
                    u"[00:01.00]사랑해요 당신을 정말로 사랑해요\n[00:05.00]오늘도 나는 당신을 생각합니다\n"_qs},
        EncodedCase{"Windows1251Lyrics", "windows-1251",
                    u"[00:01.00]Я помню чудное мгновенье\n[00:05.00]Передо мной явилась ты\n"_qs}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextDecodingRejectTest, RefusesBytesNoEncodingReadsCleanly)
{
    // Readable in no encoding: every reading fails or holds control or replacement characters.
    EXPECT_EQ(TextDecoding::decode("\x81 \x8D \x90"), std::nullopt);
    EXPECT_EQ(TextDecoding::decode("\x81\x81\x81 \x81"), std::nullopt);
    EXPECT_EQ(TextDecoding::displayText("ok"), u"ok"_qs);
}

} // namespace
