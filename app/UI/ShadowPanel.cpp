#include "ShadowPanel.h"

#include "Compositor.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>

#ifdef QUILLMERE_HAVE_XCB_SHAPE
#include <QtGui/qguiapplication_platform.h>
#include <xcb/shape.h>
#endif

namespace {

QMargins roomFor(const QList<WindowShadow::Style> &shadows)
{
    QMargins room;
    for (const WindowShadow::Style &shadow : shadows) {
        const QMargins margins = WindowShadow::margins(shadow);
        room = QMargins(std::max(room.left(), margins.left()), std::max(room.top(), margins.top()),
            std::max(room.right(), margins.right()), std::max(room.bottom(), margins.bottom()));
    }
    return room;
}

// The margin would take the clicks meant for the windows below unless input can be kept to the
// content: under X11 through the shape extension. Elsewhere the window goes without a shadow.
bool keepsInputToContent()
{
#if defined(QUILLMERE_HAVE_XCB_SHAPE) && QT_CONFIG(xcb)
    return QGuiApplication::platformName() == QLatin1String("xcb");
#else
    return false;
#endif
}

} // namespace

ShadowPanel::ShadowPanel(qreal cornerRadius, QList<WindowShadow::Style> shadows, Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
    , m_cornerRadius(cornerRadius)
    , m_shadows(std::move(shadows))
    , m_margins(Compositor::isRunning() && keepsInputToContent() ? roomFor(m_shadows) : QMargins())
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(m_margins);
}

void ShadowPanel::setContent(QWidget *content)
{
    layout()->addWidget(content);
}

QRect ShadowPanel::frame() const
{
    return geometry().marginsRemoved(m_margins);
}

void ShadowPanel::setFrame(const QRect &frame)
{
    setGeometry(frame.marginsAdded(m_margins));
}

void ShadowPanel::setShadowOpacity(qreal opacity)
{
    if (opacity == m_shadowOpacity)
        return;
    m_shadowOpacity = opacity;
    if (!m_margins.isNull())
        update();
}

QRect ShadowPanel::frameOf(const QWidget *window)
{
    if (const auto *panel = qobject_cast<const ShadowPanel *>(window))
        return panel->frame();
    return window->geometry();
}

void ShadowPanel::setFrameOf(QWidget *window, const QRect &frame)
{
    if (auto *panel = qobject_cast<ShadowPanel *>(window))
        panel->setFrame(frame);
    else
        window->setGeometry(frame);
}

void ShadowPanel::paintEvent(QPaintEvent *)
{
    if (m_margins.isNull() || m_shadowOpacity <= 0)
        return;
    QPainter painter(this);
    painter.setOpacity(m_shadowOpacity);
    const QRectF shape = QRectF(rect().marginsRemoved(m_margins));
    // The shadow lies beneath the content only: what a translucent content lets through is the desktop.
    QPainterPath outside;
    outside.addRect(QRectF(rect()));
    QPainterPath inside;
    inside.addRoundedRect(shape, m_cornerRadius, m_cornerRadius);
    painter.setClipPath(outside.subtracted(inside));
    for (const WindowShadow::Style &shadow : m_shadows)
        WindowShadow::paint(painter, shape, m_cornerRadius, shadow);
}

void ShadowPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateInputRegion();
}

void ShadowPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateInputRegion();
}

void ShadowPanel::updateInputRegion()
{
#if defined(QUILLMERE_HAVE_XCB_SHAPE) && QT_CONFIG(xcb)
    QWindow *window = windowHandle();
    if (!window || !window->handle() || window->flags().testFlag(Qt::WindowTransparentForInput))
        return;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    const qreal ratio = devicePixelRatioF();
    const QRect content = rect().marginsRemoved(m_margins);
    const xcb_rectangle_t area{int16_t(std::lround(content.x() * ratio)), int16_t(std::lround(content.y() * ratio)),
        uint16_t(std::lround(content.width() * ratio)), uint16_t(std::lround(content.height() * ratio))};
    xcb_shape_rectangles(x11->connection(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
        xcb_window_t(window->winId()), 0, 0, 1, &area);
#endif
}
