#pragma once

#include "Settings/AppSettings.h"
#include "ThemeMode.h"
#include "ThemePreset.h"

// The settings record keeps the theme choice as plain text; these read it back with fallbacks.
namespace ThemeSettings {

// A name that matches no preset (misspelt, other letter case) gives deepBlue.
ThemePreset preset(const AppSettings &settings);

// A name that matches no mode gives system.
ThemeMode mode(const AppSettings &settings);

// True only for the exact row style "cover".
bool usesCoverRowStyle(const AppSettings &settings);

} // namespace ThemeSettings
