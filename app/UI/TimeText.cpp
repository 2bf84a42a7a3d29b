#include "TimeText.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace TimeText {

QString string(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return QStringLiteral("0:00");

    // 2^63 is the first value a signed 64-bit count cannot hold; converting it is undefined.
    constexpr double firstUnrepresentable = 9223372036854775808.0;
    const double rounded = std::round(seconds);
    const std::int64_t count = rounded >= firstUnrepresentable
                                   ? std::numeric_limits<std::int64_t>::max()
                                   : static_cast<std::int64_t>(rounded);

    const auto twoDigits = [](std::int64_t value) {
        return QString::number(value).rightJustified(2, QLatin1Char('0'));
    };
    if (count < 3600)
        return QString::number(count / 60) + QLatin1Char(':') + twoDigits(count % 60);
    return QString::number(count / 3600) + QLatin1Char(':') + twoDigits(count % 3600 / 60)
           + QLatin1Char(':') + twoDigits(count % 60);
}

} // namespace TimeText
