#pragma once

#include "ThemeChoice.h"

// The colour theme the user picked; stored in the settings by its raw name.
class ThemePreset : public ThemeChoice<ThemePreset>
{
public:
    // Declaration order is the order of the swatches in the settings.
    enum Value : quint8 { celadon, deepBlue, morning, inkAmber, berry, seaSalt };

    constexpr ThemePreset(Value value)
        : m_value(value)
    {
    }
    constexpr operator Value() const { return m_value; }

private:
    friend class ThemeChoice<ThemePreset>;
    static std::span<const ThemeChoiceCase<ThemePreset>> cases();

    Value m_value;
};
