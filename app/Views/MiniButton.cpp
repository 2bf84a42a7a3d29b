#include "MiniButton.h"

#include "UI/ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

MiniButton::MiniButton(Icons::Symbol symbol, qreal pointSize, int side, bool isPrimary, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_pointSize(pointSize)
    , m_side(side)
    , m_isPrimary(isPrimary)
{
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
}

void MiniButton::setSymbol(Icons::Symbol symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    update();
}

void MiniButton::setHelp(const QString &help)
{
    setToolTip(help.toHtmlEscaped());
    setAccessibleName(help);
}

void MiniButton::setActive(bool active)
{
    if (m_isActive == active)
        return;
    m_isActive = active;
    update();
}

QSize MiniButton::sizeHint() const
{
    return QSize(m_side, m_side);
}

bool MiniButton::hitButton(const QPoint &position) const
{
    const QPointF offset = QPointF(position) + QPointF(0.5, 0.5) - QRectF(rect()).center();
    return offset.x() * offset.x() + offset.y() * offset.y() <= m_side * m_side / 4.0;
}

void MiniButton::enterEvent(QEnterEvent *event)
{
    m_isHovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void MiniButton::leaveEvent(QEvent *event)
{
    m_isHovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void MiniButton::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    const QImage symbol = m_symbol(m_pointSize, QFont::Normal, devicePixelRatioF());
    const QRectF symbolRect(QRectF(rect()).center() - QPointF(m_pointSize / 2, m_pointSize / 2),
        QSizeF(m_pointSize, m_pointSize));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_isPrimary) {
        // The disc casts a soft shadow downwards; a few fading rings stand in for the blur.
        const QRectF disc = QRectF(rect()).adjusted(1.5, 0.5, -1.5, -2.5);
        for (int ring = 3; ring >= 1; --ring) {
            QColor shadow(0, 0, 0);
            shadow.setAlphaF(float(0.28 / 3));
            painter.setPen(Qt::NoPen);
            painter.setBrush(shadow);
            painter.drawEllipse(disc.translated(0, 2).adjusted(-ring * 0.6, -ring * 0.6, ring * 0.6, ring * 0.6));
        }
        painter.setBrush(theme.accent);
        painter.drawEllipse(disc);
        painter.drawImage(symbolRect.translated(0, -1), Icons::tinted(symbol, theme.onAccent));
        return;
    }
    if (m_isHovering) {
        QPainterPath patch;
        patch.addRoundedRect(symbolRect.adjusted(-2, -2, 2, 2), 8, 8);
        painter.fillPath(patch, theme.raisedFill);
    }
    QColor color = m_isActive ? theme.accent : theme.text;
    if (!m_isActive)
        color.setAlphaF(float(m_isHovering ? 1.0 : 0.82));
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.7f);
    painter.drawImage(symbolRect, Icons::tinted(symbol, color));
}
