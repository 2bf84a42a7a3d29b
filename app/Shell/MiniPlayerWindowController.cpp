#include "MiniPlayerWindowController.h"

#include "UI/AppModel.h"

#include <QWidget>

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
    : QObject(parent), m_model(model), m_panel(floatingPanel())
{
    m_panel->setObjectName(QStringLiteral("miniPlayerPanel"));
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
        m_model.setIsMiniPlayerVisible(true);
    if (wasHidden)
        updateSpectrum();
}

void MiniPlayerWindowController::hide()
{
    m_panel->hide();
    if (m_model.isMiniPlayerVisible())
        m_model.setIsMiniPlayerVisible(false);
    updateSpectrum();
}

void MiniPlayerWindowController::updateSpectrum()
{
    m_model.engine().setSpectrumEnabled(isVisible() || m_model.settings().showMainSpectrum);
}
