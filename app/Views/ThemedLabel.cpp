#include "ThemedLabel.h"

#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

ThemedLabel::ThemedLabel(const QString &text, qreal pixelSize, QFont::Weight weight, Colour colour, QWidget *parent)
    : QLabel(parent)
    , m_colour(std::move(colour))
{
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(Fonts::system(pixelSize, weight));
}

void ThemedLabel::setWraps(bool wraps)
{
    setWordWrap(wraps);
    setSizePolicy(wraps ? QSizePolicy::Preferred : QSizePolicy::Ignored, QSizePolicy::Preferred);
    updateGeometry();
}

void ThemedLabel::setColour(Colour colour)
{
    m_colour = std::move(colour);
    update();
}

ThemedLabel::Colour ThemedLabel::muted(qreal darkOpacity, qreal lightOpacity)
{
    return [darkOpacity, lightOpacity](const ThemePalette &palette) {
        QColor colour = palette.text;
        colour.setAlphaF(float(palette.tokens.isDark ? darkOpacity : lightOpacity));
        return colour;
    };
}

QSize ThemedLabel::minimumSizeHint() const
{
    // An elided line can shrink to almost nothing.
    if (!wordWrap())
        return QSize(fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3, QLabel::minimumSizeHint().height());
    return QLabel::minimumSizeHint();
}

void ThemedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(m_colour(ThemeEnvironment::theme(this)));
    painter.setFont(font());
    const QRect area = contentsRect();
    if (wordWrap()) {
        painter.drawText(area, int(alignment()) | Qt::TextWordWrap, text());
        return;
    }
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine,
        fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
}
