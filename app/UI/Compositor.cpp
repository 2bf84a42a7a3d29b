#include "Compositor.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef QUILLMERE_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

#ifdef QUILLMERE_HAVE_XCB
bool x11CompositorRunning()
{
#if QT_CONFIG(xcb)
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    constexpr char selection[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(selection), selection), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return running;
#else
    return false;
#endif
}
#endif

bool probe()
{
    if (!qGuiApp)
        return false;
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
#ifdef QUILLMERE_HAVE_XCB
    if (platform == QLatin1String("xcb"))
        return x11CompositorRunning();
#endif
    return false;
}

} // namespace

namespace Compositor {

bool isRunning()
{
    static const bool running = probe();
    return running;
}

bool canShowThrough(const QWidget *widget)
{
    return !widget->window()->testAttribute(Qt::WA_TranslucentBackground) || isRunning();
}

} // namespace Compositor
