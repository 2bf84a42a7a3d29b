#include "LyricsOverlayWindowController.h"

#include "LyricsOverlayFrame.h"
#include "UI/AppModel.h"
#include "UI/Compositor.h"
#include "UI/ShadowPanel.h"
#include "UI/ThemeEnvironment.h"
#include "Views/LockedLyricsControlsView.h"
#include "Views/LyricsOverlayView.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPainterPath>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QWindow>

namespace {

const QString frameKey = QStringLiteral("lyricsOverlayFrame");

// The pill's own shadow, beneath the window's.
const WindowShadow::Style pillShadow{QColor(0, 0, 0, 41), 6, QPointF(0, 2)};

ShadowPanel *floatingPanel(const QString &name, qreal cornerRadius, QList<WindowShadow::Style> shadows)
{
    auto *panel = new ShadowPanel(cornerRadius, std::move(shadows),
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint);
    panel->setObjectName(name);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    return panel;
}

QList<QRect> usableAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

std::optional<QRect> mainUsableArea()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return std::nullopt;
}

QRegion roundedRegion(QSize size, qreal radius)
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(), QSizeF(size)), radius, radius);
    return QRegion(shape.toFillPolygon().toPolygon());
}

} // namespace

LyricsOverlayWindowController::LyricsOverlayWindowController(AppModel &model, ThemeEnvironment &theme, QObject *parent)
    : LyricsOverlayPanel(parent)
    , m_model(model)
    , m_panel(floatingPanel(QStringLiteral("lyricsOverlayPanel"), LyricsOverlayView::cornerRadius, {WindowShadow::panel}))
    , m_controlsPanel(floatingPanel(QStringLiteral("lyricsControlsPanel"), LyricsOverlayFrame::controlsSize.height() / 2.0,
          {pillShadow, WindowShadow::panel}))
    , m_pointer{[] { return QCursor::pos(); }, [] { return QGuiApplication::mouseButtons() != Qt::NoButton; }}
{
    m_view = new LyricsOverlayView(model, [self = QPointer(this)](int delta) {
        if (self)
            self->resizeWidth(delta);
    });
    m_panel->setContent(m_view);
    // The backdrop casts the shadow: it comes and goes with it.
    m_panel->setShadowOpacity(m_view->chromeOpacity());
    connect(m_view, &LyricsOverlayView::chromeOpacityChanged, m_panel, &ShadowPanel::setShadowOpacity);

    m_controls = new LockedLyricsControlsView(model);
    m_controls->onMove = [self = QPointer(this)](QPoint step) {
        if (self)
            self->moveBy(step);
    };
    m_controlsPanel->setContent(m_controls);
    m_controlsPanel->setFixedSize(LyricsOverlayFrame::controlsSize.grownBy(m_controlsPanel->shadowMargins()));

    theme.addRoot(m_panel);
    theme.addRoot(m_controlsPanel);
    m_panel->setFrame(restoredFrame());
    shapeWithoutCompositor();

    m_pointerPoll.setInterval(pointerPollMs);
    connect(&m_pointerPoll, &QTimer::timeout, this, &LyricsOverlayWindowController::updateLockedControls);

    m_locked = m_model.isLyricsLocked();
    applyInputTransparency();
    m_panel->installEventFilter(this);
}

LyricsOverlayWindowController::~LyricsOverlayWindowController()
{
    // The panel sends events while it is taken apart; they are no longer ours to handle.
    m_panel->removeEventFilter(this);
    delete m_controlsPanel;
    delete m_panel;
}

void LyricsOverlayWindowController::show()
{
    if (!m_panel->isVisible()) {
        applySettings();
        ensureOnScreen();
    }
    m_panel->show();
    m_panel->raise();
    refreshPointerWatch();
    updateLockedControls();
}

void LyricsOverlayWindowController::hide()
{
    m_panel->hide();
    m_controlsPanel->hide();
    refreshPointerWatch();
}

void LyricsOverlayWindowController::setLocked(bool locked)
{
    m_locked = locked;
    applyInputTransparency();
    refreshPointerWatch();
    if (locked)
        updateLockedControls();
    else
        m_controlsPanel->hide();
}

// The level and the lock. X11 and Wayland cannot keep a window out of screen captures, so the
// capture setting changes nothing here.
void LyricsOverlayWindowController::applySettings()
{
    if (QWindow *window = m_panel->windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, true);
    m_locked = m_model.isLyricsLocked();
    applyInputTransparency();
    refreshPointerWatch();
}

