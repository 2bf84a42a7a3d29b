// The engine's states and transitions, played through an output driven by a test clock.
#include "Playback/PlayerEngine.h"

#include "FakeAudioOutput.h"
#include "Playback/AudioDecoder.h"
#include "Support/AudioFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QList<float> silentBands(24, 0.0f);

class PlayerEngineTest : public ::testing::Test
{
protected:
    PlayerEngineTest()
        : engine([this](AudioOutput::Tap tap) {
              auto made = std::make_unique<FakeAudioOutput>(std::move(tap));
              output = made.get();
              return made;
          })
    {
        engine.setOnFinish([this] { ++finishCount; });
    }

    // A 2 s tone, made once per test.
    FileLocation toneFile(double seconds = 2.0)
    {
        const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("tone%1.flac").arg(++fileNumber),
                                                    seconds);
        return FileLocation::fromLocalFile(path);
    }

    void loadTone(double seconds = 2.0)
    {
        ASSERT_TRUE(engine.load(toneFile(seconds)).has_value()) << engine.lastError().toStdString();
    }

    void loadAndPlay()
    {
        loadTone();
        engine.play();
        ASSERT_TRUE(engine.isPlaying());
    }

    static void processEvents() { QCoreApplication::processEvents(); }

    QTimer *timer(const char *name) { return engine.findChild<QTimer *>(QString::fromLatin1(name)); }

    // One tick of a timer of the engine, without waiting for it.
    void tick(const char *name)
    {
        QTimer *found = timer(name);
        ASSERT_TRUE(found);
        ASSERT_TRUE(found->isActive());
        QMetaObject::invokeMethod(found, "timeout");
    }

    // A full-scale 1 kHz block for the tap, in the bands of 1 kHz (12 and 13).
    static std::vector<float> toneBlock(int channels, int frames = 1024)
    {
        std::vector<float> block(std::size_t(frames * channels));
        for (int frame = 0; frame < frames; ++frame)
            for (int channel = 0; channel < channels; ++channel)
                block[std::size_t(frame * channels + channel)] = float(std::sin(2 * M_PI * 1000.0 * frame / 44100));
        return block;
    }

    // The tap analyses at most one block per 0.05 s.
    void deliverAfterInterval(std::span<const float> block, int channels)
    {
        QThread::msleep(55);
        output->deliverToTap(block, channels, 44100);
        processEvents();
    }

    QTemporaryDir folder;
    int fileNumber = 0;
    FakeAudioOutput *output = nullptr;
    PlayerEngine engine;
    int finishCount = 0;
};

TEST_F(PlayerEngineTest, EmptyEngineHasNoOutputAndNothingToPlayOrSeek)
{
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(engine.duration(), 0);
    EXPECT_EQ(engine.spectrum(), silentBands);
    EXPECT_TRUE(engine.lastError().isEmpty());
    EXPECT_EQ(output, nullptr);
    // The observable properties are there for bindings.
    EXPECT_EQ(engine.property("isPlaying").toBool(), false);
    EXPECT_EQ(engine.property("duration").toDouble(), 0.0);

    engine.play();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.lastError(), QStringLiteral("没有加载音频文件"));
    engine.seek(1.0);
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(output, nullptr);
}

TEST_F(PlayerEngineTest, LoadMakesReadyAtTheStartAndPlayStartsTheDeviceAndThePositionTimer)
{
    loadTone(2.0);
    ASSERT_TRUE(output);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0);
    EXPECT_DOUBLE_EQ(engine.duration(), 2.0);
    EXPECT_EQ(output->segmentStart, 0);
    EXPECT_FALSE(output->running); // loading stops the device; playing starts it

    engine.play();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_TRUE(output->running);
    EXPECT_TRUE(output->playing);
    EXPECT_TRUE(timer("positionTimer")->isActive());
    EXPECT_EQ(timer("positionTimer")->interval(), 500);
}

