#include "SheetText.h"

#include "UI/ThemeEnvironment.h"

SheetText::SheetText(const QFont &font, Colour colour, QWidget *parent) : QLabel(parent), m_colour(std::move(colour))
{
    setFont(font);
    setTextFormat(Qt::PlainText);
}

SheetText::Colour SheetText::textAt(qreal darkOpacity, qreal lightOpacity)
{
    return [darkOpacity, lightOpacity](const ThemePalette &palette) {
        QColor colour = palette.text;
        colour.setAlphaF(colour.alphaF() * (palette.tokens.isDark ? darkOpacity : lightOpacity));
        return colour;
    };
}

SheetText::Colour SheetText::warning()
{
    return [](const ThemePalette &palette) { return palette.warning; };
}

void SheetText::paintEvent(QPaintEvent *event)
{
    const QColor colour = m_colour(ThemeEnvironment::theme(this));
    if (palette().color(QPalette::WindowText) != colour) {
        QPalette changed = palette();
        changed.setColor(QPalette::WindowText, colour);
        setPalette(changed);
    }
    QLabel::paintEvent(event);
}
