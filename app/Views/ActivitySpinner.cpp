#include "ActivitySpinner.h"

#include <QPainter>
#include <QTimerEvent>

ActivitySpinner::ActivitySpinner(int side, QWidget *parent) : QWidget(parent), color(Qt::gray)
{
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ActivitySpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal lineWidth = qMax(1.5, width() / 7.0);
    const QRectF ring = QRectF(rect()).adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth);
    QColor faint = color;
    faint.setAlphaF(float(color.alphaF() * 0.25));
    painter.setPen(QPen(faint, lineWidth));
    painter.drawEllipse(ring);
    painter.setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}

void ActivitySpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_timer)
        m_timer = startTimer(40);
}

void ActivitySpinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_timer)
        killTimer(std::exchange(m_timer, 0));
}

void ActivitySpinner::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer)
        return QWidget::timerEvent(event);
    m_angle = (m_angle + 30) % 360;
    update();
}
