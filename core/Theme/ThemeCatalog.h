#pragma once

#include "ThemePreset.h"
#include "ThemeTokens.h"

#include <QString>

#include <optional>

// The accent colours of the presets and how a custom accent overrides them.
namespace ThemeCatalog {

// A custom accent that parses as a colour replaces the preset's, kept as the user trimmed it.
ThemeTokens tokens(ThemePreset preset, bool isDark, const std::optional<QString> &customAccentHex);

} // namespace ThemeCatalog
