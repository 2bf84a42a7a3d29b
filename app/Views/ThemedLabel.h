#pragma once

#include "UI/ThemePalette.h"

#include <QLabel>

#include <functional>

// Plain text drawn in a colour taken from the palette of its window at every paint, so a theme
// change only repaints it. One line elided in the middle, or wrapped onto as many lines as needed.
class ThemedLabel : public QLabel
{
    Q_OBJECT

public:
    using Colour = std::function<QColor(const ThemePalette &)>;

    ThemedLabel(const QString &text, qreal pixelSize, QFont::Weight weight, Colour colour, QWidget *parent = nullptr);

    // Middle elision on one line (the default) or word wrapping.
    void setWraps(bool wraps);
    void setColour(Colour colour);

    // `palette.text` at the opacity for a dark or a light palette.
    static Colour muted(qreal darkOpacity, qreal lightOpacity);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Colour m_colour;
};
