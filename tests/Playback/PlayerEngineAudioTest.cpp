// Plays real files through QAudioSink into the private PulseAudio null sink "ci" and listens to its
// monitor.
#include "Playback/PlayerEngine.h"

#include "AudioFormats.h"
#include "SinkRecording.h"
#include "Support/AudioFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr double toneLevel = 0.125 * 0.8; // lavfi's sine at the engine's volume

class PlayerEngineAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SinkRecording::serverReachable())
            GTEST_SKIP() << "no PulseAudio server is reachable (scripts/test.sh starts one)";
        engine.setVolume(0.8f);
        engine.setOnFinish([this] { ++finishCount; });
        ASSERT_TRUE(recording.start());
    }

    QString tone(const char *fileName, double seconds, QStringList extra = {})
    {
        return AudioFixture::makeTone(folder.path(), QString::fromUtf8(fileName), seconds, 1000, extra);
    }

    bool spinUntil(const std::function<bool()> &done, int timeoutMs) { return recording.spinUntil(done, timeoutMs); }

    // A null sink can take half a second to start moving; the tone's arrival is the true start.
    void waitUntilHeard() { ASSERT_TRUE(recording.waitForTone(1000, toneLevel / 2, 3000)); }

    void spinFor(int milliseconds)
    {
        spinUntil([] { return false; }, milliseconds);
    }

    void loadAndPlay(const QString &path)
    {
        ASSERT_FALSE(path.isEmpty());
        ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value()) << engine.lastError().toStdString();
        engine.play();
        ASSERT_TRUE(engine.isPlaying()) << engine.lastError().toStdString();
    }

    // Whether each stream playing into the server is corked (suspended), as the server sees it.
    static QStringList corked()
    {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
        pactl.waitForFinished(5000);
        QStringList states;
        for (const QByteArray &line : pactl.readAllStandardOutput().split('\n'))
            if (line.trimmed().startsWith("Corked:"))
                states.append(QString::fromLatin1(line.trimmed().mid(7).trimmed()));
        return states;
    }

    QTemporaryDir folder;
    PlayerEngine engine;
    SinkRecording recording;
    int finishCount = 0;
};

class PlayerEngineFormatTest : public PlayerEngineAudioTest, public ::testing::WithParamInterface<AudioFormatCase>
{
};

TEST_P(PlayerEngineFormatTest, PlaysTheWholeToneAtItsPitchThenFinishes)
{
    double finishedAt = 0;
    engine.setOnFinish([&] {
        ++finishCount;
        finishedAt = recording.seconds();
    });
    loadAndPlay(tone(GetParam().fileName, 1.0, GetParam().extra));
    ASSERT_TRUE(spinUntil([this] { return finishCount > 0; }, 5000));
    spinFor(300);
    const auto samples = recording.stop();
    // The end is reported once the sink has played everything, not when it was handed over.
    const std::vector<float> afterFinish(samples.begin() + qsizetype(finishedAt * SinkRecording::sampleRate),
                                         samples.end());
    EXPECT_LT(ToneAnalysis::audibleSeconds(afterFinish, 1000, toneLevel / 2), 0.1);

    EXPECT_EQ(finishCount, 1);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
    EXPECT_NEAR(engine.duration(), 1.0, 0.03);
    // All of the tone came out, at its pitch and level, before the end was reported.
    EXPECT_NEAR(ToneAnalysis::audibleSeconds(samples, 1000, toneLevel / 2), 1.0, 0.08);
    const double total = double(samples.size()) / SinkRecording::sampleRate;
    double loudest = 0;
    for (double from = 0; from + 0.2 <= total; from += 0.1)
        loudest = std::max(loudest, ToneAnalysis::level(samples, from, from + 0.2, 1000));
    EXPECT_NEAR(loudest, toneLevel, toneLevel * 0.1);
    double middle = 0;
    for (double from = 0; from + 0.2 <= total; from += 0.05)
        if (ToneAnalysis::level(samples, from, from + 0.2, 1000) > toneLevel * 0.9) {
            middle = from;
            break;
        }
    EXPECT_NEAR(ToneAnalysis::pitch(samples, middle, middle + 0.2), 1000, 10);
}

INSTANTIATE_TEST_SUITE_P(Formats, PlayerEngineFormatTest, nativeAudioFormats(), audioFormatName);

TEST_F(PlayerEngineAudioTest, PauseSilencesTheSinkAndHoldsThePosition)
{
    loadAndPlay(tone("long.flac", 5.0));
    waitUntilHeard();
    spinFor(600);
    engine.pause();
    const double pausedAt = engine.position();
    EXPECT_GT(pausedAt, 0.4);
    EXPECT_LT(pausedAt, 1.0);
    const double pauseMark = recording.seconds();
    spinFor(800);
    const auto samples = recording.stop();

    EXPECT_FALSE(engine.isPlaying());
    EXPECT_DOUBLE_EQ(engine.position(), pausedAt);
    EXPECT_EQ(finishCount, 0);
    EXPECT_GT(ToneAnalysis::level(samples, pauseMark - 0.4, pauseMark - 0.2, 1000), toneLevel * 0.8);
    EXPECT_LT(ToneAnalysis::level(samples, pauseMark + 0.3, pauseMark + 0.7, 1000), toneLevel * 0.02);
}

