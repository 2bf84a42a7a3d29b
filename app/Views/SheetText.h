#pragma once

#include "UI/ThemePalette.h"

#include <QLabel>

#include <functional>

// A plain-text label of a sheet whose colour is worked out from the palette it paints with, so
// it follows light and dark like the painted parts around it.
class SheetText : public QLabel
{
    Q_OBJECT

public:
    using Colour = std::function<QColor(const ThemePalette &)>;

    SheetText(const QFont &font, Colour colour, QWidget *parent = nullptr);

    // The palette's text colour at one opacity in dark mode and another in light mode.
    static Colour textAt(qreal darkOpacity, qreal lightOpacity);
    static Colour textAt(qreal opacity) { return textAt(opacity, opacity); }
    static Colour warning();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Colour m_colour;
};
