#include "LyricsOverlayWindowController.h"

#include <QWidget>
#include <QWindow>

LyricsOverlayWindowController::LyricsOverlayWindowController(AppModel &model, QObject *parent)
    : LyricsOverlayPanel(parent)
    , m_model(model)
    , m_panel(new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                                       | Qt::WindowStaysOnTopHint))
{
    m_panel->setObjectName(QStringLiteral("lyricsOverlayPanel"));
    m_panel->setAttribute(Qt::WA_ShowWithoutActivating);
    m_panel->setAttribute(Qt::WA_TranslucentBackground);
}

LyricsOverlayWindowController::~LyricsOverlayWindowController()
{
    delete m_panel;
}

void LyricsOverlayWindowController::show()
{
    m_panel->show();
}

void LyricsOverlayWindowController::hide()
{
    m_panel->hide();
}

void LyricsOverlayWindowController::applySettings()
{
    setLocked(m_locked);
}

void LyricsOverlayWindowController::setLocked(bool locked)
{
    m_locked = locked;
    // Locked lyrics let every click through to the windows beneath.
    if (QWindow *window = m_panel->windowHandle())
        window->setFlag(Qt::WindowTransparentForInput, locked);
    else
        m_panel->setWindowFlag(Qt::WindowTransparentForInput, locked);
}
