#include "ThemeResolver.h"

namespace ThemeResolver {

bool isDark(ThemeMode mode, bool systemIsDark)
{
    switch (mode) {
    case ThemeMode::system:
        return systemIsDark;
    case ThemeMode::light:
        return false;
    case ThemeMode::dark:
        return true;
    }
    return systemIsDark;
}

} // namespace ThemeResolver
