#pragma once

#include "UI/Model/MiniPlayerPanel.h"

#include <QPointer>
#include <QSize>

#include <functional>

class AppModel;
class MiniPlayerView;
class ThemeEnvironment;
class QWidget;

// The floating mini player panel: a frameless tool window that never takes focus, holding the
// mini player strip. It places the panel where the user left it (kept on a screen), keeps it
// above other windows while the setting asks for it, tells the model whether it is visible and
// keeps the engine's spectrum running while it shows.
class MiniPlayerWindowController : public MiniPlayerPanel
{
    Q_OBJECT

public:
    // The panel's content size.
    static constexpr QSize size{480, 66};

    MiniPlayerWindowController(AppModel &model, ThemeEnvironment &theme, QObject *parent = nullptr);
    ~MiniPlayerWindowController() override;

    QWidget *panel() const { return m_panel; }
    MiniPlayerView *view() const { return m_view; }
    bool isVisible() const;
    // Places and shows a hidden panel; a visible one is only raised.
    void show() override;
    // Also when the panel is hidden already: the model and the spectrum follow in any case.
    void hide() override;
    void applySettings() override;

    // Run after the panel hides itself through the strip's expand button.
    std::function<void()> onExpand;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointF restoredOrigin() const;
    void saveOrigin() const;
    void updateSpectrum();

    AppModel &m_model;
    QPointer<QWidget> m_panel;
    MiniPlayerView *m_view = nullptr;
};
