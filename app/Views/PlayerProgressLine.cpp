#include "PlayerProgressLine.h"

#include "Localization.h"
#include "PlaybackTimeline.h"
#include "UI/AppModel.h"
#include "UI/MaterialBackdrop.h"
#include "UI/SoftGlow.h"
#include "UI/ThemeEnvironment.h"
#include "UI/TimeText.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace {

constexpr qreal restingThumb = 9;
constexpr qreal activeThumb = 12;
constexpr qreal restingBar = 3;
constexpr qreal activeBar = 6;
// The band the bars and the thumb's centre lie in, at the top of the line's 14 pixels.
constexpr qreal lineBand = 6;
constexpr int growthMilliseconds = 160;

// A blurred disc under the thumb; the design's shadow radius is read as twice the deviation.
void drawShadow(QPainter &painter, QPointF centre, qreal diameter, const QColor &colour, qreal radius, qreal drop)
{
    const qreal deviation = radius / 2;
    const qreal extent = SoftGlow::extent(diameter, deviation);
    const QPointF shifted = centre + QPointF(0, drop);
    painter.drawImage(QRectF(shifted - QPointF(extent, extent), QSizeF(2 * extent, 2 * extent)),
        SoftGlow::image(diameter, deviation, colour));
}

} // namespace

PlayerProgressLine::PlayerProgressLine(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_timeline(new PlaybackTimeline(model, this))
    , m_growthAnimation(new QVariantAnimation(this))
{
    setFixedHeight(overhang + bandHeight);
    setAccessibleName(L("播放进度"));
    m_growthAnimation->setDuration(growthMilliseconds);
    m_growthAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_growthAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_growth = value.toReal();
        update();
    });
    connect(m_timeline, &PlaybackTimeline::changed, this, [this] {
        update();
        updateAccessibleValue();
    });
    updateAccessibleValue();
}

double PlayerProgressLine::currentTime() const
{
    return m_dragValue.value_or(m_timeline->shownPosition());
}

double PlayerProgressLine::fraction() const
{
    return PlaybackTimeline::fraction(currentTime(), m_timeline->total());
}

qreal PlayerProgressLine::thumbDiameter() const
{
    return restingThumb + (activeThumb - restingThumb) * m_growth;
}

qreal PlayerProgressLine::barHeight() const
{
    return restingBar + (activeBar - restingBar) * m_growth;
}

qreal PlayerProgressLine::lineWidth() const
{
    return std::max<qreal>(width(), 1);
}

QRectF PlayerProgressLine::thumbRect() const
{
    const qreal d = thumbDiameter();
    const qreal w = lineWidth();
    // Never off the line; on a line narrower than the thumb it stays at d / 2.
    const qreal x = std::min(std::max(fraction() * w, d / 2), std::max(w - d / 2, d / 2));
    return QRectF(x - d / 2, overhang + lineBand / 2 - d / 2, d, d);
}

QString PlayerProgressLine::accessibleValue() const
{
    return TimeText::string(currentTime()) + QStringLiteral(" / ") + TimeText::string(m_timeline->total());
}

void PlayerProgressLine::updateAccessibleValue()
{
    setAccessibleDescription(accessibleValue());
}

void PlayerProgressLine::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const qreal w = lineWidth();
    const qreal h = barHeight();
    const qreal top = overhang + (lineBand - h) / 2;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.fillRect(QRectF(0, top, w, h), palette.sliderTrack);
    painter.fillRect(QRectF(0, top, fraction() * w, h), palette.accentGradient);

    const QRectF thumb = thumbRect();
    const qreal d = thumb.width();
    drawShadow(painter, thumb.center(), d, ThemePalette::withAlpha(palette.accent, 0.85), d * 0.7, 0);
    drawShadow(painter, thumb.center(), d, QColor(0, 0, 0, qRound(0.3 * 255)), 2, 1);
    QPainterPath disc;
    disc.addEllipse(thumb);
    MaterialBackdrop::paintMaterial(painter, disc, MaterialBackdrop::Material::ultraThin, this);
    painter.fillPath(disc, QColor(255, 255, 255, qRound(0.55 * 255)));
    painter.setPen(QPen(QColor(255, 255, 255, qRound(0.9 * 255)), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(thumb.adjusted(0.5, 0.5, -0.5, -0.5));
}

void PlayerProgressLine::updateActive()
{
    // The end value is the last target: grown while hovered or dragged.
    const qreal target = m_hovering || m_dragValue ? 1 : 0;
    if (m_growthAnimation->endValue().toReal() == target)
        return;
    m_growthAnimation->stop();
    m_growthAnimation->setStartValue(m_growth);
    m_growthAnimation->setEndValue(target);
    m_growthAnimation->start();
}

void PlayerProgressLine::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    updateActive();
    QWidget::enterEvent(event);
}

void PlayerProgressLine::leaveEvent(QEvent *event)
{
    m_hovering = false;
    updateActive();
    QWidget::leaveEvent(event);
}

std::optional<double> PlayerProgressLine::timeAt(qreal x) const
{
    const double total = m_timeline->total();
    if (!PlaybackTimeline::isSeekable(total))
        return std::nullopt;
    return std::clamp(x / lineWidth(), 0.0, 1.0) * total;
}

void PlayerProgressLine::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_dragValue = timeAt(event->position().x());
    updateActive();
    updateAccessibleValue();
    update();
}

void PlayerProgressLine::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (const std::optional<double> time = timeAt(event->position().x())) {
        m_dragValue = time;
        updateAccessibleValue();
        update();
    }
}

void PlayerProgressLine::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const std::optional<double> target = timeAt(event->position().x());
    m_dragValue.reset();
    updateActive();
    updateAccessibleValue();
    update();
    if (target)
        m_model.seek(*target);
}

void PlayerProgressLine::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timeline->refresh();
}
