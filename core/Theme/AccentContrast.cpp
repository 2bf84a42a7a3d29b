#include "AccentContrast.h"

#include "ThemeRGB.h"

#include <cmath>

namespace {

double linear(double component)
{
    return component <= 0.03928 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

} // namespace

namespace AccentContrast {

QString textColor(QStringView accentHex)
{
    const std::optional<ThemeRGB> rgb = ThemeRGB::fromHex(accentHex);
    if (!rgb)
        return QStringLiteral("#FFFFFF");
    const double luminance
        = 0.2126 * linear(rgb->red) + 0.7152 * linear(rgb->green) + 0.0722 * linear(rgb->blue);
    const double againstBlack = (luminance + 0.05) / 0.05;
    const double againstWhite = 1.05 / (luminance + 0.05);
    return againstWhite <= againstBlack ? QStringLiteral("#000000") : QStringLiteral("#FFFFFF");
}

} // namespace AccentContrast