TEST_F(PlayerEngineTest, AnMp3WithoutLengthHeaderGetsItsCountedDurationAfterTheLoad)
{
    const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("plain.mp3"), 2.0, 1000, {"-write_xing", "0"});
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    const std::optional<qint64> counted = AudioDecoder::countedFrameCount(FileLocation::fromLocalFile(path));
    ASSERT_TRUE(counted);
    QElapsedTimer waited;
    waited.start();
    while (engine.duration() != double(*counted) / 44100 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_DOUBLE_EQ(engine.duration(), double(*counted) / 44100);
}

TEST_F(PlayerEngineTest, DeviceThatCannotStartLeavesItNotPlaying)
{
    loadTone();
    output->startFailure = QStringLiteral("no device");
    engine.play();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.lastError(), QStringLiteral("音频引擎启动失败（no device）"));
    // The next attempt clears the error first.
    output->startFailure.clear();
    engine.play();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_TRUE(engine.lastError().isEmpty());
}

TEST_F(PlayerEngineTest, PositionFollowsWhatWasPlayedAndPauseHoldsIt)
{
    loadAndPlay();
    output->advance(0.75);
    tick("positionTimer");
    EXPECT_NEAR(engine.position(), 0.75, 1e-3);
    output->advance(0.5);
    tick("positionTimer");
    EXPECT_NEAR(engine.position(), 1.25, 1e-3);

    output->advance(0.1);
    engine.pause();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_FALSE(output->playing);
    EXPECT_NEAR(engine.position(), 1.35, 1e-3);
    EXPECT_FALSE(timer("positionTimer")->isActive());
    output->advance(0.3); // nothing plays while paused
    int changes = 0; // and a second pause changes nothing
    QObject::connect(&engine, &PlayerEngine::isPlayingChanged, [&] { ++changes; });
    QObject::connect(&engine, &PlayerEngine::positionChanged, [&] { ++changes; });
    engine.pause();
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(timer("spectrumDecayTimer")->isActive());
    engine.play();
    output->advance(0.25);
    tick("positionTimer");
    EXPECT_NEAR(engine.position(), 1.6, 1e-3);
}

TEST_F(PlayerEngineTest, NaturalEndFinishesOnceAtTheDurationAndPlayRestartsAtZero)
{
    loadAndPlay();
    output->advance(3.0);
    EXPECT_EQ(finishCount, 0); // the end arrives through the event loop
    processEvents();
    EXPECT_EQ(finishCount, 1);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
    EXPECT_FALSE(output->segmentStart.has_value());
    EXPECT_FALSE(timer("positionTimer")->isActive());
    processEvents();
    EXPECT_EQ(finishCount, 1);

    std::vector<double> positions;
    QObject::connect(&engine, &PlayerEngine::positionChanged, [&](double position) { positions.push_back(position); });
    engine.play();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(positions, std::vector<double>{0.0});
    EXPECT_EQ(output->segmentStart, 0);
}

TEST_F(PlayerEngineTest, SeekClampsAndIgnoresNonFiniteTimesLeavingAPausedEnginePaused)
{
    loadTone();
    engine.seek(-3);
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(output->segmentStart, 0);

    engine.play();
    engine.seek(99);
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_FALSE(output->segmentStart.has_value()); // Ended: nothing left to schedule
    processEvents();
    EXPECT_EQ(finishCount, 0);

    engine.play();
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(output->segmentStart, 0);

    engine.pause();
    engine.seek(0.5);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0.5);
    engine.play();
    EXPECT_EQ(output->segmentStart, 22050);

    engine.pause();
    engine.seek(1.0);
    for (const double time : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()}) {
        engine.seek(time);
        EXPECT_EQ(engine.position(), 1.0);
        EXPECT_EQ(output->segmentStart, 44100);
    }
}

TEST_F(PlayerEngineTest, SeekWhilePlayingKeepsPlayingFromTheExactFrame)
{
    loadAndPlay();
    output->advance(0.3);
    engine.seek(1.5);
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 1.5);
    EXPECT_EQ(output->segmentStart, 66150);
    output->heard.clear();
    output->advance(0.1);
    // The tone continues in phase with the file: frame 66150 of a 1 kHz sine at 44.1 kHz.
    const double expected = 0.125 * std::sin(2 * M_PI * 1000.0 * 66151 / 44100);
    EXPECT_NEAR(output->heard.at(2), expected, 1e-3);
    tick("positionTimer");
    EXPECT_NEAR(engine.position(), 1.6, 1e-3);
}

