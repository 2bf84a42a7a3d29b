#pragma once

#include "ThemeChoice.h"

// Whether the interface is light, dark or follows the system; stored in the settings by its raw name.
class ThemeMode : public ThemeChoice<ThemeMode>
{
public:
    // Declaration order is the order of the settings picker.
    enum Value : quint8 { system, light, dark };

    constexpr ThemeMode(Value value)
        : m_value(value)
    {
    }
    constexpr operator Value() const { return m_value; }

private:
    friend class ThemeChoice<ThemeMode>;
    static std::span<const ThemeChoiceCase<ThemeMode>> cases();

    Value m_value;
};
