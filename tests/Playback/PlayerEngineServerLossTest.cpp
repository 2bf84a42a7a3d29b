// Runs a PulseAudio of its own, in a runtime folder of its own, so that the server the other tests
// share is never touched. Its own executable: the audio system first starts up here, with this server.
#include "Playback/PlayerEngine.h"

#include "Support/AudioFixture.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

namespace {

TEST(PlayerEngineServerLossTest, StopsWithAnErrorAndPlaysAgainOnceTheServerIsBack)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(runtime.filePath("pulse/native")));
    const auto startServer = [] {
        return QProcess::execute("pulseaudio", {"--daemonize=yes", "--exit-idle-time=-1", "--disallow-exit", "-n",
                                                "--load=module-null-sink sink_name=ci rate=44100 channels=2",
                                                "--load=module-native-protocol-unix"}) == 0;
    };
    const auto stopServer = [] { return QProcess::execute("pulseaudio", {"--kill"}) == 0; };
    if (!startServer())
        GTEST_SKIP() << "PulseAudio cannot be started here";
    const auto stopAtTheEnd = qScopeGuard(stopServer);
    PlayerEngine engine;
    const QString path = AudioFixture::makeTone(runtime.path(), "long.flac", 20.0);
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    engine.play();
    ASSERT_TRUE(engine.isPlaying()) << engine.lastError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.position() > 1.0; }, 5000));
    ASSERT_TRUE(stopServer());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.isPlaying(); }, 5000));
    EXPECT_FALSE(engine.lastError().isEmpty());
    const double stoppedAt = engine.position();
    EXPECT_GT(stoppedAt, 1.0);
    ASSERT_TRUE(startServer());
    const auto playAgain = [&] {
        if (!engine.isPlaying())
            engine.play();
        return engine.isPlaying();
    };
    ASSERT_TRUE(QTest::qWaitFor(playAgain, 15000)) << engine.lastError().toStdString();
    EXPECT_TRUE(engine.lastError().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.position() > stoppedAt + 0.5; }, 5000));
    EXPECT_LT(engine.position(), stoppedAt + 3.0);
}

} // namespace
