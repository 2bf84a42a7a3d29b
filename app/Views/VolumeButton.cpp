#include "VolumeButton.h"

#include "Localization.h"
#include "UI/AppModel.h"
#include "VolumePopover.h"

VolumeButton::VolumeButton(AppModel &model, QWidget *parent)
    : PlayerIconButton(symbolFor(model.volume()), 18, 30, parent)
    , m_model(model)
    , m_popover(new VolumePopover(this))
{
    connect(this, &VolumeButton::clicked, this, &VolumeButton::togglePopover);
    connect(&m_model, &AppModel::volumeChanged, this, &VolumeButton::showVolume);
    connect(m_popover, &VolumePopover::volumeEdited, &m_model, &AppModel::setVolume);
    connect(m_popover, &VolumePopover::muteToggled, this, &VolumeButton::toggleMute);
    connect(m_popover, &VolumePopover::closed, this, [this] { setPinned(false); });
    showVolume();
}

bool VolumeButton::isPresented() const
{
    return m_popover->isVisible();
}

Icons::Symbol VolumeButton::symbolFor(double volume)
{
    if (volume <= mutedLevel)
        return Icons::speakerSlash;
    return volume < 0.34 ? Icons::speakerWave1 : Icons::speakerWave3;
}

void VolumeButton::showVolume()
{
    const double volume = m_model.volume();
    setSymbol(symbolFor(volume), 18);
    setHelp(volume <= mutedLevel ? L("取消静音") : L("音量"));
    m_popover->setVolume(volume);
}

void VolumeButton::togglePopover()
{
    if (isPresented()) {
        m_popover->hide();
        return;
    }
    setPinned(true);
    m_popover->popUp();
}

void VolumeButton::toggleMute()
{
    const double volume = m_model.volume();
    if (volume <= mutedLevel) {
        m_model.setVolume(m_lastVolume > mutedLevel ? m_lastVolume : 0.8);
        return;
    }
    m_lastVolume = volume;
    m_model.setVolume(0);
}