void LyricsOverlayWindowController::applyInputTransparency()
{
    // Flags of a window that exists change through its handle: setWindowFlags would hide it.
    if (QWindow *window = m_panel->windowHandle()) {
        window->setFlag(Qt::WindowTransparentForInput, m_locked);
        m_panel->updateInputRegion();
    } else {
        m_panel->setWindowFlag(Qt::WindowTransparentForInput, m_locked);
    }
}

// Without a compositor see-through pixels show black, so both windows are cut to their shapes
// and the overlay keeps its backdrop.
void LyricsOverlayWindowController::shapeWithoutCompositor()
{
    if (Compositor::isRunning())
        return;
    m_panel->setMask(roundedRegion(m_panel->size(), LyricsOverlayView::cornerRadius));
    m_controlsPanel->setMask(roundedRegion(m_controlsPanel->size(), m_controlsPanel->height() / 2.0));
}

QRect LyricsOverlayWindowController::restoredFrame() const
{
    const QSettings settings;
    const std::optional<QString> stored
        = settings.contains(frameKey) ? std::optional(settings.value(frameKey).toString()) : std::nullopt;
    return LyricsOverlayFrame::restored(stored, usableAreas(), mainUsableArea());
}

void LyricsOverlayWindowController::ensureOnScreen()
{
    if (const std::optional<QRect> frame = LyricsOverlayFrame::onScreen(m_panel->frame(), usableAreas(), mainUsableArea()))
        m_panel->setFrame(*frame);
}

void LyricsOverlayWindowController::resizeWidth(int delta)
{
    const std::optional<QRect> frame = LyricsOverlayFrame::widened(m_panel->frame(), delta);
    if (!frame)
        return;
    m_panel->setFrame(*frame);
    saveFrame();
}

void LyricsOverlayWindowController::saveFrame()
{
    QSettings().setValue(frameKey, LyricsOverlayFrame::text(m_panel->frame()));
}

void LyricsOverlayWindowController::moveBy(QPoint step)
{
    if (step.isNull())
        return;
    m_panel->setFrame(m_panel->frame().translated(step));
    layoutLockedControls();
}

bool LyricsOverlayWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        if (event->type() == QEvent::Resize)
            shapeWithoutCompositor();
        frameDidChange();
    }
    return LyricsOverlayPanel::eventFilter(watched, event);
}

// The window system may move a hidden window; only frames the user sees are kept.
void LyricsOverlayWindowController::frameDidChange()
{
    if (m_panel->isVisible()) {
        saveFrame();
        layoutLockedControls();
    } else {
        m_controlsPanel->hide();
    }
}

void LyricsOverlayWindowController::refreshPointerWatch()
{
    if (m_locked && m_panel->isVisible())
        m_pointerPoll.start();
    else
        m_pointerPoll.stop();
}

void LyricsOverlayWindowController::updateLockedControls()
{
    if (m_locked && m_panel->isVisible()) {
        const QPoint pointer = m_pointer.position();
        const QRect approach = m_panel->frame().adjusted(-pointerApproachMargin, -pointerApproachMargin,
                                                         pointerApproachMargin, pointerApproachMargin);
        m_pointerPoll.setInterval(approach.contains(pointer) ? pointerPollMs : restingPointerPollMs);
        if (LyricsOverlayFrame::isInHoverZone(m_panel->frame(), pointer)) {
            setLockedControlsVisible(true);
            return;
        }
        // A drag of the pill that strays outside keeps it.
        if (m_pointer.isButtonHeld())
            return;
    }
    m_controlsPanel->hide();
}

void LyricsOverlayWindowController::setLockedControlsVisible(bool visible)
{
    if (visible && m_locked && m_panel->isVisible()) {
        layoutLockedControls();
        if (!m_controlsPanel->isVisible()) {
            m_controlsPanel->show();
            m_controlsPanel->raise();
        }
        return;
    }
    m_controlsPanel->hide();
}

void LyricsOverlayWindowController::layoutLockedControls()
{
    if (m_panel->isVisible())
        m_controlsPanel->setFrame(
            QRect(LyricsOverlayFrame::controlsOrigin(m_panel->frame()), LyricsOverlayFrame::controlsSize));
}
