#pragma once

#include "ThemeMode.h"

// Resolves the user's mode against the system appearance.
namespace ThemeResolver {

// system follows the system's flag; light is never dark; dark always is.
bool isDark(ThemeMode mode, bool systemIsDark);

} // namespace ThemeResolver
