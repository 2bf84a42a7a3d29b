#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>

class AppModel;

// The pill shown beside a locked desktop lyrics overlay while the pointer is over it: an unlock
// button and a handle that moves the overlay.
class LockedLyricsControlsView : public QWidget
{
    Q_OBJECT

public:
    explicit LockedLyricsControlsView(AppModel &model, QWidget *parent = nullptr);

    // Each step of a drag on the handle, in screen pixels (y downwards).
    std::function<void(QPoint)> onMove;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class Handle;
};