TEST_F(PlayerEngineTest, StaleEndIsIgnored)
{
    loadAndPlay();
    output->advance(3.0); // the end is queued...
    engine.seek(0.5);     // ...and this seek replaces the segment it belongs to
    processEvents();
    EXPECT_EQ(finishCount, 0);
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0.5);

    output->advance(3.0);
    ASSERT_TRUE(engine.load(toneFile()).has_value());
    processEvents();
    EXPECT_EQ(finishCount, 0);
    EXPECT_EQ(engine.position(), 0);
}

TEST_F(PlayerEngineTest, FailedLoadLeavesTheOldFilePlaying)
{
    loadAndPlay();
    output->advance(0.5);
    const auto failed = engine.load(FileLocation::fromLocalFile(folder.filePath("absent.flac")));
    ASSERT_FALSE(failed.has_value());
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_TRUE(output->playing);
    EXPECT_EQ(output->segmentStart, 0);
    EXPECT_DOUBLE_EQ(engine.duration(), 2.0);
    EXPECT_EQ(engine.lastError(), QStringLiteral("无法读取音频文件（%1）").arg(failed.error()));
    output->advance(3.0);
    processEvents();
    EXPECT_EQ(finishCount, 1);
}

TEST_F(PlayerEngineTest, EmptyFileEndsRatherThanPlayingForever)
{
    // A WAV header with no samples.
    QByteArray wav("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data\0\0\0\0", 44);
    QFile file(folder.filePath("empty.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wav);
    file.close();
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(file.fileName())).has_value()) << engine.lastError().toStdString();
    EXPECT_EQ(engine.duration(), 0);
    EXPECT_FALSE(output->segmentStart.has_value());
    engine.play();
    processEvents();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(finishCount, 1);
}

TEST_F(PlayerEngineTest, UnloadEmptiesEverything)
{
    engine.setSpectrumEnabled(true);
    loadAndPlay();
    output->deliverToTap(toneBlock(2), 2, 44100);
    processEvents();
    engine.unload();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.duration(), 0);
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(engine.spectrum(), silentBands);
    EXPECT_FALSE(output->running);
    EXPECT_FALSE(output->tapInstalled);
    engine.play();
    EXPECT_EQ(engine.lastError(), QStringLiteral("没有加载音频文件"));
}

