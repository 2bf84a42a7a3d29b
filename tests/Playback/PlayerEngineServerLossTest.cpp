// The sound server goes away mid-track and comes back: the engine stops, says so, and plays again
// on the next play(). Runs a PulseAudio of its own, in a runtime folder of its own, so that the
// server the other tests share is never touched. Its own executable: the audio system first
// starts up here, with this server.
#include "Playback/PlayerEngine.h"

#include "Support/AudioFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
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

class PrivateServer
{
public:
    PrivateServer() { qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_runtime.filePath("pulse/native"))); }
    ~PrivateServer() { stop(); }

    bool start()
    {
        return run({"--daemonize=yes", "--exit-idle-time=-1", "--disallow-exit", "-n",
                    "--load=module-null-sink sink_name=ci rate=44100 channels=2", "--load=module-native-protocol-unix"});
    }
    bool stop() { return run({"--kill"}); }

private:
    bool run(const QStringList &arguments)
    {
        QProcess pulseaudio;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        pulseaudio.setProcessEnvironment(environment);
        pulseaudio.setStandardOutputFile(QProcess::nullDevice());
        pulseaudio.setStandardErrorFile(QProcess::nullDevice());
        pulseaudio.start(QStringLiteral("pulseaudio"), arguments);
        return pulseaudio.waitForFinished(10000) && pulseaudio.exitCode() == 0;
    }

    QTemporaryDir m_runtime;
};

TEST(PlayerEngineServerLossTest, StopsWithAnErrorAndPlaysAgainOnceTheServerIsBack)
{
    PrivateServer server;
    if (!server.start())
        GTEST_SKIP() << "PulseAudio cannot be started here";
    QTemporaryDir folder;
    PlayerEngine engine;
    const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("long.flac"), 20.0);
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    engine.play();
    ASSERT_TRUE(engine.isPlaying()) << engine.lastError().toStdString();
    ASSERT_TRUE(spinUntil([&] { return engine.position() > 1.0; }, 5000));

    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(spinUntil([&] { return !engine.isPlaying(); }, 5000));
    EXPECT_FALSE(engine.lastError().isEmpty());
    const double stoppedAt = engine.position();
    EXPECT_GT(stoppedAt, 1.0);

    ASSERT_TRUE(server.start());
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
