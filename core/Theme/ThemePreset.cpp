#include "ThemePreset.h"

std::span<const ThemeChoiceCase<ThemePreset>> ThemePreset::cases()
{
    static constexpr ThemeChoiceCase<ThemePreset> presetCases[] = {
        { celadon, u"celadon", QT_TRANSLATE_NOOP("Quillmere", "青瓷") },
        { deepBlue, u"deepBlue", QT_TRANSLATE_NOOP("Quillmere", "深空蓝") },
        { morning, u"morning", QT_TRANSLATE_NOOP("Quillmere", "晨光橙") },
        { inkAmber, u"inkAmber", QT_TRANSLATE_NOOP("Quillmere", "墨黑琥珀") },
        { berry, u"berry", QT_TRANSLATE_NOOP("Quillmere", "莓紫") },
        { seaSalt, u"seaSalt", QT_TRANSLATE_NOOP("Quillmere", "海盐") },
    };
    return presetCases;
}
