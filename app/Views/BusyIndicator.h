#pragma once

#include <QTimer>
#include <QWidget>

// A small spinning arc that says work is under way; it turns only while it is shown.
class BusyIndicator : public QWidget
{
    Q_OBJECT

public:
    // `side`: the square it draws in; the arc's colour is the palette's text colour.
    explicit BusyIndicator(int side, QWidget *parent = nullptr);

    QSize sizeHint() const override { return { m_side, m_side }; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_side;
    int m_angle = 0;
    QTimer m_timer;
};
