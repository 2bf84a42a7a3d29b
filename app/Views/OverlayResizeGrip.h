#pragma once

#include <QRect>
#include <QWidget>

// The 16 px grip in the desktop lyrics' bottom-right corner: dragging it resizes the window's
// frame within the overlay's limits while its top-left corner stays. It only sets the frame; the
// overlay's controller sees the resize and keeps it.
class OverlayResizeGrip : public QWidget
{
    Q_OBJECT

public:
    explicit OverlayResizeGrip(QWidget *parent = nullptr);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QRect m_startFrame;
    QPoint m_startPointer;
    qreal m_opacity = 1;
};
