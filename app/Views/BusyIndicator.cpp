#include "BusyIndicator.h"

#include <QPainter>

namespace {

constexpr int frameInterval = 33;
constexpr int stepDegrees = 12;

} // namespace

BusyIndicator::BusyIndicator(int side, QWidget *parent)
    : QWidget(parent)
    , m_side(side)
{
    setFixedSize(side, side);
    m_timer.setInterval(frameInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + stepDegrees) % 360;
        update();
    });
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = qMax(1.5, m_side / 7.0);
    const QRectF ring = QRectF(rect()).adjusted(pen, pen, -pen, -pen);
    QColor track = palette().color(QPalette::WindowText);
    QColor arc = track;
    track.setAlphaF(0.18f);
    painter.setPen(QPen(track, pen));
    painter.drawEllipse(ring);
    painter.setPen(QPen(arc, pen, Qt::SolidLine, Qt::RoundCap));
    // Qt angles are sixteenths of a degree, counter-clockwise.
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}

void BusyIndicator::showEvent(QShowEvent *)
{
    m_timer.start();
}

void BusyIndicator::hideEvent(QHideEvent *)
{
    m_timer.stop();
}
