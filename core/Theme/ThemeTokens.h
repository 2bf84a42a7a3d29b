#pragma once

#include <QString>

// The theme input after the preset, mode and custom accent are resolved.
struct ThemeTokens
{
    // A catalog accent ("#" and six upper-case digits) or the user's trimmed text as written.
    QString accentHex;
    bool isDark = false;

    // Black or white, whichever reads better on the accent.
    QString accentTextHex() const;

    friend bool operator==(const ThemeTokens &, const ThemeTokens &) = default;
};
