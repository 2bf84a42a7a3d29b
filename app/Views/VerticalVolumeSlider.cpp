#include "VerticalVolumeSlider.h"

#include "UI/ThemeEnvironment.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr qreal trackWidth = 4;
constexpr qreal knobDiameter = 10;

} // namespace

VerticalVolumeSlider::VerticalVolumeSlider(QWidget *parent) : QWidget(parent)
{
    setFixedSize(18, 108);
    setCursor(Qt::PointingHandCursor);
}

void VerticalVolumeSlider::setValue(double value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
}

double VerticalVolumeSlider::valueAt(qreal y, qreal height)
{
    return std::clamp(1 - y / std::max<qreal>(height, 1), 0.0, 1.0);
}

qreal VerticalVolumeSlider::usableHeight() const
{
    return std::max<qreal>(height(), 1);
}

void VerticalVolumeSlider::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const qreal h = usableHeight();
    const qreal level = std::clamp(m_value, 0.0, 1.0);
    const qreal centreX = width() / 2.0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const QRectF track(centreX - trackWidth / 2, 0, trackWidth, h);
    painter.setBrush(palette.sliderTrack);
    painter.drawRoundedRect(track, trackWidth / 2, trackWidth / 2);
    QColor fill = palette.text;
    fill.setAlphaF(0.65f);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(track.left(), h - h * level, trackWidth, h * level), trackWidth / 2, trackWidth / 2);

    // At full level the knob's top touches the top of the track.
    const QPointF knobCentre(centreX, h - knobDiameter / 2 - (h - knobDiameter) * level);
    painter.setBrush(QColor(0, 0, 0, qRound(0.35 * 255 * 0.5)));
    painter.drawEllipse(knobCentre + QPointF(0, 1), knobDiameter / 2 + 1, knobDiameter / 2 + 1);
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobCentre, knobDiameter / 2, knobDiameter / 2);
}

void VerticalVolumeSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    emit valueEdited(valueAt(event->position().y(), usableHeight()));
}

void VerticalVolumeSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        emit valueEdited(valueAt(event->position().y(), usableHeight()));
}
