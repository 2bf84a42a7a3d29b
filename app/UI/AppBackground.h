#pragma once

#include <QWidget>

// The full-window background of the main window and the sheets: the palette's background
// gradient with two soft accent glows and two accent light pools.
class AppBackground : public QWidget
{
    Q_OBJECT

public:
    explicit AppBackground(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
