#pragma once

#include "Theme/ThemePreset.h"
#include "Theme/ThemeTokens.h"

#include <QColor>
#include <QLinearGradient>
#include <QMetaType>

// Every colour and gradient the views draw with, derived from a preset and its resolved tokens.
// The gradients use bounding-box coordinates, so they stretch over whatever shape they fill.
struct ThemePalette
{
    // The palette of views outside any window root: deepBlue, dark, no custom accent.
    ThemePalette();
    ThemePalette(ThemePreset preset, const ThemeTokens &tokens);

    ThemePreset preset;
    ThemeTokens tokens;
    QColor accent;
    QColor accentSecondary;
    QColor accentLight;
    QLinearGradient accentGradient;
    QColor onAccent;
    QColor text;
    QColor warning;
    QColor panelTint;
    QColor playerTint;
    QColor backgroundTop;
    QColor backgroundMiddle;
    QColor backgroundBottom;
    QLinearGradient coverGradient;
    QColor hairline;
    QColor raisedFill;
    QColor sliderTrack;

    // The colour with its own opacity scaled by `opacity`.
    static QColor withOpacity(QColor color, qreal opacity);
    // The colour at exactly `alpha`, whatever its own opacity.
    static QColor withAlpha(QColor color, qreal alpha);

    // Everything else follows from these two.
    friend bool operator==(const ThemePalette &a, const ThemePalette &b)
    {
        return a.preset == b.preset && a.tokens == b.tokens;
    }
};

Q_DECLARE_METATYPE(ThemePalette)
