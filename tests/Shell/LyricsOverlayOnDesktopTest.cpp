#include "ChildProcesses.h"

#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "Shell/LyricsOverlayFrame.h"
#include "Shell/LyricsOverlayWindowController.h"
#include "UI/Compositor.h"
#include "Views/LyricsOverlayView.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QThread>

// The desktop lyrics on a real X server with a compositor, over a light and a dark desktop:
// unlocked with its chrome and shadow, and locked with its pill. A second run of this program
// draws them on that server; the first one looks at its screenshots.
namespace {

const char onDesktop[] = "QUILLMERE_OVERLAY_ON_DESKTOP";
const QRect frame(440, 600, 560, 120);

QString shotPath(const QString &name)
{
    return Screenshots::folder() + QStringLiteral("/xvfb-lyrics-overlay-%1.png").arg(name);
}

// A plain desktop that counts the clicks reaching it.
class Desktop : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

QColor desktopColour(bool dark)
{
    return dark ? QColor(0x22, 0x26, 0x30) : QColor(0xee, 0xee, 0xec);
}

class LyricsOverlayOnDesktopTest : public GuiFixture
{
protected:
    // Plays the first track (its file made present) with synchronised lyrics.
    void playWithLyrics()
    {
        playFirstTrack();
        environment.lyrics->finish(environment.lyrics->requests().size() - 1,
            ResolvedLyrics{Lyrics{{{0, QStringLiteral("晚风吹过 the quiet harbour")}, {10, QStringLiteral("灯火一盏一盏亮起")}}, true},
                LyricsOrigin::Online, std::nullopt});
        environment.engine->setPosition(1);
        settle();
    }

    static void click(QPoint point)
    {
        runTool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(point.x()),
            QString::number(point.y()), QStringLiteral("click"), QStringLiteral("1")}, QProcess::systemEnvironment());
    }

    static void shoot(const QString &name)
    {
        settle(300);
        int exitCode = -1;
        runTool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shotPath(name)},
            QProcess::systemEnvironment(), 20000, &exitCode);
        EXPECT_EQ(exitCode, 0) << name.toStdString();
    }

    // The second run: the overlay on the server it was started on.
    void drawOnDesktop()
    {
        ASSERT_TRUE(Compositor::isRunning());
        for (const bool dark : {false, true}) {
            seedSettings([&](AppSettings &settings) {
                settings.themeMode = dark ? QStringLiteral("dark") : QStringLiteral("light");
            });
            buildModel();
            Desktop desktop;
            QPalette palette = desktop.palette();
            palette.setColor(QPalette::Window, desktopColour(dark));
            desktop.setPalette(palette);
            desktop.setAutoFillBackground(true);
            desktop.setGeometry(0, 0, 1440, 900);
            desktop.show();
            QSettings().setValue(QStringLiteral("lyricsOverlayFrame"), LyricsOverlayFrame::text(frame));
            auto overlay = std::make_unique<LyricsOverlayWindowController>(*model, theme);
            LyricsOverlayWindowController &controller = *overlay;
            QPoint pointer(-100, -100);
            controller.setPointer({[&] { return pointer; }, [] { return false; }});
            model->setLyricsOverlay(&controller);
            playWithLyrics();
            model->setLyricsVisible(true);
            QEnterEvent enter(QPointF(100, 50), QPointF(100, 50), QPointF(540, 650));
            QApplication::sendEvent(controller.view(), &enter);
            ASSERT_TRUE(QTest::qWaitFor([&] { return controller.view()->chromeOpacity() == 1; }, 3000));
            const QString scheme = dark ? QStringLiteral("dark") : QStringLiteral("light");
            shoot(QStringLiteral("hover-") + scheme);
            // The shadow takes no clicks: they reach the desktop.
            click(QPoint(frame.center().x(), frame.bottom() + 6));
            EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.presses == 1; }, 3000));
            model->setLyricsLocked(true);
            pointer = frame.center();
            ASSERT_TRUE(QTest::qWaitFor([&] { return controller.controlsPanel()->isVisible(); }, 3000));
            shoot(QStringLiteral("locked-") + scheme);
            model->setLyricsLocked(false);
            // Unlocked and then widened, the overlay takes the clicks on its new part.
            controller.resizeWidth(40);
            settle(300);
            click(QPoint(frame.right() + 15, frame.center().y()));
            settle(300);
            EXPECT_EQ(desktop.presses, 1);
            model->setLyricsVisible(false);
            overlay.reset();
            model.reset();
        }
    }
};

TEST_F(LyricsOverlayOnDesktopTest, CastsItsShadowOverLightAndDarkDesktops)
{
    if (qEnvironmentVariableIsSet(onDesktop))
        return drawOnDesktop();

    VirtualDisplay display;
    ASSERT_TRUE(display.isRunning());
    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), {QStringLiteral("-d"), display.name()});
    ASSERT_TRUE(compositor.waitForStarted(5000));
    QThread::msleep(500);
    QDir().mkpath(Screenshots::folder());

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display.name());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QString::fromLatin1(onDesktop), QStringLiteral("1"));
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=LyricsOverlayOnDesktopTest.CastsItsShadowOverLightAndDarkDesktops")});
    ASSERT_TRUE(second.waitForFinished(120000));
    compositor.kill();
    compositor.waitForFinished(5000);
    ASSERT_EQ(second.exitCode(), 0);

    for (const bool dark : {false, true}) {
        const QImage shot(shotPath(QStringLiteral("hover-") + (dark ? QStringLiteral("dark") : QStringLiteral("light"))));
        ASSERT_FALSE(shot.isNull());
        const int desktop = qGray(desktopColour(dark).rgb());
        // Just beneath the overlay the desktop is shaded; well away from it, untouched.
        EXPECT_LT(qGray(shot.pixel(frame.center().x(), frame.bottom() + 2)), desktop * 0.92);
        EXPECT_NEAR(qGray(shot.pixel(frame.center().x(), frame.bottom() + 60)), desktop, 1);
        EXPECT_NEAR(qGray(shot.pixel(frame.left() - 60, frame.center().y())), desktop, 1);
    }
}

} // namespace
