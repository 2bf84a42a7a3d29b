#include "MenuStyle.h"

#include "SheetStyle.h"

namespace MenuStyle {

QString cssColor(const QColor &color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF(), 0, 'f', 3);
}

QString menu(const ThemePalette &palette)
{
    QColor panel = palette.backgroundMiddle;
    panel.setAlphaF(0.97f);
    return QStringLiteral(
        "QMenu { background: %1; border: 0.5px solid %2; border-radius: 10px; padding: 5px; menu-scrollable: 1; }"
        "QMenu::item { color: %3; padding: 0px 8px; min-height: 27px; border-radius: 5px; }"
        "QMenu::item:selected { background: %4; }"
        "QMenu::item:disabled { color: %5; }"
        "QMenu::icon { padding-left: 8px; }"
        "QMenu::separator { height: 1px; background: %2; margin: 3px 4px; }")
        .arg(cssColor(panel), cssColor(palette.hairline), cssColor(ThemePalette::withAlpha(palette.text, 0.9)),
             cssColor(ThemePalette::withAlpha(palette.accent, 0.16)), cssColor(ThemePalette::withAlpha(palette.text, 0.4)));
}

QString menuBar(const ThemePalette &palette)
{
    return QStringLiteral(
        "QMenuBar { background: %1; color: %2; border-bottom: 1px solid %3; }"
        "QMenuBar::item { background: transparent; padding: 3px 8px; border-radius: 4px; }"
        "QMenuBar::item:selected { background: %4; }")
               .arg(cssColor(palette.backgroundTop), cssColor(ThemePalette::withAlpha(palette.text, 0.9)),
                    cssColor(palette.hairline), cssColor(ThemePalette::withAlpha(palette.accent, 0.16)))
        + menu(palette);
}

} // namespace MenuStyle
