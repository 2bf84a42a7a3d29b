// A person's first session with Quillmere, on the real program under a real X server: import a
// folder, search, play, pause, read the lyrics, lock the desktop lyrics, edit and undo a title,
// repair garbled tags, organise and undo, quit, and find everything again on the next start.
#include "ChildProcesses.h"
#include "JourneyMusic.h"
#include "Support/SinkRecording.h"
#include "XDesktop.h"
#include "UI/WindowShadow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString mainTitle = QStringLiteral("Quillmere");
const QString busName = QStringLiteral("com.local.quillmere");

// Points in the main window (900 x 620 at its first start), relative to its top-left corner.
namespace MainWindowPoints {
const QPoint chooseFolderButton(544, 391);
const QPoint searchField(730, 42);
const QPoint firstRow(330, 167);
const QPoint emptyListArea(530, 460);
const QPoint coverButton(38, 578);
const QPoint desktopLyricsButton(829, 577);
const QPoint organizeMenu(223, 10);
} // namespace MainWindowPoints

} // namespace

// Readable failure messages for texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// The fixed file names and JSON keys the checks read.
QJsonObject readJsonObject(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

QJsonArray readJsonArray(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).array() : QJsonArray();
}

QString fileURL(const QString &path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
}

class JourneyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SinkRecording::serverReachable())
            GTEST_SKIP() << "no PulseAudio server (scripts/test.sh starts one)";
        ASSERT_TRUE(home.isValid() && bus.isRunning() && display.isRunning());
        compositor.setEnvironment(environment());
        compositor.start(QStringLiteral("xcompmgr"), {});
        ASSERT_TRUE(compositor.waitForStarted(5000));
        QString error;
        ASSERT_TRUE(music.create(&error)) << error.toStdString();
        for (const QString &name : music.audioFileNames())
            audioHashes.insert(name, JourneyMusic::audioHash(music.path(name)));
        QDir().mkpath(screenshotFolder());
    }

    void TearDown() override
    {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(5000);
        }
        compositor.kill();
        compositor.waitForFinished(5000);
    }

    QStringList environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString root = home.path();
        environment.insert(QStringLiteral("HOME"), root);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/.cache"));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), root + QStringLiteral("/.local/state"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        environment.insert(QStringLiteral("DISPLAY"), display.name());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return environment.toStringList();
    }

    QString dataPath(const QString &name) const
    {
        return home.path() + QStringLiteral("/.local/share/Quillmere/") + name;
    }
    static QString screenshotFolder() { return QStringLiteral(QUILLMERE_SCREENSHOT_DIR); }

    // Runs the steps in order, a screenshot after each; the first failing step ends the journey.
    void walk(const QList<std::pair<QString, std::function<void()>>> &steps)
    {
        int number = 0;
        for (const auto &[name, step] : steps) {
            SCOPED_TRACE(name.toStdString());
            step();
            ++number;
            const QString shot = QStringLiteral("%1/journey-%2-%3.png")
                                     .arg(screenshotFolder())
                                     .arg(number, 2, 10, QLatin1Char('0'))
                                     .arg(name);
            EXPECT_TRUE(desktop.screenshot(shot)) << shot.toStdString();
            if (HasFatalFailure())
                return;
        }
    }

    void launch()
    {
        app.setEnvironment(environment());
        app.setWorkingDirectory(home.path());
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(QStringLiteral(QUILLMERE_EXECUTABLE), {});
        ASSERT_TRUE(app.waitForStarted(5000));
        const std::optional<XWindow> window = desktop.waitForWindow(mainTitle, 30000);
        ASSERT_TRUE(window.has_value()) << "the main window did not appear";
        main = *window;
        ASSERT_TRUE(bus.waitForName(QStringLiteral("org.mpris.MediaPlayer2.quillmere"), 10000));
        // Mapped is not yet painted: the sidebar and the list differ once the window has drawn.
        const QString probe = screenshotFolder() + QStringLiteral("/journey-probe.png");
        ASSERT_TRUE(waitUntil(
            [&] {
                const QImage shot = desktop.screenshot(probe) ? QImage(probe) : QImage();
                return !shot.isNull()
                    && shot.pixel(main.frame.topLeft() + QPoint(40, 300)) != shot.pixel(main.frame.center());
            },
            10000))
            << "the main window was never painted";
    }

    void activateMain() const
    {
        ASSERT_TRUE(desktop.activate(main, MainWindowPoints::emptyListArea))
            << "the main window did not take the keyboard";
        QThread::msleep(500);
    }

    void search(const QString &text) const
    {
        activateMain();
        desktop.keys({ QStringLiteral("ctrl+f"), QStringLiteral("ctrl+a"), QStringLiteral("BackSpace") });
        desktop.type(text);
        QThread::msleep(600);
    }

    // The first row moves down while a status message shows above the list (a warm tint
    // where the list's cool background would be).
    QPoint firstRow() const
    {
        const QString probe = screenshotFolder() + QStringLiteral("/journey-probe.png");
        const QPoint banner = main.frame.topLeft() + QPoint(650, 160);
        const QColor colour = desktop.screenshot(probe) ? QImage(probe).pixelColor(banner) : QColor();
        return colour.blue() < colour.red() ? MainWindowPoints::firstRow + QPoint(0, 38)
                                            : MainWindowPoints::firstRow;
    }

    // The context menu of the first shown row, and its `index`th command.
    void runRowCommand(int index) const
    {
        desktop.click(main, firstRow(), 3);
        QThread::msleep(400);
        QStringList keys(index + 1, QStringLiteral("Down"));
        desktop.keys(keys << QStringLiteral("Return"));
    }

    QString player(const QStringList &arguments) const
    {
        return runTool(QStringLiteral("playerctl"),
            QStringList { QStringLiteral("-p"), QStringLiteral("quillmere") } + arguments, environment());
    }

    QJsonArray libraryTracks() const
    {
        return readJsonObject(dataPath(QStringLiteral("library.json"))).value(u"tracks").toArray();
    }

    QJsonObject libraryTrack(const QString &path) const
    {
        for (const QJsonValue &track : libraryTracks()) {
            if (track[u"url"].toString() == fileURL(path))
                return track.toObject();
        }
        return {};
    }

    QJsonObject settings() const { return readJsonObject(dataPath(QStringLiteral("settings.json"))); }

    // The window of the desktop lyrics: titled like the main window, but not it.
    std::optional<XWindow> overlayWindow() const
    {
        for (const XWindow &window : desktop.windows()) {
            if (window.name == mainTitle && window.id != main.id && window.frame.width() > 200)
                return window;
        }
        return std::nullopt;
    }

    // A message box: a window of the program's name that is neither the main window nor a panel.
    std::optional<XWindow> waitForMessageBox() const
    {
        std::optional<XWindow> box;
        waitUntil(
            [&] {
                for (const XWindow &window : desktop.windows()) {
                    if (window.name == mainTitle && window.id != main.id && window.id != overlay.id
                        && window.frame.width() > 200)
                        box = window;
                }
                return box.has_value();
            },
            15000);
        return box;
    }

    // Pixels of the lyric colour inside `area` of the last screenshot: the line is drawn there.
    static int inkedPixels(const QImage &shot, const QRect &area)
    {
        int inked = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor colour = shot.pixelColor(x, y);
                inked += colour.saturation() > 60 && colour.value() < 200;
            }
        }
        return inked;
    }

    void expectAudioUnchanged() const
    {
        for (auto entry = audioHashes.begin(); entry != audioHashes.end(); ++entry) {
            const QString path = music.path(entry.key());
            EXPECT_EQ(JourneyMusic::audioHash(path), entry.value()) << path.toStdString();
        }
    }

    QTemporaryDir home;
    PrivateSessionBus bus;
    VirtualDisplay display;
    QProcess compositor;
    XDesktop desktop { environment() };
    // An ASCII path: xdotool types it into the folder field one key at a time.
    JourneyMusic music { home.path() + QStringLiteral("/music") };
    QMap<QString, QString> audioHashes;
    QProcess app;
    XWindow main;
    XWindow overlay;
    XWindow organizer;
    double pausedAt = 0;
};

