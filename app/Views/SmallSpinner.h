#pragma once

#include <QTimer>
#include <QWidget>

// A small indeterminate progress indicator: a ring of fading spokes that turns while shown.
class SmallSpinner : public QWidget
{
    Q_OBJECT

public:
    explicit SmallSpinner(QWidget *parent = nullptr);

    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer m_turn;
    int m_step = 0;
};
