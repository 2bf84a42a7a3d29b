#include "OverlayControlButton.h"

#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

OverlayControlButton::OverlayControlButton(const QImage &symbol, const QString &help, QWidget *parent)
    : QAbstractButton(parent)
{
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
    setSymbol(symbol, help);
}

void OverlayControlButton::setSymbol(const QImage &symbol, const QString &help)
{
    m_symbol = symbol;
    setToolTip(help.toHtmlEscaped());
    setAccessibleName(help);
    update();
}

void OverlayControlButton::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.raisedFill);
    painter.drawEllipse(QRectF(rect()));
    QColor color = palette.text;
    color.setAlphaF(isDown() ? 0.6f : 0.85f);
    const QImage image = Icons::tinted(m_symbol, color);
    const QSizeF size = image.deviceIndependentSize();
    painter.drawImage(QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size), image);
}
