#include "ThemeRGB.h"

#include <algorithm>
#include <cmath>

const ThemeRGB ThemeRGB::white { 1, 1, 1 };
const ThemeRGB ThemeRGB::black { 0, 0, 0 };

namespace {

std::optional<int> hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return std::nullopt;
}

// Base-16 number with an optional sign, as a standard unsigned 32-bit parser reads it:
// no "0x", no blanks, and a negative value only when it is zero.
std::optional<quint32> parseHex(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : text) {
        const std::optional<int> digit = hexDigit(c);
        if (!digit)
            return std::nullopt;
        value = value * 16 + quint64(*digit);
    }
    if (value > 0xFFFFFFFFu || (negative && value != 0))
        return std::nullopt;
    return quint32(value);
}

int byteOf(double component)
{
    // NaN would make the conversion undefined; it reads as 0 like any value below the range.
    const double clamped = std::isnan(component) ? 0.0 : std::clamp(component, 0.0, 1.0);
    return int(std::round(clamped * 255));
}

} // namespace

std::optional<ThemeRGB> ThemeRGB::fromHex(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(u'#'))
        text = text.mid(1);
    // Six hex digits are six UTF-16 units; any other text fails here or in the parse.
    if (text.size() != 6)
        return std::nullopt;
    const std::optional<quint32> value = parseHex(text);
    if (!value)
        return std::nullopt;
    return ThemeRGB { ((*value >> 16) & 0xFF) / 255.0, ((*value >> 8) & 0xFF) / 255.0,
        (*value & 0xFF) / 255.0 };
}

QString ThemeRGB::hexString() const
{
    return QString::asprintf("#%02X%02X%02X", byteOf(red), byteOf(green), byteOf(blue));
}

ThemeRGB ThemeRGB::blended(const ThemeRGB &other, double amount) const
{
    const double t = std::clamp(amount, 0.0, 1.0);
    return ThemeRGB { red + (other.red - red) * t, green + (other.green - green) * t,
        blue + (other.blue - blue) * t };
}
