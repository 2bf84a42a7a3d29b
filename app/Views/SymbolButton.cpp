#include "SymbolButton.h"

#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

SymbolButton::SymbolButton(
    const QImage &symbol, qreal textOpacity, int side, const QString &help, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_textOpacity(textOpacity)
    , m_side(side)
{
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(help.toHtmlEscaped());
    setAccessibleName(help);
}

QSize SymbolButton::sizeHint() const
{
    return QSize(m_side, m_side);
}

void SymbolButton::paintEvent(QPaintEvent *)
{
    QColor color = ThemeEnvironment::theme(this).text;
    color.setAlphaF(float(m_textOpacity * (isDown() ? 0.7 : 1.0)));
    const QImage image = Icons::tinted(m_symbol, color);
    const QSizeF size = image.deviceIndependentSize();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size), image);
}
