#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A top-level window of the X server, as xwininfo lists it.
struct XWindow
{
    QString id;
    QString name;
    QRect frame;
};

// Drives a private X server the way a person does: real pointer clicks and key presses through
// xdotool, windows found by their titles, screenshots of the whole screen.
class XDesktop
{
public:
    explicit XDesktop(QStringList environment);

    // Mapped top-level windows, top-most first.
    QList<XWindow> windows() const;
    // The top-most mapped window titled exactly `name`, waited for up to `timeoutMs`.
    std::optional<XWindow> waitForWindow(const QString &name, int timeoutMs = 15000) const;
    // True once no mapped window is titled `name`.
    bool waitForNoWindow(const QString &name, int timeoutMs = 15000) const;

    // Clicks the window and waits until it has the keyboard: without a window manager a window
    // takes the keyboard when it is clicked.
    bool activate(const XWindow &window, QPoint point) const;

    // Clicks (button 1 left, 3 right) at a point given relative to the window's top-left corner.
    void click(const XWindow &window, QPoint point, int button = 1) const;
    void moveTo(const XWindow &window, QPoint point) const;
    // Key names as xdotool knows them ("ctrl+q", "space", "Return").
    void keys(const QStringList &keys) const;
    void type(const QString &text) const;
    // Saves the whole screen as a PNG; false when the screenshot failed.
    bool screenshot(const QString &path) const;

    QStringList environment() const { return m_environment; }

private:
    QString xdotool(const QStringList &arguments) const;

    QStringList m_environment;
};

// Polls `condition` every 50 ms until it holds or `timeoutMs` has passed.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs);
