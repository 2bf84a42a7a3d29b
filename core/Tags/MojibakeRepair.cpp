#include "MojibakeRepair.h"

#include <QByteArray>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace MojibakeRepair {

namespace {

// The characters Windows-1252 puts at 0x80-0x9F (0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned).
constexpr std::array<std::pair<char32_t, char>, 27> windows1252ToByte{{
    {U'\u20AC', '\x80'}, {U'\u201A', '\x82'}, {U'\u0192', '\x83'}, {U'\u201E', '\x84'},
    {U'\u2026', '\x85'}, {U'\u2020', '\x86'}, {U'\u2021', '\x87'}, {U'\u02C6', '\x88'},
    {U'\u2030', '\x89'}, {U'\u0160', '\x8A'}, {U'\u2039', '\x8B'}, {U'\u0152', '\x8C'},
    {U'\u017D', '\x8E'}, {U'\u2018', '\x91'}, {U'\u2019', '\x92'}, {U'\u201C', '\x93'},
    {U'\u201D', '\x94'}, {U'\u2022', '\x95'}, {U'\u2013', '\x96'}, {U'\u2014', '\x97'},
    {U'\u02DC', '\x98'}, {U'\u2122', '\x99'}, {U'\u0161', '\x9A'}, {U'\u203A', '\x9B'},
    {U'\u0153', '\x9C'}, {U'\u017E', '\x9E'}, {U'\u0178', '\x9F'},
}};

// Calls `visit` with each Unicode scalar of the text in order (an unpaired surrogate stands for
// itself) until it returns false; tells whether the walk reached the end.
template <typename Visit>
bool everyScalar(QStringView text, Visit visit)
{
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        char32_t scalar = text[i].unicode();
        if (QChar::isHighSurrogate(scalar) && i + 1 < length && text[i + 1].isLowSurrogate()) {
            scalar = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!visit(scalar))
            return false;
    }
    return true;
}

bool isHan(char32_t c)
{
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0x20000 && c <= 0x2FA1F);
}

bool isChinese(char32_t c)
{
    return isHan(c) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFFEF);
}

int hanCount(QStringView text)
{
    int count = 0;
    everyScalar(text, [&](char32_t c) {
        count += isHan(c) ? 1 : 0;
        return true;
    });
    return count;
}

// The share of Chinese characters among the non-ASCII ones; 0 without any non-ASCII character.
double chineseRatio(QStringView text)
{
    int nonAscii = 0;
    int chinese = 0;
    everyScalar(text, [&](char32_t c) {
        if (c > 0x7F) {
            ++nonAscii;
            chinese += isChinese(c) ? 1 : 0;
        }
        return true;
    });
    return nonAscii == 0 ? 0.0 : double(chinese) / double(nonAscii);
}

QString asciiOnly(QStringView text)
{
    QString ascii;
    ascii.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            ascii.append(c);
    }
    return ascii;
}

std::optional<char> windows1252Byte(char32_t c)
{
    // The table spans U+0152 to U+2122; ideographs and most other scripts fail at once.
    if (c < U'\u0152' || c > U'\u2122')
        return std::nullopt;
    const auto entry = std::ranges::find(windows1252ToByte, c, &std::pair<char32_t, char>::first);
    return entry == windows1252ToByte.end() ? std::nullopt : std::optional(entry->second);
}

// Whether the text can be what a Latin-1 or Windows-1252 decoding made of the bytes of two or
// more ideographs: every character stands for one byte, and at least four bytes are above 0x7F
// (an ideograph takes two or more such bytes in either encoding; one that took an ASCII byte
// would lose that character, which no accepted decoding may). Runs over every field of every
// track, so it allocates nothing and stops at the first character that rules it out: correct
// Chinese stops at its first ideograph, and accented Western text never reaches a decoder.
bool mayBeMisreadBytes(QStringView text)
{
    int highBytes = 0;
    return everyScalar(text, [&](char32_t c) {
        highBytes += c > 0x7F ? 1 : 0;
        return c <= 0xFF || windows1252Byte(c).has_value();
    }) && highBytes >= 4;
}

// The bytes behind a text that passed `mayBeMisreadBytes`.
QByteArray recoveredBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    everyScalar(text, [&](char32_t c) {
        bytes.append(c <= 0xFF ? char(c) : *windows1252Byte(c));
        return true;
    });
    return bytes;
}

constexpr auto decoderFlags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

// Strict decoding: invalid bytes, and a trailing partial character (which a stateful decoder
// would silently hold back), make the whole decoding fail. A leading BOM is kept as a character
// so that no byte disappears.
std::optional<QString> strictlyDecoded(QStringDecoder &&decoder, const QByteArray &bytes)
{
    QString text = decoder.decode(bytes);
    if (!decoder.isValid() || decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> decodedAsGb18030(const QByteArray &bytes)
{
    // Opening the converter costs more than a whole repair, so each thread keeps its own. Qt keeps
    // its error flag through resetState(), so a decoder that met an error is replaced: made anew in
    // place, since one move-assigned over it never reports an error again (Qt 6.4).
    thread_local QStringDecoder decoder("GB18030", decoderFlags);
    std::optional<QString> text = strictlyDecoded(std::move(decoder), bytes);
    if (!text) {
        std::destroy_at(&decoder);
        std::construct_at(&decoder, "GB18030", decoderFlags);
    }
    return text;
}

} // namespace

std::optional<QString> repaired(QStringView text)
{
    if (!mayBeMisreadBytes(text))
        return std::nullopt;
    const QByteArray bytes = recoveredBytes(text);

    const double baseRatio = chineseRatio(text);
    const QString baseAscii = asciiOnly(text);
    const auto accepted = [&](const std::optional<QString> &candidate) -> std::optional<double> {
        if (!candidate || asciiOnly(*candidate) != baseAscii || hanCount(*candidate) < 2)
            return std::nullopt;
        const double ratio = chineseRatio(*candidate);
        return ratio > baseRatio ? std::optional(ratio) : std::nullopt;
    };

    // UTF-8 first: GB 18030 replaces it only with a strictly higher ratio, so a UTF-8 decoding that
    // is Chinese throughout needs no second decoding.
    std::optional<QString> chosen = strictlyDecoded(QStringDecoder(QStringConverter::Utf8, decoderFlags), bytes);
    const std::optional<double> chosenRatio = accepted(chosen);
    if (!chosenRatio)
        chosen.reset();
    else if (*chosenRatio >= 1.0)
        return chosen;
    const std::optional<QString> gb18030 = decodedAsGb18030(bytes);
    if (const std::optional<double> ratio = accepted(gb18030); ratio && ratio > chosenRatio)
        return gb18030;
    return chosen;
}

} // namespace MojibakeRepair
