#pragma once

#include <QObject>

class AppModel;

// Where playback stands, as the progress line and the time labels show it: the engine's
// position and length while it has a file loaded, else the model's resume position and the
// current track's length. Keeps its own copies of the engine's published values and says when
// any of them moved.
class PlaybackTimeline : public QObject
{
    Q_OBJECT

public:
    explicit PlaybackTimeline(AppModel &model, QObject *parent = nullptr);

    // Seconds; 0 when nothing is known.
    double total() const;
    double shownPosition() const;

    // Copies the engine's values again (when the view is shown).
    void refresh();

    // `current` over `total`, within 0...1; 0 unless the total is a finite time above 0, and a
    // current time that is not finite counts as 0.
    static double fraction(double current, double total);
    // Whether a seek into this total means anything: finite and above 0.
    static bool isSeekable(double total);

signals:
    void changed();

private:
    bool isLoaded() const;

    AppModel &m_model;
    double m_position = 0;
    double m_duration = 0;
};
