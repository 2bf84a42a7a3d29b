#include "ThemeCatalog.h"

#include "ThemeRGB.h"

namespace {

QString presetAccent(ThemePreset preset, bool isDark)
{
    // Only celadon and deepBlue have a separate dark accent.
    switch (preset) {
    case ThemePreset::celadon:
        return isDark ? QStringLiteral("#4FB89A") : QStringLiteral("#2F7D6A");
    case ThemePreset::deepBlue:
        return isDark ? QStringLiteral("#7AA2FF") : QStringLiteral("#3E6FE0");
    case ThemePreset::morning:
        return QStringLiteral("#C2703D");
    case ThemePreset::inkAmber:
        return QStringLiteral("#F5B942");
    case ThemePreset::berry:
        return QStringLiteral("#B48CF2");
    case ThemePreset::seaSalt:
        return QStringLiteral("#3E8FB0");
    }
    return QStringLiteral("#3E6FE0");
}

} // namespace

namespace ThemeCatalog {

ThemeTokens tokens(ThemePreset preset, bool isDark, const std::optional<QString> &customAccentHex)
{
    ThemeTokens tokens { presetAccent(preset, isDark), isDark };
    if (customAccentHex) {
        const QString trimmed = customAccentHex->trimmed();
        if (ThemeRGB::fromHex(trimmed))
            tokens.accentHex = trimmed;
    }
    return tokens;
}

} // namespace ThemeCatalog
