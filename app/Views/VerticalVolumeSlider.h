#pragma once

#include <QWidget>

// The popover's upright level slider: a capsule track, the filled part below the level and a
// white knob. A press sets the level at its height and a drag follows the pointer, each step
// reported at once.
class VerticalVolumeSlider : public QWidget
{
    Q_OBJECT

public:
    explicit VerticalVolumeSlider(QWidget *parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);

    // The level at a height of a slider `height` pixels tall: 1 at the top, 0 at the bottom,
    // clamped beyond either end.
    static double valueAt(qreal y, qreal height);

signals:
    // A press or drag step moved the level.
    void valueEdited(double value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    qreal usableHeight() const;

    double m_value = 0;
};
