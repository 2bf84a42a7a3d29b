#include "ThemeEnvironment.h"

#include "SystemColorScheme.h"
#include "Theme/ThemeCatalog.h"
#include "Theme/ThemeRGB.h"
#include "Theme/ThemeResolver.h"
#include "Theme/ThemeSettings.h"

#include <QVariant>
#include <QWidget>

namespace {

constexpr char themeProperty[] = "quillmereTheme";

} // namespace

ThemeEnvironment::ThemeEnvironment(SystemColorScheme &systemScheme, QObject *parent)
    : QObject(parent)
    , m_systemScheme(systemScheme)
    , m_palette(windowPalette(m_settings, systemScheme.isDark()))
{
    connect(&m_systemScheme, &SystemColorScheme::isDarkChanged, this, &ThemeEnvironment::refresh);
}

void ThemeEnvironment::setSettings(const AppSettings &settings)
{
    m_settings = settings;
    refresh();
}

void ThemeEnvironment::addRoot(QWidget *root)
{
    m_roots.removeAll(nullptr);
    if (!m_roots.contains(root))
        m_roots.append(root);
    setTheme(root, m_palette);
}

ThemePalette ThemeEnvironment::windowPalette(const AppSettings &settings, bool systemIsDark)
{
    const ThemePreset preset = ThemeSettings::preset(settings);
    const bool isDark = ThemeResolver::isDark(ThemeSettings::mode(settings), systemIsDark);
    return ThemePalette(preset, ThemeCatalog::tokens(preset, isDark, settings.customAccentHex));
}

ThemePalette ThemeEnvironment::theme(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        const QVariant value = widget->property(themeProperty);
        if (value.isValid())
            return value.value<ThemePalette>();
    }
    return defaultTheme();
}

void ThemeEnvironment::setTheme(QWidget *root, const ThemePalette &palette)
{
    const QVariant current = root->property(themeProperty);
    if (current.isValid() && current.value<ThemePalette>() == palette)
        return;
    root->setProperty(themeProperty, QVariant::fromValue(palette));
    // Widgets read the palette when they paint; windows owned by the root paint on their own.
    root->update();
    for (QWidget *child : root->findChildren<QWidget *>()) {
        if (child->isWindow())
            child->update();
    }
}

const ThemePalette &ThemeEnvironment::defaultTheme()
{
    static const ThemePalette palette;
    return palette;
}

QString ThemeEnvironment::hexString(const QColor &color)
{
    if (!color.isValid())
        return QStringLiteral("#FFFFFF");
    const QColor rgb = color.toRgb();
    return ThemeRGB { rgb.redF(), rgb.greenF(), rgb.blueF() }.hexString();
}

void ThemeEnvironment::refresh()
{
    const ThemePalette palette = windowPalette(m_settings, m_systemScheme.isDark());
    if (palette == m_palette)
        return;
    m_palette = palette;
    m_roots.removeAll(nullptr);
    for (const QPointer<QWidget> &root : std::as_const(m_roots))
        setTheme(root, m_palette);
    emit paletteChanged(m_palette);
}
