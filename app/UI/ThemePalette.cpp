#include "ThemePalette.h"

#include "Theme/AccentContrast.h"
#include "Theme/ThemeCatalog.h"
#include "Theme/ThemeRGB.h"

namespace {

// One light and one dark value of a preset colour.
struct Shades
{
    const char16_t *light;
    const char16_t *dark;

    QStringView pick(bool isDark) const { return isDark ? dark : light; }
};

struct PresetColours
{
    Shades accentSecondary;
    Shades backgroundTop;
    Shades backgroundMiddle;
    Shades backgroundBottom;
    Shades panelTint;
    Shades playerTint;
};

const PresetColours &presetColours(ThemePreset preset)
{
    static const PresetColours celadon { { u"#6FAF9A", u"#7FC7B0" }, { u"#E7F2ED", u"#0C1716" },
        { u"#D9EAE3", u"#142724" }, { u"#F4FAF7", u"#0F1F1C" }, { u"#F7FBF9", u"#12201E" },
        { u"#E2F0EA", u"#091311" } };
    // The dark secondary of deepBlue is pink, its light one blue.
    static const PresetColours deepBlue { { u"#8FA9F2", u"#D660A8" }, { u"#F4F7FD", u"#121521" },
        { u"#E8EEFA", u"#1B2132" }, { u"#FBFDFF", u"#161B28" }, { u"#FFFFFF", u"#141824" },
        { u"#F4F7FE", u"#0A0D16" } };
    static const PresetColours morning { { u"#E8A566", u"#E0A15C" }, { u"#FBF4EC", u"#1A1411" },
        { u"#F5E6D6", u"#2A1D15" }, { u"#FFFCF8", u"#231811" }, { u"#FFFCF9", u"#201814" },
        { u"#FAF1E8", u"#140F0C" } };
    static const PresetColours inkAmber { { u"#C98A32", u"#C97B2B" }, { u"#FBF7EA", u"#0F0E0A" },
        { u"#F2E9CF", u"#1D1810" }, { u"#FFFDF5", u"#15110A" }, { u"#FFFCF3", u"#18140D" },
        { u"#FAF4E6", u"#0C0A07" } };
    static const PresetColours berry { { u"#C87CAF", u"#E28BC4" }, { u"#F8F1FC", u"#160F1C" },
        { u"#EEE0F7", u"#271731" }, { u"#FDFAFF", u"#1B1024" }, { u"#FFFCFF", u"#1C1226" },
        { u"#F7EFFC", u"#0F0914" } };
    static const PresetColours seaSalt { { u"#6FAFC4", u"#7FC4D8" }, { u"#EEF6FA", u"#0C161B" },
        { u"#DDEDF5", u"#132630" }, { u"#F9FDFF", u"#0E1E26" }, { u"#FBFEFF", u"#11212A" },
        { u"#EDF6FB", u"#081116" } };
    switch (preset) {
    case ThemePreset::celadon:
        return celadon;
    case ThemePreset::deepBlue:
        return deepBlue;
    case ThemePreset::morning:
        return morning;
    case ThemePreset::inkAmber:
        return inkAmber;
    case ThemePreset::berry:
        return berry;
    case ThemePreset::seaSalt:
        return seaSalt;
    }
    return deepBlue;
}

QColor colour(const ThemeRGB &rgb, qreal opacity = 1.0)
{
    return QColor::fromRgbF(float(rgb.red), float(rgb.green), float(rgb.blue), float(opacity));
}

// Hex text that does not parse gives middle grey unless the caller has its own fallback.
QColor colour(QStringView hex, const ThemeRGB &fallback = { 0.5, 0.5, 0.5 })
{
    return colour(ThemeRGB::fromHex(hex).value_or(fallback));
}

QColor greyscale(bool white, qreal opacity)
{
    return colour(white ? ThemeRGB::white : ThemeRGB::black, opacity);
}

QLinearGradient boundingGradient(QPointF start, QPointF end, const QList<QColor> &colours)
{
    QLinearGradient gradient(start, end);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    for (qsizetype i = 0; i < colours.size(); ++i)
        gradient.setColorAt(qreal(i) / qreal(colours.size() - 1), colours.at(i));
    return gradient;
}

} // namespace

ThemePalette::ThemePalette()
    : ThemePalette(ThemePreset::deepBlue, ThemeCatalog::tokens(ThemePreset::deepBlue, true, std::nullopt))
{
}

ThemePalette::ThemePalette(ThemePreset preset, const ThemeTokens &tokens)
    : preset(preset)
    , tokens(tokens)
{
    const bool dark = tokens.isDark;
    const PresetColours &table = presetColours(preset);
    const ThemeRGB accentRGB = ThemeRGB::fromHex(tokens.accentHex).value_or(ThemeRGB { 0.48, 0.64, 1.0 });

    accent = colour(accentRGB);
    accentSecondary = colour(table.accentSecondary.pick(dark), ThemeRGB { 0.71, 0.55, 0.95 });
    accentGradient = boundingGradient({ 0, 0.5 }, { 1, 0.5 }, { accent, accentSecondary });

    // Lighter in dark palettes, darker in light ones; deliberately not clamped.
    const double target = dark ? 1.0 : 0.0;
    const double amount = dark ? 0.55 : 0.28;
    const auto towardTarget = [&](double c) { return c + (target - c) * amount; };
    accentLight = colour(ThemeRGB {
        towardTarget(accentRGB.red), towardTarget(accentRGB.green), towardTarget(accentRGB.blue) });

    onAccent = colour(AccentContrast::textColor(tokens.accentHex));
    text = colour(dark ? u"#EDF0FA" : u"#1B1F27");
    warning = colour(dark ? u"#FFB766" : u"#A65F00");
    panelTint = colour(table.panelTint.pick(dark));
    playerTint = colour(table.playerTint.pick(dark));
    backgroundTop = colour(table.backgroundTop.pick(dark));
    backgroundMiddle = colour(table.backgroundMiddle.pick(dark));
    backgroundBottom = colour(table.backgroundBottom.pick(dark));
    coverGradient = boundingGradient(
        { 0, 0 }, { 1, 1 }, { accent, accentSecondary, colour(dark ? u"#C45B8E" : u"#D98AB4") });
    hairline = greyscale(dark, 0.09);
    raisedFill = greyscale(dark, dark ? 0.07 : 0.055);
    sliderTrack = greyscale(dark, dark ? 0.15 : 0.13);
}

QColor ThemePalette::withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QColor ThemePalette::withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}
