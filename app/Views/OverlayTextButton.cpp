#include "OverlayTextButton.h"

#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

QFont titleFont()
{
    return Fonts::system(10.5, QFont::Medium);
}

} // namespace

OverlayTextButton::OverlayTextButton(const QString &help, QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolTip(help.toHtmlEscaped());
    setAccessibleName(help);
}

void OverlayTextButton::setOn(bool on)
{
    if (on == m_isOn)
        return;
    m_isOn = on;
    update();
}

void OverlayTextButton::setTitle(const QString &title)
{
    setText(title);
    setFixedSize(sizeHint());
    update();
}

QSize OverlayTextButton::sizeHint() const
{
    return QSize(int(std::ceil(QFontMetricsF(titleFont()).horizontalAdvance(text()))) + 12, 22);
}

void OverlayTextButton::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor fill = palette.accent;
    fill.setAlphaF(0.24f);
    painter.setBrush(m_isOn ? fill : palette.raisedFill);
    const qreal radius = height() / 2.0;
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    QColor color = palette.text;
    color.setAlphaF((m_isOn ? 1.0f : 0.8f) * (isDown() ? 0.7f : 1.0f));
    painter.setPen(color);
    painter.setFont(titleFont());
    painter.drawText(rect(), Qt::AlignCenter, text());
}
