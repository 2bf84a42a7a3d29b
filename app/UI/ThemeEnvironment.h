#pragma once

#include "Settings/AppSettings.h"
#include "ThemePalette.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class SystemColorScheme;

// Hands the palette down the widget tree. Each window root carries a palette; a widget draws
// with the palette of its nearest ancestor that has one, or with the default palette.
// The environment object keeps the roots it was given in line with the theme settings and the
// system's colour scheme, so a change of either shows in every open window at once.
class ThemeEnvironment : public QObject
{
    Q_OBJECT

public:
    explicit ThemeEnvironment(SystemColorScheme &systemScheme, QObject *parent = nullptr);

    // The window palette for the current settings and system appearance.
    const ThemePalette &palette() const { return m_palette; }

    void setSettings(const AppSettings &settings);
    // Gives the root the current palette and keeps it current while the root lives.
    void addRoot(QWidget *root);

    // Preset and mode from the settings (with their fallbacks), dark from the mode and the system.
    static ThemePalette windowPalette(const AppSettings &settings, bool systemIsDark);

    // The palette a widget draws with.
    static ThemePalette theme(const QWidget *widget);
    static void setTheme(QWidget *root, const ThemePalette &palette);
    static const ThemePalette &defaultTheme();

    // "#RRGGBB" of a picked colour in sRGB, opacity dropped; "#FFFFFF" for an invalid colour.
    static QString hexString(const QColor &color);

signals:
    void paletteChanged(const ThemePalette &palette);

private:
    void refresh();

    SystemColorScheme &m_systemScheme;
    AppSettings m_settings;
    ThemePalette m_palette;
    QList<QPointer<QWidget>> m_roots;
};
