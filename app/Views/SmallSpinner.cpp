#include "SmallSpinner.h"

#include "UI/ThemeEnvironment.h"

#include <QPainter>

namespace {

constexpr int spokes = 8;

} // namespace

SmallSpinner::SmallSpinner(QWidget *parent) : QWidget(parent)
{
    setFixedSize(14, 14);
    m_turn.setInterval(100);
    connect(&m_turn, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

void SmallSpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_turn.start();
}

void SmallSpinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_turn.stop();
}

void SmallSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    QColor colour = ThemeEnvironment::theme(this).text;
    // Scaled down like a small system indicator.
    const qreal outer = 0.7 * width() / 2.0;
    for (int spoke = 0; spoke < spokes; ++spoke) {
        const int age = (m_step - spoke + spokes) % spokes;
        colour.setAlphaF(1.0 - age / qreal(spokes + 1));
        painter.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -outer * 0.45), QPointF(0, -outer));
        painter.rotate(360.0 / spokes);
    }
}
