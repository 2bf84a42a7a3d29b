#pragma once

#include "PlayerIconButton.h"

class AppModel;
class VolumePopover;

// The speaker button of the player bar. Its symbol follows the model's volume (crossed out at
// or below 0.0001, one wave below 0.34, three waves above); a click opens or closes the volume
// popover, which writes every change into the model's volume. Muting remembers the level that
// unmuting brings back.
class VolumeButton : public PlayerIconButton
{
    Q_OBJECT

public:
    // At or below this level the volume counts as muted.
    static constexpr double mutedLevel = 0.0001;

    explicit VolumeButton(AppModel &model, QWidget *parent = nullptr);

    VolumePopover *popover() const { return m_popover; }
    bool isPresented() const;
    double lastVolume() const { return m_lastVolume; }

    // Mutes, keeping the level for later, or unmutes to that level (0.8 when there is none).
    void toggleMute();

    static Icons::Symbol symbolFor(double volume);

private:
    void showVolume();
    void togglePopover();

    AppModel &m_model;
    VolumePopover *m_popover;
    double m_lastVolume = 0.8;
};
