#pragma once

#include "UI/Model/LyricsOverlayPanel.h"

#include <QPointer>

class AppModel;
class QWidget;

// The desktop lyrics panel: a frameless floating tool window that never takes focus and, while
// locked, lets clicks pass through to what lies beneath. Its content arrives with the desktop
// lyrics themselves.
class LyricsOverlayWindowController : public LyricsOverlayPanel
{
    Q_OBJECT

public:
    explicit LyricsOverlayWindowController(AppModel &model, QObject *parent = nullptr);
    ~LyricsOverlayWindowController() override;

    QWidget *panel() const { return m_panel; }
    bool isLocked() const override { return m_locked; }
    void setLocked(bool locked) override;
    void show() override;
    void hide() override;
    void applySettings() override;

private:
    AppModel &m_model;
    QPointer<QWidget> m_panel;
    bool m_locked = false;
};
