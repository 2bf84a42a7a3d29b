#include "ThemeMode.h"

std::span<const ThemeChoiceCase<ThemeMode>> ThemeMode::cases()
{
    static constexpr ThemeChoiceCase<ThemeMode> modeCases[] = {
        { system, u"system", QT_TRANSLATE_NOOP("Quillmere", "跟随系统") },
        { light, u"light", QT_TRANSLATE_NOOP("Quillmere", "浅色") },
        { dark, u"dark", QT_TRANSLATE_NOOP("Quillmere", "深色") },
    };
    return modeCases;
}
