// The sound server goes away mid-track and comes back: the engine stops, says so, and plays again
// on the next play(). Kills and restarts the private PulseAudio that the test script started.
#include "Playback/PlayerEngine.h"

#include "SinkRecording.h"
#include "Support/AudioFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool runPulseAudio(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("pulseaudio"), arguments) == 0;
}

bool startServer()
{
    return runPulseAudio({"--daemonize=yes", "--exit-idle-time=-1", "--disallow-exit", "-n",
                          "--load=module-null-sink sink_name=ci rate=44100 channels=2",
                          "--load=module-native-protocol-unix"});
}

TEST(PlayerEngineServerLossTest, StopsWithAnErrorAndPlaysAgainOnceTheServerIsBack)
{
    if (!SinkRecording::serverReachable())
        GTEST_SKIP() << "no PulseAudio server is reachable (scripts/test.sh starts one)";
    QTemporaryDir folder;
    PlayerEngine engine;
    const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("long.flac"), 20.0);
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    engine.play();
    ASSERT_TRUE(engine.isPlaying()) << engine.lastError().toStdString();
    ASSERT_TRUE(spinUntil([&] { return engine.position() > 1.0; }, 5000));

    ASSERT_TRUE(runPulseAudio({"--kill"}));
    ASSERT_TRUE(spinUntil([&] { return !engine.isPlaying(); }, 5000));
    EXPECT_FALSE(engine.lastError().isEmpty());
    const double stoppedAt = engine.position();
    EXPECT_GT(stoppedAt, 1.0);

    // The server stays back whatever happens below: the tests after this one need it.
    ASSERT_TRUE(startServer());
    ASSERT_TRUE(spinUntil(
        [&] {
            if (!engine.isPlaying())
                engine.play();
            return engine.isPlaying();
        },
        15000))
        << engine.lastError().toStdString();
    EXPECT_TRUE(engine.lastError().isEmpty());
    ASSERT_TRUE(spinUntil([&] { return engine.position() > stoppedAt + 0.5; }, 5000));
    EXPECT_LT(engine.position(), stoppedAt + 3.0);
}

} // namespace
