#pragma once

#include "UI/Model/LyricsOverlayPanel.h"
#include "UI/ShadowPanel.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>

class AppModel;
class LockedLyricsControlsView;
class LyricsOverlayView;
class ThemeEnvironment;
class QWidget;

// The desktop lyrics: a frameless floating tool window that never takes focus, holding the
// overlay view, and beside it a small pill with unlock and move for while it is locked. Locked,
// the window lets every click through; the desktop offers no global pointer events, so while
// locked and visible (and only then) the pointer is polled to bring the pill in when it nears the
// overlay. The window's frame is kept on a screen and saved under "lyricsOverlayFrame" while it is
// visible, in screen coordinates.
class LyricsOverlayWindowController : public LyricsOverlayPanel
{
    Q_OBJECT

public:
    static constexpr QSize minSize{280, 70};
    static constexpr QSize maxSize{1200, 420};
    // The pointer is polled often only while it is near the overlay; far from it the poll rests,
    // so an idle program wakes at most twice a second.
    static constexpr int pointerPollMs = 50;
    static constexpr int restingPointerPollMs = 500;
    static constexpr int pointerApproachMargin = 160;

    // Where the pointer is and whether a mouse button is held.
    struct Pointer
    {
        std::function<QPoint()> position;
        std::function<bool()> isButtonHeld;
    };

    LyricsOverlayWindowController(AppModel &model, ThemeEnvironment &theme, QObject *parent = nullptr);
    ~LyricsOverlayWindowController() override;

    ShadowPanel *panel() const { return m_panel; }
    ShadowPanel *controlsPanel() const { return m_controlsPanel; }
    LyricsOverlayView *view() const { return m_view; }
    LockedLyricsControlsView *controls() const { return m_controls; }

    bool isLocked() const override { return m_locked; }
    void setLocked(bool locked) override;
    // Puts a hidden overlay on a screen first.
    void show() override;
    void hide() override;
    void applySettings() override;

    // Around the centre, within the limits; saved when the width changed.
    void resizeWidth(int delta);
    // The pill's drag: moves the overlay by the step and the pill with it.
    void moveBy(QPoint step);
    // Shows the pill while locked, visible and the pointer is near the overlay; a held button
    // keeps it as it is.
    void updateLockedControls();
    bool isWatchingPointer() const { return m_pointerPoll.isActive(); }
    int pointerPollInterval() const { return m_pointerPoll.interval(); }
    void setPointer(Pointer pointer) { m_pointer = std::move(pointer); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect restoredFrame() const;
    void ensureOnScreen();
    void saveFrame();
    void frameDidChange();
    void refreshPointerWatch();
    void setLockedControlsVisible(bool visible);
    void layoutLockedControls();
    void applyInputTransparency();
    void shapeWithoutCompositor();

    AppModel &m_model;
    QPointer<ShadowPanel> m_panel;
    QPointer<ShadowPanel> m_controlsPanel;
    LyricsOverlayView *m_view = nullptr;
    LockedLyricsControlsView *m_controls = nullptr;
    bool m_locked = false;
    QTimer m_pointerPoll;
    Pointer m_pointer;
};
