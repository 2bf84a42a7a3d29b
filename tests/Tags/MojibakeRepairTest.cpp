#include "Tags/MojibakeRepair.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// How a player without Chinese support would show the bytes of `text` in `encoding`.
QString misread(const QString &text, const char *encoding, const char *shownAs)
{
    QStringEncoder encoder(encoding);
    QStringDecoder decoder(shownAs, QStringDecoder::Flag::Stateless);
    EXPECT_TRUE(encoder.isValid() && decoder.isValid());
    return decoder.decode(encoder.encode(text));
}

TEST(MojibakeRepair, RepairsGarbledTextAndKeepsTheRest)
{
    const std::pair<const char *, std::pair<QString, QString>> repaired[] = {
        // The UTF-8 bytes of 中文 shown as Windows-1252, two of them from 0x80-0x9F.
        {"Utf8AsWindows1252", {u"\u00E4\u00B8\u00AD\u00E6\u2013\u2021"_qs, u"中文"_qs}},
        // The GBK bytes of 中文 shown as Latin-1; not valid UTF-8.
        {"GbkAsLatin1", {u"\u00D6\u00D0\u00CE\u00C4"_qs, u"中文"_qs}},
        {"AsciiAroundGbk", {misread(u"01. 东风破.mp3"_qs, "GB18030", "ISO-8859-1"), u"01. 东风破.mp3"_qs}},
        {"AsciiAroundUtf8", {misread(u"[2004] 七里香"_qs, "UTF-8", "windows-1252"), u"[2004] 七里香"_qs}},
        {"FullWidthPunctuation", {misread(u"《晴天》，周杰伦"_qs, "GB18030", "ISO-8859-1"), u"《晴天》，周杰伦"_qs}},
        // Ideographs beyond the BMP count as one character each, not as two UTF-16 units.
        {"SupplementaryHan", {misread(u"\U00020000\U0002A6D6"_qs, "UTF-8", "windows-1252"), u"\U00020000\U0002A6D6"_qs}},
        // 丁丁 in UTF-8 also decodes as GB 18030 to four ideographs: equal ratios keep UTF-8.
        {"EqualRatiosPreferUtf8", {misread(u"丁丁"_qs, "UTF-8", "windows-1252"), u"丁丁"_qs}},
        // Its GB 18030 reading, 澶╁ぉ眉, is less Chinese: the UTF-8 one stays.
        {"TheMoreChineseReadingWins", {misread(u"天天ü"_qs, "UTF-8", "windows-1252"), u"天天ü"_qs}},
        {"FirstIdeographOfExtensionA", {misread(u"㐀㐀"_qs, "UTF-8", "windows-1252"), u"㐀㐀"_qs}},
        {"FirstCompatibilityIdeograph", {misread(u"\uF900\uF900"_qs, "UTF-8", "windows-1252"), u"\uF900\uF900"_qs}},
        // 個 is 0x82 0x80 in GB 18030: a byte 0x80 shown as U+0080, which is not ASCII.
        {"GbkTrailByte80", {misread(u"個人"_qs, "GB18030", "ISO-8859-1"), u"個人"_qs}},
    };
    for (const auto &[name, texts] : repaired)
        EXPECT_EQ(MojibakeRepair::repaired(texts.first), std::optional(texts.second)) << name;
    const std::pair<const char *, QString> kept[] = {
        {"Empty", QString()},
        {"Ascii", u"Yesterday (Remastered 2009)"_qs},
        {"CorrectChinese", u"七里香"_qs},
        {"CorrectMixed", u"01. 稻香 (Live)"_qs},
        {"WesternAccents", u"Beyoncé – Café Noël"_qs},
        {"GreekAfterGarbled", u"\u00D6\u00D0\u00CE\u00C4\u03A9"_qs},
        // One ideograph is never convincing, however Chinese the decoding reads.
        {"SingleHanUtf8", misread(u"中"_qs, "UTF-8", "windows-1252")},
        {"SingleHanGbk", misread(u"中"_qs, "GB18030", "ISO-8859-1")},
        {"SingleSupplementaryHan", misread(u"\U00020000"_qs, "UTF-8", "windows-1252")},
        {"SingleHanAmongOtherLetters", misread(u"中ü"_qs, "UTF-8", "windows-1252")},
        // GB 18030 would join the 'A' to the byte 0xB0 before it: an ASCII character is lost.
        {"GbkSwallowsAscii", QString::fromLatin1(QByteArray::fromHex("d6d0cec4b041"))},
        // A trailing half character must fail the decoding, not vanish from it.
        {"GbkTrailingPartialByte", QString::fromLatin1(QByteArray::fromHex("d6d0cec4d6"))},
        {"Utf8TrailingPartialSequence", misread(u"中文"_qs, "UTF-8", "windows-1252").chopped(1)},
        // A lone 0x80 (shown as the euro sign) that GB 18030 cannot decode.
        {"GbkWithALone80", QString::fromLatin1(QByteArray::fromHex("d6d0cec4")) + QChar(0x20AC)},
    };
    for (const auto &[name, text] : kept)
        EXPECT_EQ(MojibakeRepair::repaired(text), std::nullopt) << name;
}

// A failed decoding leaves nothing behind for the next one on the same thread or on others.
TEST(MojibakeRepair, RepairsAfterAFailedDecodingOnAnyThread)
{
    const QString gbkGarbled = misread(u"红豆"_qs, "GB18030", "ISO-8859-1");
    ASSERT_EQ(MojibakeRepair::repaired(gbkGarbled + u'\u00D6'), std::nullopt);
    EXPECT_EQ(MojibakeRepair::repaired(gbkGarbled), std::optional(u"红豆"_qs));
    const QString utf8Garbled = misread(u"说好不哭"_qs, "UTF-8", "windows-1252");
    std::vector<int> failures(8, 0);
    {
        std::vector<std::jthread> threads;
        for (int &failed : failures)
            threads.emplace_back([&] {
                for (int i = 0; i < 500; ++i)
                    failed += (MojibakeRepair::repaired(utf8Garbled) != std::optional(u"说好不哭"_qs))
                              + (MojibakeRepair::repaired(gbkGarbled) != std::optional(u"红豆"_qs));
            });
    }
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

} // namespace
