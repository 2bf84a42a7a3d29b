#include "SidebarIconButton.h"

#include "UI/ThemeEnvironment.h"

#include <QPainter>

SidebarIconButton::SidebarIconButton(Icons::Symbol symbol, const Look &look, const QString &help, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_look(look)
{
    setFixedSize(look.side, look.side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(help.toHtmlEscaped());
    setAccessibleName(help);
}

qreal SidebarIconButton::drawnOpacity() const
{
    const qreal opacity = ThemeEnvironment::theme(this).tokens.isDark ? m_look.darkOpacity : m_look.lightOpacity;
    return isEnabled() ? opacity : opacity * 0.45;
}

QSize SidebarIconButton::sizeHint() const
{
    return QSize(m_look.side, m_look.side);
}

void SidebarIconButton::paintEvent(QPaintEvent *)
{
    QColor colour = ThemeEnvironment::theme(this).text;
    colour.setAlphaF(float(drawnOpacity()));
    const QImage image = Icons::tinted(m_symbol(m_look.pointSize, m_look.weight, devicePixelRatioF()), colour);
    const QSizeF size = image.deviceIndependentSize();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), image);
}
