#include "OverlayResizeGrip.h"

#include "Shell/LyricsOverlayFrame.h"
#include "UI/ShadowPanel.h"
#include "UI/ThemeEnvironment.h"

#include <QMouseEvent>
#include <QPainter>

OverlayResizeGrip::OverlayResizeGrip(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(16, 16);
    setCursor(Qt::CrossCursor);
}

void OverlayResizeGrip::setOpacity(qreal opacity)
{
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    update();
}

void OverlayResizeGrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    painter.setPen(QPen(ThemeEnvironment::theme(this).text, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int step : {4, 8, 12})
        painter.drawLine(QPointF(width() - 2, height() - 2 - step), QPointF(width() - 2 - step, height() - 2));
}

void OverlayResizeGrip::mousePressEvent(QMouseEvent *event)
{
    m_startFrame = ShadowPanel::frameOf(window());
    m_startPointer = event->globalPosition().toPoint();
    event->accept();
}

void OverlayResizeGrip::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint movement = event->globalPosition().toPoint() - m_startPointer;
    ShadowPanel::setFrameOf(window(), LyricsOverlayFrame::resizedFromCorner(m_startFrame, movement));
    event->accept();
}
