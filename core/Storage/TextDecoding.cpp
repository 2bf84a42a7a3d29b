#include "TextDecoding.h"

#include <QStringConverter>
#include <QStringDecoder>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace {

constexpr const char *gb18030 = "GB18030";

struct Verdict
{
    const char *encoding = nullptr; // as the decoder names it; none when the detector is unsure
    bool multiByte = false;
};

// The detector's answers that name an encoding users have, mapped onto the decoder's names.
Verdict detect(QByteArrayView bytes)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                                                   uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), size_t(bytes.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    const std::string_view name = uchardet_get_charset(detector.get());
    struct Known
    {
        std::string_view detected;
        Verdict verdict;
    };
    static constexpr Known known[] = {
        {"GB18030", {gb18030, true}},          {"BIG5", {"Big5", true}},
        {"SHIFT_JIS", {"Shift_JIS", true}},    {"EUC-KR", {"EUC-KR", true}},
        {"UHC", {"windows-949", true}},        {"WINDOWS-1250", {"windows-1250", false}},
        {"WINDOWS-1251", {"windows-1251", false}}, {"WINDOWS-1252", {"windows-1252", false}},
        {"WINDOWS-1253", {"windows-1253", false}}, {"WINDOWS-1254", {"windows-1254", false}},
        {"WINDOWS-1255", {"windows-1255", false}}, {"WINDOWS-1256", {"windows-1256", false}},
        {"WINDOWS-1257", {"windows-1257", false}}, {"WINDOWS-1258", {"windows-1258", false}},
        {"ISO-8859-1", {"windows-1252", false}},   {"ISO-8859-15", {"windows-1252", false}},
    };
    for (const Known &entry : known)
        if (entry.detected == name)
            return entry.verdict;
    return {};
}

std::optional<QString> decodeStrictly(QByteArrayView bytes, QStringDecoder decoder)
{
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Legacy decoders map some bytes they cannot read onto U+FFFD, U+001A, control or private-use
// characters, not always reporting an error; text holds none of them.
bool isClean(const QString &text)
{
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t unit = c.unicode();
        if (unit < 0x20)
            return unit != u'\t' && unit != u'\n' && unit != u'\r' && unit != u'\f';
        return (unit >= 0x7F && unit <= 0x9F) || c == QChar::ReplacementCharacter
            || c.category() == QChar::Other_PrivateUse;
    });
}

std::optional<QString> decodeAs(QByteArrayView bytes, const char *encoding)
{
    std::optional<QString> text = decodeStrictly(bytes, QStringDecoder(encoding, QStringDecoder::Flag::Stateless));
    if (text && !isClean(*text))
        return std::nullopt;
    return text;
}

// Short texts such as file names leave the detector guessing a single-byte encoding; text whose
// every non-ASCII pair is a GB 2312 character (both bytes 0xA1 or above) is far likelier Chinese.
bool looksLikeGB2312(QByteArrayView bytes)
{
    bool sawPair = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80)
            continue;
        if (i + 1 >= bytes.size() || lead < 0xA1 || lead == 0xFF)
            return false;
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (trail < 0xA1 || trail == 0xFF)
            return false;
        sawPair = true;
    }
    return sawPair;
}

} // namespace

namespace TextDecoding {

std::optional<QString> decode(QByteArrayView bytes)
{
    if (const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes))
        return decodeStrictly(bytes, QStringDecoder(*marked, QStringDecoder::Flag::Stateless));
    if (auto text = decodeStrictly(bytes, QStringDecoder(QStringConverter::Utf8, QStringDecoder::Flag::Stateless)))
        return text;
    const Verdict verdict = detect(bytes);
    const char *first = verdict.encoding ? verdict.encoding : gb18030;
    if (!verdict.multiByte && looksLikeGB2312(bytes))
        first = gb18030;
    if (auto text = decodeAs(bytes, first))
        return text;
    return first == gb18030 ? std::nullopt : decodeAs(bytes, gb18030);
}

QString displayText(QByteArrayView bytes)
{
    if (std::optional<QString> text = decode(bytes))
        return std::move(*text);
    return QString::fromUtf8(bytes);
}

} // namespace TextDecoding
