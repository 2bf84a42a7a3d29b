#include "ChildProcesses.h"
#include "GuiSupport/GuiFixture.h"
#include "Shell/AppDelegate.h"
#include "Shell/MediaKeyController.h"
#include "Shell/MprisService.h"
#include "Views/MainWindow.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

namespace {

// Collects the PropertiesChanged signals of the player as another client on the bus sees them.
class PropertiesChangedListener : public QObject
{
    Q_OBJECT

public:
    QList<QVariantMap> changes;

public slots:
    void propertiesChanged(const QString &interfaceName, const QVariantMap &changed, const QStringList &)
    {
        if (interfaceName == QLatin1String("org.mpris.MediaPlayer2.Player"))
            changes.append(changed);
    }
};

// The shell with the fake engine on a bus of its own, driven by playerctl and dbus-send as the
// desktop's media keys would drive it.
class MediaKeysBusTest : public GuiFixture
{
protected:
    void launch()
    {
        ASSERT_TRUE(bus.isRunning());
        buildModel();
        model_ = model.get();
        delegate = std::make_unique<AppDelegate>(std::move(model), theme);
        delegate->trayAvailable = [] { return true; };
        delegate->mediaKeysBus = [this] { return QDBusConnection::connectToBus(bus.address(), QStringLiteral("player")); };
        window = delegate->openMainWindow();
        delegate->didFinishLaunching();
        settle();
        ASSERT_TRUE(delegate->mediaKeys()->service().isRegistered());
    }

    // Runs a client to its end while this process goes on answering the bus.
    QString client(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        QStringList environment = QProcess::systemEnvironment();
        environment.removeIf([](const QString &entry) { return entry.startsWith(QLatin1String("DBUS_SESSION_BUS_ADDRESS=")); });
        environment << QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + bus.address();
        process.setEnvironment(environment);
        process.start(program, arguments);
        const QDeadlineTimer deadline(10000);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            settle();
            process.waitForFinished(5);
        }
        settle();
        EXPECT_EQ(process.exitCode(), 0) << qPrintable(program) << " " << qPrintable(arguments.join(' '))
                                         << qPrintable(QString::fromUtf8(process.readAllStandardError()));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The arguments are separated by spaces.
    QString playerctl(const QString &arguments)
    {
        return client(QStringLiteral("playerctl"), (QStringLiteral("--player=quillmere ") + arguments).split(u' '));
    }

    // playerctl quotes object paths.
    QString trackID() { return playerctl(QStringLiteral("metadata mpris:trackid")).remove(u'\''); }

    ~MediaKeysBusTest() override
    {
        delegate.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("player"));
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
    }

    PrivateSessionBus bus;
    std::unique_ptr<AppDelegate> delegate;
    AppModel *model_ = nullptr;
    QPointer<MainWindow> window;
};

TEST_F(MediaKeysBusTest, ClientsReadTheTrackDriveThePlayerAndRaiseTheWindow)
{
    launch();
    PropertiesChangedListener listener;
    QDBusConnection listenerBus = QDBusConnection::connectToBus(bus.address(), QStringLiteral("listener"));
    ASSERT_TRUE(listenerBus.connect(MprisService::serviceName, MprisService::objectPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"), &listener,
        SLOT(propertiesChanged(QString, QVariantMap, QStringList))));

    // The restored track, not loaded: paused at its saved position, with its stored length.
    EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Paused"));
    EXPECT_EQ(playerctl(QStringLiteral("metadata --format {{title}}|{{artist}}|{{album}}|{{mpris:length}}")),
        QStringLiteral("晴天|周杰伦|叶惠美|269500000"));
    EXPECT_EQ(playerctl(QStringLiteral("position")), QStringLiteral("42.500000"));
    EXPECT_EQ(trackID(), QStringLiteral("/org/quillmere/track/6f1c3b8a1d2e4c4b9a510f2b7e8c1a01"));

    playerctl(QStringLiteral("play-pause"));
    EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Playing"));
    EXPECT_TRUE(environment.engine->isPlaying());
    ASSERT_FALSE(listener.changes.isEmpty());
    EXPECT_EQ(listener.changes.last().value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));

    listener.changes.clear();
    playerctl(QStringLiteral("next"));
    EXPECT_EQ(playerctl(QStringLiteral("metadata title")), QStringLiteral("东风破"));
    const bool metadataAnnounced = std::ranges::any_of(listener.changes,
        [](const QVariantMap &changed) { return changed.contains(QStringLiteral("Metadata")); });
    EXPECT_TRUE(metadataAnnounced);

    playerctl(QStringLiteral("play-pause"));
    EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Paused"));
    EXPECT_FALSE(environment.engine->isPlaying());
    playerctl(QStringLiteral("play"));
    EXPECT_TRUE(environment.engine->isPlaying());
    playerctl(QStringLiteral("stop"));
    EXPECT_FALSE(environment.engine->isPlaying());
    playerctl(QStringLiteral("previous"));
    EXPECT_EQ(playerctl(QStringLiteral("metadata title")), QStringLiteral("晴天"));

    ASSERT_FALSE(window->isVisible());
    client(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--print-reply"),
        QStringLiteral("--dest=") + MprisService::serviceName, MprisService::objectPath,
        QStringLiteral("org.mpris.MediaPlayer2.Raise")});
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MediaKeysBusTest, WithoutATrackThePlayerIsStopped)
{
    seedSettings([](AppSettings &settings) { settings.lastTrackID.reset(); });
    launch();
    EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Stopped"));
    EXPECT_EQ(trackID(), QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
}

TEST_F(MediaKeysBusTest, ThePositionReachesThePlayerAtMostOnceASecond)
{
    launch();
    model_->play();
    // Loading and seeking to the resume position ticked too; their second passes.
    settle(2200);
    const MprisService &service = delegate->mediaKeys()->service();
    environment.engine->setPosition(10);
    settle();
    EXPECT_EQ(service.info().elapsed, 10);
    environment.engine->setPosition(10.5);
    environment.engine->setPosition(11);
    settle(300);
    EXPECT_EQ(service.info().elapsed, 10);
    // The latest position of the second arrives when it is over.
    settle(900);
    EXPECT_EQ(service.info().elapsed, 11);
    // Clients move a playing position on by themselves.
    EXPECT_NEAR(playerctl(QStringLiteral("position")).toDouble(), 11, 0.5);
}

TEST(NowPlayingMetadataTest, KeysOnlyForWhatTheTrackHas)
{
    NowPlayingInfo info;
    info.state = NowPlayingInfo::State::paused;
    info.trackID = QUuid::fromString(QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A01"));
    info.title = QStringLiteral("Intro");
    const QVariantMap bare = MprisService::metadata(info);
    EXPECT_EQ(bare.keys(), QStringList({"mpris:trackid", "xesam:title"}));

    // The artists are a list; the bus test reads the other values through a client.
    info.artist = QStringLiteral("周杰伦");
    const QVariantMap full = MprisService::metadata(info);
    EXPECT_EQ(full.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{QStringLiteral("周杰伦")});
}

} // namespace

#include "MediaKeysBusTest.moc"
