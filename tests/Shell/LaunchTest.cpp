#include "ChildProcesses.h"
#include "GuiSupport/Screenshots.h"
#include "GuiSupport/SeededDataFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const QString busName = QStringLiteral("com.local.quillmere");

// The real program on a seeded home and a bus of its own.
class LaunchTest : public ::testing::Test
{
protected:
    QStringList environment(const QString &display = {}) const
    {
        QStringList environment = home.environment();
        environment.removeIf([](const QString &entry) {
            return entry.startsWith(QLatin1String("DBUS_SESSION_BUS_ADDRESS=")) || entry.startsWith(QLatin1String("DISPLAY="))
                   || entry.startsWith(QLatin1String("QT_QPA_PLATFORM="));
        });
        environment << QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + bus.address();
        if (display.isEmpty())
            environment << QStringLiteral("QT_QPA_PLATFORM=offscreen");
        else
            environment << QStringLiteral("QT_QPA_PLATFORM=xcb") << QStringLiteral("DISPLAY=") + display;
        return environment;
    }

    void start(QProcess &process, const QStringList &environment)
    {
        process.setEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(QUILLMERE_EXECUTABLE), {});
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    // The window id of the visible main window, once it is mapped.
    QString waitForWindow(const QStringList &environment)
    {
        return findWindow(QStringLiteral("^Quillmere$"), environment).section(u'\n', 0, 0);
    }

    static QString findWindow(const QString &title, const QStringList &environment)
    {
        return runTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
            QStringLiteral("--onlyvisible"), QStringLiteral("--name"), title}, environment, 20000);
    }

    // True when the first window lies above the second in the root window's stacking order.
    static bool isAbove(const QString &window, const QString &other, const QStringList &environment)
    {
        // xwininfo lists the children from the top-most down.
        const QString children = runTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")}, environment);
        const auto position = [&](const QString &id) {
            return children.indexOf(QStringLiteral("0x") + QString::number(id.toULongLong(), 16) + QLatin1Char(' '));
        };
        return position(window) < position(other) && position(window) >= 0;
    }

    static void stop(QProcess &process)
    {
        process.terminate();
        process.waitForFinished(15000);
    }

    SeededDataFolder home;
    PrivateSessionBus bus;
};

TEST_F(LaunchTest, SigtermSavesThePlaybackStateAndQuits)
{
    ASSERT_TRUE(home.isValid() && bus.isRunning());
    QProcess app;
    start(app, environment());
    ASSERT_TRUE(bus.waitForName(busName, 20000));

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(15000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);

    const QJsonObject settings = QJsonDocument::fromJson(home.readDataFile(QStringLiteral("settings.json"))).object();
    EXPECT_DOUBLE_EQ(settings.value(QLatin1String("lastPosition")).toDouble(), 42.5);
    EXPECT_EQ(settings.value(QLatin1String("lastTrackID")).toString(), QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A01"));
    // The seed has four keys; a file written by the save holds every one.
    EXPECT_TRUE(settings.contains(QLatin1String("keepRunningOnClose")));
}

TEST_F(LaunchTest, SecondLaunchExitsAndTheFirstShowsItsPaintedWindow)
{
    VirtualDisplay display;
    ASSERT_TRUE(home.isValid() && bus.isRunning() && display.isRunning());
    const QStringList env = environment(display.name());
    QProcess first;
    start(first, env);
    const QString window = waitForWindow(env);
    ASSERT_FALSE(window.isEmpty());

    // Another client's window covers it.
    QProcess other;
    other.setEnvironment(env);
    other.start(QStringLiteral("display"), {QStringLiteral("-title"), QStringLiteral("other"), QStringLiteral("-size"),
                                                QStringLiteral("64x64"), QStringLiteral("xc:gray")});
    const QString otherWindow = findWindow(QStringLiteral("^other$"), env);
    ASSERT_FALSE(otherWindow.isEmpty());
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), otherWindow}, env);
    ASSERT_TRUE(isAbove(otherWindow, window, env));

    QProcess second;
    QElapsedTimer timer;
    timer.start();
    start(second, env);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_LT(timer.elapsed(), 5000);

    // The first process brings its window to the front.
    bool shown = false;
    for (int attempt = 0; attempt < 50 && !shown; ++attempt) {
        QThread::msleep(100);
        shown = isAbove(window, otherWindow, env);
    }
    EXPECT_TRUE(shown);
    QThread::msleep(500);

    QDir().mkpath(Screenshots::folder());
    const QString path = Screenshots::folder() + QStringLiteral("/xvfb-main-window.png");
    int exitCode = -1;
    runTool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, env, 20000, &exitCode);
    EXPECT_EQ(exitCode, 0);
    other.kill();
    other.waitForFinished(5000);
    stop(first);
    EXPECT_EQ(first.exitCode(), 0);

    // The real window painted: its gradient, bar and text give many colours.
    const QImage shot(path);
    ASSERT_FALSE(shot.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3) {
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 100);
}

} // namespace
