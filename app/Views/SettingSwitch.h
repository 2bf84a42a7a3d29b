#pragma once

#include <QCheckBox>

// A small on/off switch with its title beside it, drawn from the theme palette: the track in the
// accent while on, the knob on the side of the state; the title in the text colour at 0.82.
class SettingSwitch : public QCheckBox
{
    Q_OBJECT

public:
    explicit SettingSwitch(const QString &title, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &position) const override;
};
