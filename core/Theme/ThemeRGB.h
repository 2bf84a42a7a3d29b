#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// A colour as red, green and blue from 0 to 1, written as "#" and six hex digits.
struct ThemeRGB
{
    double red = 0;
    double green = 0;
    double blue = 0;

    static const ThemeRGB white;
    static const ThemeRGB black;

    // Accepts six hex digits after trimming and at most one leading "#"; anything else is no colour.
    static std::optional<ThemeRGB> fromHex(QStringView text);

    // "#RRGGBB" in upper case, each component clamped to 0...1 first.
    QString hexString() const;

    // Moves towards `other` by `amount`, clamped to 0...1.
    ThemeRGB blended(const ThemeRGB &other, double amount) const;

    friend bool operator==(const ThemeRGB &, const ThemeRGB &) = default;
};
