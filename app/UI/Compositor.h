#pragma once

class QWidget;

// Whether translucent windows can show what lies behind them.
namespace Compositor {

// Wayland always composites; under X11 a compositing manager must own the _NET_WM_CM_S0
// selection; other platforms (offscreen, framebuffers) cannot. Asked once per process.
bool isRunning();

// Whether the see-through pixels a widget paints show what lies behind them: always inside an
// opaque window (they blend with the window's own content), in a translucent window only with a
// compositor. Backdrops paint opaque where this is false.
bool canShowThrough(const QWidget *widget);

} // namespace Compositor
