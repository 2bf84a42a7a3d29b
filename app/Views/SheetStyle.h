#pragma once

#include "UI/ThemePalette.h"

#include <QColor>
#include <QPalette>

class QWidget;

// Colours of the sheets' standard controls (fields, buttons, labels), derived from the window
// palette. Sheets apply them again whenever the palette changes.
namespace SheetStyle {

// The palette of a whole sheet: text in the theme's text colour, translucent field and button
// fills over the sheet's background, the accent for selections and focus.
QPalette controls(const ThemePalette &theme);

// Gives a label (or any widget drawing text) its own text colour, also when disabled.
void setTextColour(QWidget *widget, const QColor &color);

} // namespace SheetStyle
