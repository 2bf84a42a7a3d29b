#include "MiniProgressLineView.h"

#include "PlaybackTimeline.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

MiniProgressLineView::MiniProgressLineView(AppModel &model, PlaybackEngine &engine, qreal plateRadius, QWidget *parent)
    : QWidget(parent), m_model(model), m_engine(engine), m_plateRadius(plateRadius)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&engine, &PlaybackEngine::positionChanged, this, &MiniProgressLineView::setPosition);
    connect(&engine, &PlaybackEngine::durationChanged, this, &MiniProgressLineView::setDuration);
    connect(&model, &AppModel::restoredPositionChanged, this, &MiniProgressLineView::refresh);
    connect(&model, &AppModel::currentTrackChanged, this, &MiniProgressLineView::refresh);
    m_position = engine.position();
    m_duration = engine.duration();
    m_shownFraction = fraction();
}

double MiniProgressLineView::fraction() const
{
    const bool loaded = m_engine.duration() > 0;
    const double total = loaded ? m_duration : m_model.displayDuration();
    const double current = loaded ? m_position : m_model.restoredPosition();
    return PlaybackTimeline::fraction(current, total);
}

void MiniProgressLineView::setPosition(double position)
{
    m_position = position;
    refresh();
}

void MiniProgressLineView::setDuration(double duration)
{
    m_duration = duration;
    refresh();
}

void MiniProgressLineView::refresh()
{
    const double shown = fraction();
    if (shown == m_shownFraction)
        return;
    m_shownFraction = shown;
    update();
}

void MiniProgressLineView::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (const QWidget *plate = parentWidget()) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(plate->rect()).translated(-QPointF(pos())), m_plateRadius, m_plateRadius);
        painter.setClipPath(clip);
    }
    painter.fillRect(rect(), theme.sliderTrack);
    const QRectF played(0, 0, width() * m_shownFraction, height());
    painter.fillRect(played, theme.accentGradient);
}
