#include "PlayerIconButton.h"

#include "UI/ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

PlayerIconButton::PlayerIconButton(Icons::Symbol symbol, qreal pointSize, int side, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_pointSize(pointSize)
    , m_side(side)
{
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void PlayerIconButton::setSymbol(Icons::Symbol symbol, qreal pointSize)
{
    if (symbol == m_symbol && pointSize == m_pointSize)
        return;
    m_symbol = symbol;
    m_pointSize = pointSize;
    update();
}

void PlayerIconButton::setHelp(const QString &help)
{
    setToolTip(help.toHtmlEscaped());
    setAccessibleName(help);
}

void PlayerIconButton::setPinned(bool pinned)
{
    if (pinned == m_pinned)
        return;
    m_pinned = pinned;
    update();
}

QSize PlayerIconButton::sizeHint() const
{
    return QSize(m_side, m_side);
}

void PlayerIconButton::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (isHighlighted()) {
        QPainterPath square;
        square.addRoundedRect(QRectF(rect()), 8, 8);
        painter.fillPath(square, palette.raisedFill);
    }
    QColor colour = palette.accent;
    colour.setAlphaF(isHighlighted() ? colour.alphaF() : colour.alphaF() * 0.82f);
    const QImage image = Icons::tinted(m_symbol(m_pointSize, QFont::Normal, devicePixelRatioF()), colour);
    const QSizeF size = image.deviceIndependentSize();
    painter.drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), image);
}

void PlayerIconButton::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PlayerIconButton::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}
