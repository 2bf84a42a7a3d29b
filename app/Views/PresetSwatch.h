#pragma once

#include "Theme/ThemePreset.h"

#include <QAbstractButton>

// One theme preset in the appearance card: a tile running from the preset's own background to its
// own accent (in the sheet's lightness, without the custom accent) over the preset's name. The
// selected swatch is ringed in the sheet's accent.
class PresetSwatch : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PresetSwatch(ThemePreset preset, QWidget *parent = nullptr);

    ThemePreset preset() const { return m_preset; }
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ThemePreset m_preset;
    bool m_selected = false;
};