TEST_F(PlayerEngineAudioTest, PausedOrEndedTheOutputIsSuspendedAndResumesWithNothingLost)
{
    loadAndPlay(tone("long.flac", 3.0));
    waitUntilHeard();
    spinFor(600);
    EXPECT_EQ(corked(), QStringList{"no"});
    engine.pause();
    spinFor(300);
    EXPECT_EQ(corked(), QStringList{"yes"});
    spinFor(500);

    engine.play();
    spinFor(700);
    EXPECT_EQ(corked(), QStringList{"no"});
    engine.pause();
    spinFor(300);
    // Everything played was heard once: no block lost at the pause or repeated at the resume.
    EXPECT_NEAR(ToneAnalysis::audibleSeconds(recording.samples(), 1000, toneLevel / 2), engine.position(), 0.1);

    // Ended, it is suspended once the end has had time to be heard.
    engine.seek(2.7);
    engine.play();
    ASSERT_TRUE(spinUntil([this] { return finishCount > 0; }, 3000));
    spinFor(300);
    EXPECT_EQ(corked(), QStringList{"no"});
    EXPECT_TRUE(spinUntil([] { return corked() == QStringList{"yes"}; }, 3000));
    recording.stop();
}

TEST_F(PlayerEngineAudioTest, SeekWhilePlayingJumpsAndReachesTheNaturalEnd)
{
    loadAndPlay(tone("long.wav", 6.0));
    waitUntilHeard();
    engine.seek(5.5);
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_DOUBLE_EQ(engine.position(), 5.5);
    QElapsedTimer sinceSeek;
    sinceSeek.start();
    ASSERT_TRUE(spinUntil([this] { return finishCount > 0; }, 3000));
    // Half a second of audio is left after the seek, plus the device's latency.
    EXPECT_GT(sinceSeek.elapsed(), 400);
    EXPECT_LT(sinceSeek.elapsed(), 1500);
    const auto samples = recording.stop();
    // The start, what the device still held at the seek, then the last half second: not the middle.
    const double audible = ToneAnalysis::audibleSeconds(samples, 1000, toneLevel / 2);
    EXPECT_GT(audible, 0.5);
    EXPECT_LT(audible, 1.0);
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
}

// Each published position after a seek is the seek target plus the time the sink has played
// since, as its monitor recorded it (a busy machine stalls both alike).
TEST_F(PlayerEngineAudioTest, PositionFollowsThePlayedTimeAfterSeeksBackForwardAndNearTheEnd)
{
    loadAndPlay(tone("long.flac", 8.0));
    waitUntilHeard();
    spinFor(1500);
    double recordedAtSeek = 0;
    double lastTarget = 0;
    QList<std::pair<double, double>> published; // (position, seconds recorded since the seek)
    QObject::connect(&engine, &PlayerEngine::positionChanged, [&](double position) {
        if (position != lastTarget)
            published.append({position, recording.seconds() - recordedAtSeek});
    });
    for (const double target : {0.5, 4.0, 1.0, 6.5}) {
        published.clear();
        lastTarget = target;
        engine.seek(target);
        recordedAtSeek = recording.seconds();
        spinFor(1100);
        ASSERT_TRUE(engine.isPlaying()) << target;
        ASSERT_GE(published.size(), 2) << target;
        for (const auto &[position, elapsed] : published)
            EXPECT_NEAR(position, target + elapsed, 0.3) << target;
    }
    recording.stop();
}

TEST_F(PlayerEngineAudioTest, PositionAdvancesWithWhatIsHeardAndNeverGoesBack)
{
    loadAndPlay(tone("long.flac", 4.0));
    waitUntilHeard();
    QList<double> positions;
    QObject::connect(&engine, &PlayerEngine::positionChanged, [&](double position) { positions << position; });
    QElapsedTimer heard;
    heard.start();
    spinFor(2100);
    recording.stop();
    ASSERT_GE(positions.size(), 4);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    // Counted from what the sink has played, published every half second.
    EXPECT_GT(positions.back(), 1.4);
    EXPECT_LT(positions.back(), 2.2);
}

TEST_F(PlayerEngineAudioTest, SpectrumShowsTheToneWhileEnabled)
{
    engine.setSpectrumEnabled(true);
    loadAndPlay(tone("long.flac", 3.0));
    ASSERT_TRUE(spinUntil([this] { return engine.spectrum().at(12) > 0.3f; }, 3000));
    recording.stop();
    const QList<float> bands = engine.spectrum();
    // 1 kHz lies between bins 23 and 24, which bands 12 and 13 share; the lowest bands stay dark.
    EXPECT_LT(bands.at(2), 0.1f);
    const auto loudest = std::max_element(bands.begin(), bands.end()) - bands.begin();
    EXPECT_TRUE(loudest == 12 || loudest == 13) << loudest;
}

} // namespace
