#pragma once

#include <QWidget>

class AppModel;
class PlaybackEngine;

// The 2-point line along the mini player's bottom edge, filled with the played share of the
// track. It follows the engine's position and duration itself; the corners of the strip's plate
// (radius `plateRadius` around the parent's rectangle) cut its ends.
class MiniProgressLineView : public QWidget
{
    Q_OBJECT

public:
    MiniProgressLineView(AppModel &model, PlaybackEngine &engine, qreal plateRadius, QWidget *parent = nullptr);

    double fraction() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setPosition(double position);
    void setDuration(double duration);
    void refresh();

    AppModel &m_model;
    PlaybackEngine &m_engine;
    qreal m_plateRadius;
    double m_position = 0;
    double m_duration = 0;
    double m_shownFraction = 0;
};
