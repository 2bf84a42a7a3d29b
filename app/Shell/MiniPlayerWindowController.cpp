#include "MiniPlayerWindowController.h"

#include "UI/AppModel.h"

#include <QWidget>
#include <QWindow>

namespace {

QWidget *floatingPanel()
{
    auto *panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                                           | Qt::WindowStaysOnTopHint);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    return panel;
}

} // namespace

MiniPlayerWindowController::MiniPlayerWindowController(AppModel &model, QObject *parent)
    : MiniPlayerPanel(parent), m_model(model), m_panel(floatingPanel())
{
    m_panel->setObjectName(QStringLiteral("miniPlayerPanel"));
    applySettings();
}

MiniPlayerWindowController::~MiniPlayerWindowController()
{
    delete m_panel;
}

bool MiniPlayerWindowController::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

void MiniPlayerWindowController::show()
{
    const bool wasHidden = !isVisible();
    m_panel->show();
    m_panel->raise();
    if (!m_model.isMiniPlayerVisible())
        m_model.setMiniPlayerVisible(true);
    if (wasHidden)
        updateSpectrum();
}

void MiniPlayerWindowController::hide()
{
    m_panel->hide();
    if (m_model.isMiniPlayerVisible())
        m_model.setMiniPlayerVisible(false);
    updateSpectrum();
}

void MiniPlayerWindowController::applySettings()
{
    const AppSettings &settings = m_model.library().settings();
    if (QWindow *window = m_panel->windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, settings.miniAlwaysOnTop);
    else
        m_panel->setWindowFlag(Qt::WindowStaysOnTopHint, settings.miniAlwaysOnTop);
}

void MiniPlayerWindowController::updateSpectrum()
{
    m_model.engine().setSpectrumEnabled(isVisible() || m_model.library().settings().showMainSpectrum);
}
