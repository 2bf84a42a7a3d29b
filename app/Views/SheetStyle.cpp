#include "SheetStyle.h"

#include <QWidget>

namespace SheetStyle {

namespace {

// `top` painted over the opaque `bottom`.
QColor over(const QColor &top, const QColor &bottom)
{
    const qreal a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)),
        float(top.greenF() * a + bottom.greenF() * (1 - a)),
        float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

} // namespace

QPalette controls(const ThemePalette &theme)
{
    const bool dark = theme.tokens.isDark;
    const QColor background = theme.backgroundMiddle;
    // Fields sit a little above the background; buttons a little more.
    const QColor field = over(ThemePalette::withAlpha(Qt::white, dark ? 0.08 : 0.72), background);
    const QColor button = over(ThemePalette::withAlpha(Qt::white, dark ? 0.13 : 0.9), background);

    QPalette palette;
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, theme.text);
    palette.setColor(QPalette::Base, field);
    palette.setColor(QPalette::AlternateBase, field);
    palette.setColor(QPalette::Text, theme.text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, theme.text);
    palette.setColor(QPalette::PlaceholderText, ThemePalette::withAlpha(theme.text, dark ? 0.4 : 0.45));
    palette.setColor(QPalette::Highlight, theme.accent);
    palette.setColor(QPalette::HighlightedText, theme.onAccent);
    palette.setColor(QPalette::ToolTipBase, button);
    palette.setColor(QPalette::ToolTipText, theme.text);
    palette.setColor(QPalette::Light, over(ThemePalette::withAlpha(Qt::white, dark ? 0.2 : 1.0), background));
    palette.setColor(QPalette::Midlight, button);
    palette.setColor(QPalette::Mid, over(theme.hairline, button));
    palette.setColor(QPalette::Dark, over(ThemePalette::withAlpha(theme.text, 0.3), background));
    palette.setColor(QPalette::Shadow, ThemePalette::withAlpha(Qt::black, dark ? 0.5 : 0.2));

    const QColor disabledText = ThemePalette::withAlpha(theme.text, dark ? 0.3 : 0.35);
    for (const QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(
        QPalette::Disabled, QPalette::Base, over(ThemePalette::withAlpha(Qt::white, dark ? 0.04 : 0.35), background));
    palette.setColor(
        QPalette::Disabled, QPalette::Button, over(ThemePalette::withAlpha(Qt::white, dark ? 0.06 : 0.45), background));
    return palette;
}

void setTextColour(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        palette.setColor(group, QPalette::WindowText, color);
        palette.setColor(group, QPalette::Text, color);
    }
    widget->setPalette(palette);
}

} // namespace SheetStyle
