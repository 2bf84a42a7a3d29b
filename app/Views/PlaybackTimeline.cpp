#include "PlaybackTimeline.h"

#include "UI/AppModel.h"

#include <cmath>

PlaybackTimeline::PlaybackTimeline(AppModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    PlaybackEngine &engine = model.engine();
    connect(&engine, &PlaybackEngine::positionChanged, this, [this](double position) {
        m_position = position;
        emit changed();
    });
    connect(&engine, &PlaybackEngine::durationChanged, this, [this](double duration) {
        m_duration = duration;
        emit changed();
    });
    // Shown while nothing is loaded.
    connect(&model, &AppModel::restoredPositionChanged, this, &PlaybackTimeline::changed);
    connect(&model, &AppModel::currentTrackChanged, this, &PlaybackTimeline::changed);
    refresh();
}

void PlaybackTimeline::refresh()
{
    m_position = m_model.engine().position();
    m_duration = m_model.engine().duration();
    emit changed();
}

bool PlaybackTimeline::isLoaded() const
{
    // Asked of the engine itself, not of the copy.
    return m_model.engine().duration() > 0;
}

double PlaybackTimeline::total() const
{
    return isLoaded() ? m_duration : m_model.displayDuration();
}

double PlaybackTimeline::shownPosition() const
{
    return isLoaded() ? m_position : m_model.restoredPosition();
}

double PlaybackTimeline::fraction(double current, double total)
{
    if (!isSeekable(total) || !std::isfinite(current))
        return 0;
    return std::clamp(current / total, 0.0, 1.0);
}

bool PlaybackTimeline::isSeekable(double total)
{
    return std::isfinite(total) && total > 0;
}