TEST_F(PlayerEngineTest, VolumeIsClampedAndKeptForTheDevice)
{
    engine.setVolume(2);
    loadTone();
    EXPECT_EQ(output->volume, 1.0f);
    engine.setVolume(-1);
    EXPECT_EQ(output->volume, 0.0f);
    engine.setVolume(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(output->volume, 0.0f);
    engine.setVolume(0.25f);
    engine.play();
    output->advance(0.1);
    double peak = 0;
    for (const float sample : output->heard)
        peak = std::max(peak, double(std::abs(sample)));
    EXPECT_NEAR(peak, 0.125 * 0.25, 1e-3);
}

TEST_F(PlayerEngineTest, TapIsInstalledOnlyWhileEnabledAndPlaying)
{
    loadAndPlay();
    engine.setSpectrumEnabled(false); // its value already: nothing starts
    EXPECT_FALSE(timer("spectrumDecayTimer")->isActive());
    EXPECT_FALSE(output->tapInstalled);
    engine.pause();
    engine.setSpectrumEnabled(true);
    EXPECT_FALSE(output->tapInstalled);
    engine.play();
    EXPECT_TRUE(output->tapInstalled);
    engine.pause();
    EXPECT_FALSE(output->tapInstalled);
    engine.play();
    engine.setSpectrumEnabled(false);
    EXPECT_FALSE(output->tapInstalled);
}

TEST_F(PlayerEngineTest, StereoIsAveragedAndMonoIsUsedAsItIs)
{
    engine.setSpectrumEnabled(true);
    loadAndPlay();
    // Opposite channels cancel out.
    std::vector<float> opposite = toneBlock(2);
    for (std::size_t i = 1; i < opposite.size(); i += 2)
        opposite[i] = -opposite[i];
    deliverAfterInterval(opposite, 2);
    EXPECT_EQ(engine.spectrum(), silentBands);
    // A full-scale sine on one channel of two is half scale after averaging.
    std::vector<float> left = toneBlock(2);
    for (std::size_t i = 1; i < left.size(); i += 2)
        left[i] = 0;
    deliverAfterInterval(left, 2);
    const float halfScale = engine.spectrum()[12];
    EXPECT_GT(halfScale, 0.5f);
    EXPECT_LT(halfScale, 1.0f);
    deliverAfterInterval(toneBlock(1), 1);
    EXPECT_EQ(engine.spectrum()[12], 1.0f);
}

TEST_F(PlayerEngineTest, TapIsRateLimitedAndDroppedOnceNotPlaying)
{
    engine.setSpectrumEnabled(true);
    loadAndPlay();
    const std::vector<float> block = toneBlock(2);
    deliverAfterInterval(std::vector<float>(2048, 0.0f), 2); // an analysis of silence
    output->deliverToTap(block, 2, 44100);                   // within 0.05 s: skipped
    processEvents();
    EXPECT_EQ(engine.spectrum(), silentBands);
    // Bands posted by the audio thread after a pause are dropped.
    QThread::msleep(55);
    output->deliverToTap(block, 2, 44100);
    engine.pause();
    processEvents();
    EXPECT_EQ(engine.spectrum(), silentBands);
}

TEST_F(PlayerEngineTest, NewBandsRiseAtOnceAndOldOnesFallByTheRiseFactor)
{
    engine.setSpectrumEnabled(true);
    loadAndPlay();
    deliverAfterInterval(toneBlock(1), 1);
    const float peak = engine.spectrum()[12];
    EXPECT_EQ(peak, 1.0f);
    deliverAfterInterval(std::vector<float>(1024, 0.0f), 1);
    EXPECT_FLOAT_EQ(engine.spectrum()[12], 0.72f);
}

TEST_F(PlayerEngineTest, SpectrumDecaysToExactlyZerosOnceSwitchedOff)
{
    engine.setSpectrumEnabled(true);
    loadAndPlay();
    deliverAfterInterval(toneBlock(1), 1);
    ASSERT_EQ(engine.spectrum()[12], 1.0f);
    engine.setSpectrumEnabled(false);
    ASSERT_TRUE(timer("spectrumDecayTimer")->isActive());
    EXPECT_EQ(timer("spectrumDecayTimer")->interval(), 50);
    float expected = 1.0f;
    int ticks = 0;
    while (timer("spectrumDecayTimer")->isActive()) {
        tick("spectrumDecayTimer");
        expected *= 0.68f;
        if (expected >= 0.01f) {
            EXPECT_FLOAT_EQ(engine.spectrum()[12], expected);
        }
        ASSERT_LT(++ticks, 20);
    }
    EXPECT_EQ(ticks, 12); // 0.68^12 < 0.01 <= 0.68^11
    EXPECT_EQ(engine.spectrum(), silentBands);
}

TEST_F(PlayerEngineTest, ErrorIsClearedByLoadPlayAndSeekButNotByPauseOrUnload)
{
    engine.play();
    ASSERT_FALSE(engine.lastError().isEmpty());
    engine.pause();
    engine.unload();
    EXPECT_FALSE(engine.lastError().isEmpty());
    loadTone();
    EXPECT_TRUE(engine.lastError().isEmpty());
    output->startFailure = QStringLiteral("busy");
    engine.play();
    ASSERT_FALSE(engine.lastError().isEmpty());
    engine.seek(1.0);
    EXPECT_TRUE(engine.lastError().isEmpty());
}

TEST_F(PlayerEngineTest, SeekWhilePlayingOnAStoppedDeviceReportsTheFailure)
{
    loadAndPlay();
    output->running = false; // the device went away
    output->startFailure = QStringLiteral("gone");
    engine.seek(1.0);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 1.0);
    EXPECT_EQ(engine.lastError(), QStringLiteral("音频引擎启动失败（gone）"));
}

} // namespace
