#include "MetadataValueRules.h"

#include <limits>

namespace MetadataValueRules {

namespace {

struct NumericRun
{
    QStringView characters; // in UTF-16 code units
    qsizetype length = 0;   // in Unicode scalars
};

NumericRun leadingNumericRun(QStringView value)
{
    NumericRun run;
    qsizetype index = 0;
    while (index < value.size()) {
        char32_t scalar = value[index].unicode();
        qsizetype units = 1;
        if (QChar::isHighSurrogate(scalar) && index + 1 < value.size() && value[index + 1].isLowSurrogate()) {
            scalar = QChar::surrogateToUcs4(value[index], value[index + 1]);
            units = 2;
        }
        if (!QChar::isNumber(scalar))
            break;
        index += units;
        ++run.length;
    }
    run.characters = value.first(index);
    return run;
}

std::optional<qint64> decimal(QStringView digits)
{
    qint64 number = 0;
    for (const QChar character : digits) {
        const char16_t unit = character.unicode();
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        const int digit = unit - u'0';
        if (number > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

} // namespace

std::optional<QString> text(QStringView value)
{
    const QStringView trimmed = value.trimmed();
    return trimmed.isEmpty() ? std::nullopt : std::optional<QString>(trimmed.toString());
}

std::optional<qint64> year(QStringView value)
{
    const NumericRun run = leadingNumericRun(value.trimmed());
    if (run.length < 4)
        return std::nullopt;
    // Four ASCII digits are the first four scalars; anything else fails the parse.
    const std::optional<qint64> number = decimal(run.characters.first(4));
    return number > 0 ? number : std::nullopt;
}

std::optional<qint64> trackNumber(QStringView value)
{
    const NumericRun run = leadingNumericRun(value.trimmed());
    return run.length == 0 ? std::nullopt : decimal(run.characters);
}

} // namespace MetadataValueRules
