#include "VolumePopover.h"

#include "Localization.h"
#include "UI/Fonts.h"
#include "UI/GlassPanelModifier.h"
#include "UI/ThemeEnvironment.h"
#include "VerticalVolumeSlider.h"
#include "VolumeMuteButton.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Room between the popover's bottom edge and the button.
constexpr int anchorGap = 4;

} // namespace

VolumePopover::VolumePopover(QWidget *anchor)
    : QWidget(anchor, Qt::Popup | Qt::FramelessWindowHint)
    , m_anchor(anchor)
    , m_slider(new VerticalVolumeSlider)
    , m_muteButton(new VolumeMuteButton)
    , m_percent(new QLabel)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_percent->setTextFormat(Qt::PlainText);
    m_percent->setFont(Fonts::system(9.5));
    m_percent->setAlignment(Qt::AlignCenter);

    auto *content = new QWidget;
    content->setFixedWidth(panelWidth);
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(12, 10, 12, 10);
    stack->setSpacing(8);
    stack->addWidget(m_slider, 0, Qt::AlignHCenter);
    stack->addWidget(m_muteButton, 0, Qt::AlignHCenter);
    stack->addWidget(m_percent, 0, Qt::AlignHCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(glassPanel(content, 10));

    connect(m_slider, &VerticalVolumeSlider::valueEdited, this, &VolumePopover::volumeEdited);
    connect(m_muteButton, &VolumeMuteButton::clicked, this, &VolumePopover::muteToggled);
}

QString VolumePopover::percentText(double volume)
{
    return Lf("%lld%", qint64(std::llround(volume * 100)));
}

QString VolumePopover::percentText() const
{
    return m_percent->text();
}

void VolumePopover::setVolume(double volume)
{
    m_volume = volume;
    m_slider->setValue(volume);
    m_muteButton->setShowsMuted(volume <= 0.0001);
    m_percent->setText(percentText(volume));
}

void VolumePopover::popUp()
{
    const ThemePalette palette = ThemeEnvironment::theme(m_anchor);
    QColor percentColour = palette.text;
    percentColour.setAlphaF(palette.tokens.isDark ? 0.5f : 0.62f);
    QPalette labelPalette = m_percent->palette();
    labelPalette.setColor(QPalette::WindowText, percentColour);
    m_percent->setPalette(labelPalette);

    adjustSize();
    const QPoint anchorTop = m_anchor->mapToGlobal(QPoint(m_anchor->width() / 2, 0));
    move(anchorTop - QPoint(width() / 2, height() + anchorGap));
    show();
}

void VolumePopover::mousePressEvent(QMouseEvent *event)
{
    // The press that closes the popover must not reach the button again and reopen it.
    const QPoint global = event->globalPosition().toPoint();
    if (m_anchor->rect().contains(m_anchor->mapFromGlobal(global)))
        setAttribute(Qt::WA_NoMouseReplay);
    QWidget::mousePressEvent(event);
}

void VolumePopover::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit closed();
}
