#include "XDesktop.h"

#include "ChildProcesses.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

XDesktop::XDesktop(QStringList environment)
    : m_environment(std::move(environment))
{
}

QList<XWindow> XDesktop::windows() const
{
    // A line per child of the root window, top-most first:
    //      0x60002a "Quillmere": ("quillmere" "Quillmere")  560x120+440+690  +440+690
    static const QRegularExpression line(
        QString::fromLatin1(R"re(^\s*(0x[0-9a-f]+) "(.*)": \(.*\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s)re"));
    QList<XWindow> found;
    const QString listing = runTool(
        QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-children") }, m_environment);
    for (const QString &text : listing.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const QString id = match.captured(1);
        // Unmapped windows stay in the tree; xdotool lists only the visible ones.
        found.append({ id, match.captured(2),
            QRect(match.captured(5).toInt(), match.captured(6).toInt(), match.captured(3).toInt(),
                match.captured(4).toInt()) });
    }
    // Windows without a title of their own (the desktop lyrics) match by class only.
    QStringList visible;
    for (const QString &property : { QStringLiteral("--name"), QStringLiteral("--class") }) {
        visible += xdotool(
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), property, QStringLiteral(".") })
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    found.removeIf([&visible](const XWindow &window) {
        return !visible.contains(QString::number(window.id.toULongLong(nullptr, 16)));
    });
    return found;
}

std::optional<XWindow> XDesktop::waitForWindow(const QString &name, int timeoutMs) const
{
    std::optional<XWindow> window;
    waitUntil(
        [&] {
            for (const XWindow &candidate : windows()) {
                if (candidate.name == name) {
                    window = candidate;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return window;
}

bool XDesktop::waitForNoWindow(const QString &name, int timeoutMs) const
{
    return waitUntil(
        [&] {
            const QList<XWindow> shown = windows();
            return std::none_of(
                shown.begin(), shown.end(), [&](const XWindow &window) { return window.name == name; });
        },
        timeoutMs);
}

bool XDesktop::activate(const XWindow &window, QPoint point) const
{
    click(window, point);
    const QString id = QString::number(window.id.toULongLong(nullptr, 16));
    return waitUntil([&] { return xdotool({ QStringLiteral("getwindowfocus") }) == id; }, 5000);
}

void XDesktop::click(const XWindow &window, QPoint point, int button) const
{
    moveTo(window, point);
    // A short rest lets hover effects settle, as a hand would.
    QThread::msleep(120);
    xdotool({ QStringLiteral("click"), QString::number(button) });
}

void XDesktop::moveTo(const XWindow &window, QPoint point) const
{
    const QPoint target = window.frame.topLeft() + point;
    xdotool({ QStringLiteral("mousemove"), QString::number(target.x()), QString::number(target.y()) });
}

void XDesktop::keys(const QStringList &keys) const
{
    xdotool(QStringList { QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80") } + keys);
}

void XDesktop::type(const QString &text) const
{
    xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), text });
}

bool XDesktop::screenshot(const QString &path) const
{
    // import gives up now and then when a window goes away while it reads the screen.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int exitCode = -1;
        runTool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, m_environment,
                20000, &exitCode);
        if (exitCode == 0)
            return true;
    }
    return false;
}

QString XDesktop::xdotool(const QStringList &arguments) const
{
    return runTool(QStringLiteral("xdotool"), arguments, m_environment);
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}
