#pragma once

#include "UI/Model/MiniPlayerPanel.h"

#include <QPointer>

#include <functional>

class AppModel;
class QWidget;

// The floating mini player panel: a frameless tool window that never takes focus. It tells the
// model whether it is visible and keeps the spectrum rule; its content arrives with the mini
// player itself.
class MiniPlayerWindowController : public MiniPlayerPanel
{
    Q_OBJECT

public:
    explicit MiniPlayerWindowController(AppModel &model, QObject *parent = nullptr);
    ~MiniPlayerWindowController() override;

    QWidget *panel() const { return m_panel; }
    bool isVisible() const;
    void show() override;
    void hide() override;
    void applySettings() override;

    // Run after the panel hides itself to bring the main window back.
    std::function<void()> onExpand;

private:
    void updateSpectrum();

    AppModel &m_model;
    QPointer<QWidget> m_panel;
};
