#pragma once

#include "WindowShadow.h"

#include <QList>
#include <QWidget>

// A frameless floating window that casts a shadow: its content sits inside a margin that holds
// the shadow. The window is placed by its frame, the content's rectangle on the screen. Only the
// content takes the pointer; clicks on the shadow reach the windows below. That needs X11 and a
// compositor (without one nothing behind a window shows through); elsewhere there is neither
// margin nor shadow.
class ShadowPanel : public QWidget
{
    Q_OBJECT

public:
    ShadowPanel(qreal cornerRadius, QList<WindowShadow::Style> shadows, Qt::WindowFlags flags);

    void setContent(QWidget *content);
    QMargins shadowMargins() const { return m_margins; }
    QRect frame() const;
    void setFrame(const QRect &frame);
    // A backdrop that fades casts a fading shadow.
    void setShadowOpacity(qreal opacity);
    qreal shadowOpacity() const { return m_shadowOpacity; }
    // Input goes to the content only, also as the window grows; called again after the window's
    // input flags changed, which give it the window's size of that moment.
    void updateInputRegion();

    // The frame of a top-level window: a shadow panel's, else its geometry.
    static QRect frameOf(const QWidget *window);
    static void setFrameOf(QWidget *window, const QRect &frame);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    qreal m_cornerRadius;
    QList<WindowShadow::Style> m_shadows;
    QMargins m_margins;
    qreal m_shadowOpacity = 1;
};
