#pragma once

#include <QWidget>

class QLabel;
class VerticalVolumeSlider;
class VolumeMuteButton;

// The popup that the volume button opens above itself: the level slider, the mute button and
// the level in percent, on a glass panel. It shows a volume and reports edits; the button owns
// the volume logic. A press outside closes it; a press on the button that opened it only
// closes it (the button does not see that press again).
class VolumePopover : public QWidget
{
    Q_OBJECT

public:
    static constexpr int panelWidth = 58;

    explicit VolumePopover(QWidget *anchor);

    VerticalVolumeSlider *slider() const { return m_slider; }
    VolumeMuteButton *muteButton() const { return m_muteButton; }
    QString percentText() const;

    void setVolume(double volume);
    // Opens centred above the anchor, its bottom edge against the anchor's top.
    void popUp();

    // "80%": the volume as a whole percentage, halves rounded away from zero.
    static QString percentText(double volume);

signals:
    void volumeEdited(double volume);
    void muteToggled();
    void closed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *m_anchor;
    VerticalVolumeSlider *m_slider;
    VolumeMuteButton *m_muteButton;
    QLabel *m_percent;
    double m_volume = 0;
};
