#pragma once

#include <QWidget>

// Shown over the whole main window while files hover over it: the window dimmed with the
// player tint and, in the middle, a glass panel that says what a drop will do. Mouse events
// pass through it.
class DropOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit DropOverlay(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
