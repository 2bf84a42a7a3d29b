#pragma once

#include <QWidget>

class AppModel;
class PlaybackTimeline;

// The elapsed time at the bottom left of the player bar and the total time at the bottom
// right. Repaints on every position the engine publishes; clicks pass through to the bar.
class PlayerBarTimes : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerBarTimes(AppModel &model, QWidget *parent = nullptr);

    QString elapsedText() const;
    QString totalText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    PlaybackTimeline *m_timeline;
};
