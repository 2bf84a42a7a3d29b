#pragma once

#include "UI/ThemePalette.h"

#include <QString>

// Style sheets of the menus, in the window's theme: the menu bar with its menus, and the rules
// every pop-up menu shares.
namespace MenuStyle {

// A colour as style sheets write it, its opacity included.
QString cssColor(const QColor &color);

QString menu(const ThemePalette &palette);
QString menuBar(const ThemePalette &palette);

} // namespace MenuStyle
