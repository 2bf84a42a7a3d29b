#pragma once

#include <QAbstractButton>

// The volume popover's mute button: a crossed-out speaker while muted (a click unmutes), else
// the speaker with waves (a click mutes), in the text colour.
class VolumeMuteButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit VolumeMuteButton(QWidget *parent = nullptr);

    bool showsMuted() const { return m_muted; }
    // The symbol, tooltip and accessible name: "取消静音" while muted, else "静音".
    void setShowsMuted(bool muted);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_muted = false;
};
