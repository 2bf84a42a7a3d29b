#include "TextButton.h"

#include "UI/ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int framedPadding = 16;
constexpr int framedHeight = 30;

} // namespace

TextButton::TextButton(const QString &title, const QFont &font, Kind kind, QWidget *parent)
    : QAbstractButton(parent), m_font(font), m_kind(kind)
{
    setText(title);
    setAccessibleName(title);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize TextButton::sizeHint() const
{
    const QFontMetrics metrics(m_font);
    const int textWidth = metrics.horizontalAdvance(text()) + 2;
    if (m_kind == Kind::Framed)
        return QSize(textWidth + 2 * framedPadding, framedHeight);
    return QSize(textWidth, metrics.height());
}

void TextButton::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A disabled action stays readable, at a lower opacity.
    painter.setOpacity(isEnabled() ? (isDown() ? 0.7 : 1.0) : 0.45);
    if (m_kind == Kind::Framed) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8, 8);
        painter.fillPath(shape, ThemePalette::withOpacity(palette.accent, 0.16));
        painter.setPen(QPen(ThemePalette::withOpacity(palette.accent, 0.35), 0.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 7.75, 7.75);
    }
    painter.setFont(m_font);
    painter.setPen(palette.accentLight);
    painter.drawText(rect(), Qt::AlignCenter, text());
}
