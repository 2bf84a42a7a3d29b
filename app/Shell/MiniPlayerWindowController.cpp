#include "MiniPlayerWindowController.h"

#include "MiniPlayerPlacement.h"
#include "UI/AppModel.h"
#include "UI/Compositor.h"
#include "UI/ThemeEnvironment.h"
#include "Views/MiniPlayerView.h"

#include <QEvent>
#include <QPainterPath>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QWindow>

namespace {

const QString originXKey = QStringLiteral("miniPlayerOriginX");
const QString originYKey = QStringLiteral("miniPlayerOriginY");

QWidget *floatingPanel()
{
    auto *panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                                           | Qt::WindowStaysOnTopHint);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    // The strip draws its own rounded plate; the corners outside it show the desktop.
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setFixedSize(MiniPlayerWindowController::size);
    // Without a compositor the see-through corners would show black: cut the window to the plate.
    if (!Compositor::isRunning()) {
        QPainterPath plate;
        plate.addRoundedRect(QRectF(QPointF(), QSizeF(MiniPlayerWindowController::size)), MiniPlayerView::plateRadius,
            MiniPlayerView::plateRadius);
        panel->setMask(QRegion(plate.toFillPolygon().toPolygon()));
    }
    return panel;
}

} // namespace

MiniPlayerWindowController::MiniPlayerWindowController(AppModel &model, ThemeEnvironment &theme, QObject *parent)
    : MiniPlayerPanel(parent), m_model(model), m_panel(floatingPanel())
{
    m_panel->setObjectName(QStringLiteral("miniPlayerPanel"));
    m_view = new MiniPlayerView(model, model.engine(), m_panel);
    m_view->setGeometry(0, 0, size.width(), size.height());
    m_view->onExpand = [self = QPointer(this)] {
        if (!self)
            return;
        self->hide();
        if (self->onExpand)
            self->onExpand();
    };
    theme.addRoot(m_panel);
    m_panel->installEventFilter(this);
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
    if (isVisible()) {
        m_panel->raise();
        if (!m_model.isMiniPlayerVisible())
            m_model.setMiniPlayerVisible(true);
        return;
    }
    applySettings();
    m_panel->move(restoredOrigin().toPoint());
    m_panel->show();
    m_panel->raise();
    if (!m_model.isMiniPlayerVisible())
        m_model.setMiniPlayerVisible(true);
    updateSpectrum();
}

void MiniPlayerWindowController::hide()
{
    m_panel->hide();
    if (m_model.isMiniPlayerVisible())
        m_model.setMiniPlayerVisible(false);
    updateSpectrum();
}

// Only the level can be applied here: X11 and Wayland offer no way to keep a window out of
// screen captures, so the capture setting is kept but changes nothing.
void MiniPlayerWindowController::applySettings()
{
    const bool onTop = m_model.library().settings().miniAlwaysOnTop;
    if (QWindow *window = m_panel->windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        m_panel->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

bool MiniPlayerWindowController::eventFilter(QObject *watched, QEvent *event)
{
    // The window system may move a hidden window; only the user's placements are kept.
    if (watched == m_panel && event->type() == QEvent::Move && m_panel->isVisible())
        saveOrigin();
    return MiniPlayerPanel::eventFilter(watched, event);
}

QPointF MiniPlayerWindowController::restoredOrigin() const
{
    const QSettings settings;
    std::optional<QPointF> saved;
    if (settings.contains(originXKey))
        saved = QPointF(settings.value(originXKey).toDouble(), settings.value(originYKey, 0.0).toDouble());
    QList<QRectF> screens;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    }
    return MiniPlayerPlacement::origin(saved, screens, QSizeF(size));
}

void MiniPlayerWindowController::saveOrigin() const
{
    QSettings settings;
    settings.setValue(originXKey, double(m_panel->x()));
    settings.setValue(originYKey, double(m_panel->y()));
}

void MiniPlayerWindowController::updateSpectrum()
{
    m_model.updateSpectrumAnalysis();
}
