#pragma once

#include <QObject>
#include <QPointer>

class AppModel;
class QWidget;

// The desktop lyrics panel: a frameless floating tool window that never takes focus and, while
// locked, lets clicks pass through to what lies beneath. Its content arrives with the desktop
// lyrics themselves.
class LyricsOverlayWindowController : public QObject
{
    Q_OBJECT

public:
    explicit LyricsOverlayWindowController(AppModel &model, QObject *parent = nullptr);
    ~LyricsOverlayWindowController() override;

    QWidget *panel() const { return m_panel; }
    bool isLocked() const { return m_locked; }
    void show();
    void hide();
    void setLocked(bool locked);

private:
    AppModel &m_model;
    QPointer<QWidget> m_panel;
    bool m_locked = false;
};