TEST_F(JourneyTest, FromImportToRestart)
{
    const QString flac = music.path(QStringLiteral("qilixiang.flac"));
    const QString garbled = music.path(QStringLiteral("dongfengpo.mp3"));
    const QString organizedFlac = music.path(QStringLiteral("周杰伦/七里香/七里香.flac"));

    walk({
        { QStringLiteral("start"),
            [&] {
                launch();
                // A fresh data folder stays empty until there is something to keep.
                EXPECT_TRUE(libraryTracks().isEmpty());
            } },
        { QStringLiteral("import"),
            [&] {
                desktop.click(main, MainWindowPoints::chooseFolderButton);
                const std::optional<XWindow> panel
                    = desktop.waitForWindow(QStringLiteral("选择包含音乐的文件夹 — Quillmere"));
                ASSERT_TRUE(panel.has_value());
                // The panel opens in the program's working folder, the home: a click picks the
                // music folder, the accept button imports it. (Typed names race the completer.)
                QThread::msleep(500);
                desktop.click(*panel, QPoint(148, 70));
                QThread::msleep(300);
                desktop.click(*panel, QPoint(572, 358));
                ASSERT_TRUE(desktop.waitForNoWindow(QStringLiteral("选择包含音乐的文件夹 — Quillmere")));
                ASSERT_TRUE(waitUntil([&] { return libraryTracks().size() == 4; }, 30000))
                    << "the scan did not finish";
                const QJsonArray folders
                    = readJsonObject(dataPath(QStringLiteral("library.json"))).value(u"folders").toArray();
                EXPECT_EQ(folders, QJsonArray { fileURL(music.folder()) });
                EXPECT_EQ(libraryTrack(flac)[u"title"].toString(), QStringLiteral("七里香"));
                EXPECT_EQ(libraryTrack(flac)[u"artist"].toString(), QStringLiteral("周杰伦"));
                // Let the list settle before the screenshot.
                QThread::msleep(500);
            } },
        { QStringLiteral("search"),
            [&] {
                // The search also matches file names (and xdotool types Latin letters reliably).
                search(QStringLiteral("qili"));
            } },
        { QStringLiteral("play"),
            [&] {
                SinkRecording sink;
                ASSERT_TRUE(sink.start());
                // A click on a row plays it.
                desktop.click(main, firstRow());
                ASSERT_TRUE(waitUntil(
                    [&] { return player({ QStringLiteral("status") }) == QStringLiteral("Playing"); },
                    10000));
                EXPECT_EQ(player({ QStringLiteral("metadata"), QStringLiteral("xesam:title") }),
                    QStringLiteral("七里香"));
                EXPECT_TRUE(sink.waitForTone(660, 0.05, 10000)) << "the null sink heard no 660 Hz tone";
                sink.stop();
                EXPECT_TRUE(waitUntil(
                    [&] { return player({ QStringLiteral("position") }).toDouble() > 1.5; }, 10000));
            } },
        { QStringLiteral("pause"),
            [&] {
                desktop.keys({ QStringLiteral("space") });
                ASSERT_TRUE(waitUntil(
                    [&] { return player({ QStringLiteral("status") }) == QStringLiteral("Paused"); }, 5000));
                pausedAt = player({ QStringLiteral("position") }).toDouble();
                EXPECT_GT(pausedAt, 1.0);
                QThread::msleep(800);
                EXPECT_NEAR(player({ QStringLiteral("position") }).toDouble(), pausedAt, 0.05)
                    << "still moving after pause";
            } },
        { QStringLiteral("lyrics-page"),
            [&] {
                desktop.click(main, MainWindowPoints::coverButton);
                // The page's right half shows the current line in the lyric colour.
                const QRect lyrics(main.frame.left() + 490, main.frame.top() + 230, 380, 220);
                EXPECT_TRUE(waitUntil(
                    [&] {
                        const QString shot = screenshotFolder() + QStringLiteral("/journey-probe.png");
                        return desktop.screenshot(shot) && inkedPixels(QImage(shot), lyrics) > 200;
                    },
                    10000))
                    << "no lyric line on the lyrics page";
            } },
        { QStringLiteral("overlay-locked"),
            [&] {
                desktop.click(main, MainWindowPoints::desktopLyricsButton);
                std::optional<XWindow> shown;
                ASSERT_TRUE(waitUntil([&] { return (shown = overlayWindow()).has_value(); }, 10000));
                overlay = *shown;
                // The toolbar shows while the pointer rests on the overlay; its first button locks.
                // Under the compositor the window holds a shadow margin around the overlay.
                const QPoint content(WindowShadow::margins(WindowShadow::panel).left(),
                                     WindowShadow::margins(WindowShadow::panel).top());
                desktop.moveTo(overlay, content + QPoint(280, 40));
                QThread::msleep(700);
                desktop.click(overlay, content + QPoint(153, 96));
                EXPECT_TRUE(waitUntil([&] { return settings().value(u"lyricsLocked").toBool(); }, 5000));
                desktop.moveTo(main, MainWindowPoints::emptyListArea);
            } },
        { QStringLiteral("tag-edit"),
            [&] {
                desktop.click(main, MainWindowPoints::coverButton);
                runRowCommand(0);
                const std::optional<XWindow> editor
                    = desktop.waitForWindow(QStringLiteral("编辑标签 — Quillmere"));
                ASSERT_TRUE(editor.has_value());
                desktop.click(*editor, QPoint(265, 86));
                desktop.keys({ QStringLiteral("ctrl+a") });
                // Latin letters: xdotool drops Chinese characters when the program is slow to take them.
                desktop.type(QStringLiteral("Qilixiang Live"));
                desktop.keys({ QStringLiteral("Return") });
                ASSERT_TRUE(waitUntil(
                    [&] { return JourneyMusic::tag(flac, u"title"_qs) == QStringLiteral("Qilixiang Live"); },
                    10000));
                EXPECT_TRUE(waitUntil(
                    [&] { return libraryTrack(flac)[u"title"].toString() == QStringLiteral("Qilixiang Live"); },
                    5000));
                EXPECT_EQ(readJsonArray(dataPath(QStringLiteral("undo/tag-edits.json"))).size(), 1);
                EXPECT_EQ(JourneyMusic::audioHash(flac), audioHashes.value(QStringLiteral("qilixiang.flac")));
            } },
        { QStringLiteral("tag-undo"),
            [&] {
                activateMain();
                desktop.keys({ QStringLiteral("ctrl+comma") });
                const std::optional<XWindow> settingsSheet
                    = desktop.waitForWindow(QStringLiteral("设置 — Quillmere"));
                ASSERT_TRUE(settingsSheet.has_value());
                QThread::msleep(300);
                desktop.click(*settingsSheet, QPoint(137, 145));
                ASSERT_TRUE(waitUntil(
                    [&] { return JourneyMusic::tag(flac, u"title"_qs) == QStringLiteral("七里香"); }, 10000));
                EXPECT_TRUE(waitUntil(
                    [&] { return libraryTrack(flac)[u"title"].toString() == QStringLiteral("七里香"); },
                    5000));
                EXPECT_TRUE(readJsonArray(dataPath(QStringLiteral("undo/tag-edits.json"))).isEmpty());
                desktop.click(*settingsSheet, QPoint(517, 25));
                EXPECT_TRUE(desktop.waitForNoWindow(QStringLiteral("设置 — Quillmere")));
            } },
        { QStringLiteral("repair-garbled"),
            [&] {
                search(QStringLiteral("dongfeng"));
                runRowCommand(1);
                ASSERT_TRUE(waitForMessageBox().has_value()) << "no question before the repair";
                desktop.keys({ QStringLiteral("Return") });
                ASSERT_TRUE(waitUntil(
                    [&] { return JourneyMusic::tag(garbled, u"title"_qs) == QStringLiteral("东风破"); },
                    10000));
                EXPECT_EQ(JourneyMusic::tag(garbled, u"artist"_qs), QStringLiteral("周杰伦"));
                // The journal is written just after the file.
                EXPECT_TRUE(waitUntil(
                    [&] { return readJsonArray(dataPath(QStringLiteral("undo/tag-edits.json"))).size() == 1; }, 5000));
            } },
        { QStringLiteral("organize-sheet"),
            [&] {
                search(QStringLiteral("qili"));
                runRowCommand(2);
                const std::optional<XWindow> sheet
                    = desktop.waitForWindow(QStringLiteral("整理文件 — Quillmere"));
                ASSERT_TRUE(sheet.has_value());
                organizer = *sheet;
                QThread::msleep(500);
            } },
        { QStringLiteral("organize"),
            [&] {
                // The preview proposes the track's own folder and "artist/album/track title".
                desktop.click(organizer, QPoint(697, 591));
                ASSERT_TRUE(waitUntil([&] { return QFile::exists(organizedFlac); }, 10000))
                    << "nothing moved";
                EXPECT_FALSE(QFile::exists(flac));
                EXPECT_TRUE(desktop.waitForNoWindow(QStringLiteral("整理文件 — Quillmere")));
                EXPECT_TRUE(waitUntil([&] { return !libraryTrack(organizedFlac).isEmpty(); }, 5000));
                EXPECT_TRUE(libraryTrack(flac).isEmpty());
                EXPECT_EQ(JourneyMusic::audioHash(organizedFlac),
                    audioHashes.value(QStringLiteral("qilixiang.flac")));
            } },
        { QStringLiteral("organize-undo"),
            [&] {
                activateMain();
                desktop.click(main, MainWindowPoints::organizeMenu);
                QThread::msleep(400);
                // Its one item, by the keyboard.
                desktop.keys({ QStringLiteral("Down"), QStringLiteral("Return") });
                ASSERT_TRUE(waitUntil([&] { return QFile::exists(flac); }, 10000))
                    << "the undo left the file moved";
                EXPECT_FALSE(QFile::exists(organizedFlac));
                EXPECT_TRUE(waitUntil([&] { return !libraryTrack(flac).isEmpty(); }, 5000));
            } },
        { QStringLiteral("quit"),
            [&] {
                activateMain();
                desktop.keys({ QStringLiteral("ctrl+q") });
                ASSERT_TRUE(app.waitForFinished(15000)) << "Ctrl+Q did not end the program";
                EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
                EXPECT_EQ(app.exitCode(), 0);
                const QJsonObject saved = settings();
                EXPECT_EQ(saved.value(u"lastTrackID").toString(), libraryTrack(flac)[u"id"].toString());
                EXPECT_NEAR(saved.value(u"lastPosition").toDouble(), pausedAt, 0.3);
                EXPECT_TRUE(saved.value(u"lastQueue").toArray().contains(libraryTrack(flac)[u"id"]));
                EXPECT_EQ(libraryTracks().size(), 4);
            } },
        { QStringLiteral("restart"),
            [&] {
                launch();
                ASSERT_TRUE(waitUntil(
                    [&] {
                        return player({ QStringLiteral("metadata"), QStringLiteral("xesam:title") })
                            == QStringLiteral("七里香");
                    },
                    10000))
                    << "the last track was not restored";
                EXPECT_EQ(player({ QStringLiteral("status") }), QStringLiteral("Paused"));
                EXPECT_NEAR(player({ QStringLiteral("position") }).toDouble(), pausedAt, 0.3);
                EXPECT_EQ(libraryTracks().size(), 4);
                QThread::msleep(500);
            } },
        { QStringLiteral("quit-again"),
            [&] {
                activateMain();
                desktop.keys({ QStringLiteral("ctrl+q") });
                ASSERT_TRUE(app.waitForFinished(15000));
                EXPECT_EQ(app.exitCode(), 0);
                EXPECT_EQ(settings().value(u"lastTrackID").toString(), libraryTrack(flac)[u"id"].toString());
            } },
    });
    expectAudioUnchanged();
}

} // namespace
