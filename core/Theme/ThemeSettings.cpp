#include "ThemeSettings.h"

namespace ThemeSettings {

ThemePreset preset(const AppSettings &settings)
{
    return ThemePreset::fromRawValue(settings.themePreset).value_or(ThemePreset::deepBlue);
}

ThemeMode mode(const AppSettings &settings)
{
    return ThemeMode::fromRawValue(settings.themeMode).value_or(ThemeMode::system);
}

bool usesCoverRowStyle(const AppSettings &settings)
{
    return settings.rowStyle == QLatin1String("cover");
}

} // namespace ThemeSettings
