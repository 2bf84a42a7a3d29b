#pragma once

#include <QColor>
#include <QWidget>

// A small indeterminate progress indicator: an arc that turns while the spinner is shown.
class ActivitySpinner : public QWidget
{
    Q_OBJECT

public:
    explicit ActivitySpinner(int side, QWidget *parent = nullptr);

    QColor color;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    int m_timer = 0;
    int m_angle = 0;
};
