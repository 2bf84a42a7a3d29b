#pragma once

#include <QAbstractButton>

// The round accent button in the middle of the player bar: a pause symbol while playing, else
// a play symbol, on an accent circle with a coloured and a dark shadow. The widget leaves room
// around the circle for the shadows; only the circle takes clicks.
class PlayPauseButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int diameter = 38;
    // Room on every side for the shadows.
    static constexpr int shadowMargin = 15;

    explicit PlayPauseButton(QWidget *parent = nullptr);

    bool showsPause() const { return m_showsPause; }
    // The symbol, tooltip and accessible name: "暂停" while playing, else "播放".
    void setShowsPause(bool showsPause);

protected:
    bool hitButton(const QPoint &position) const override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_showsPause = false;
};
