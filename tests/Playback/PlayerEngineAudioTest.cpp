#include "Playback/PlayerEngine.h"

#include "AudioFormats.h"
#include "Support/AudioFixture.h"
#include "Support/SinkRecording.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr double toneLevel = 0.125 * 0.8; // lavfi's sine at the engine's volume

// Seconds of the recording that carry the tone at half its level or more.
double audibleSeconds(const std::vector<float> &samples)
{
    return ToneAnalysis::audibleSeconds(samples, 1000, toneLevel / 2);
}

// Plays real 1 kHz tones into the private null sink "ci" and records its monitor.
class PlayerEngineAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SinkRecording::serverReachable())
            GTEST_SKIP() << "no PulseAudio server is reachable (scripts/test.sh starts one)";
        engine.setVolume(0.8f);
        engine.setOnFinish([this] {
            ++finishCount;
            finishedAt = recording.seconds();
        });
        ASSERT_TRUE(recording.start());
    }

    void play(const char *fileName, double seconds, const QStringList &extra = {})
    {
        const QString path = AudioFixture::makeTone(folder.path(), QString::fromUtf8(fileName), seconds, 1000, extra);
        ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value()) << engine.lastError().toStdString();
        engine.play();
        ASSERT_TRUE(engine.isPlaying()) << engine.lastError().toStdString();
    }

    void spinFor(int milliseconds) { recording.spinUntil([] { return false; }, milliseconds); }
    // A null sink can take half a second to start moving; the tone's arrival is the true start.
    void waitUntilHeard() { ASSERT_TRUE(recording.waitForTone(1000, toneLevel / 2, 3000)); }
    bool waitForFinish(int timeoutMs) { return recording.spinUntil([this] { return finishCount > 0; }, timeoutMs); }

    // Whether the streams playing into the server are corked (suspended), as the server sees it.
    static QString corked()
    {
        QProcess pactl;
        pactl.start("sh", {"-c", "pactl list sink-inputs | sed -n 's/^\\s*Corked: //p'"});
        pactl.waitForFinished(5000);
        return QString::fromLatin1(pactl.readAllStandardOutput()).simplified();
    }

    QTemporaryDir folder;
    PlayerEngine engine;
    SinkRecording recording;
    int finishCount = 0;
    double finishedAt = 0; // seconds recorded at the end's report
};

class PlayerEngineFormatTest : public PlayerEngineAudioTest, public ::testing::WithParamInterface<AudioFormatCase>
{
};

TEST_P(PlayerEngineFormatTest, PlaysTheWholeToneAtItsPitchThenFinishes)
{
    play(GetParam().fileName, 1.0, GetParam().extra);
    ASSERT_TRUE(waitForFinish(5000));
    spinFor(300);
    const auto heard = recording.samples();
    // The end is reported once the sink has played everything, not when it was handed over.
    EXPECT_LT(audibleSeconds({heard.begin() + qsizetype(finishedAt * SinkRecording::sampleRate), heard.end()}), 0.1);
    EXPECT_EQ(finishCount, 1);
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
    EXPECT_NEAR(engine.duration(), 1.0, 0.03);
    // All of the tone came out, at its level measured at exactly 1 kHz (so at its pitch).
    EXPECT_NEAR(audibleSeconds(heard), 1.0, 0.08);
    double loudest = 0;
    for (double from = 0; from + 0.2 <= double(heard.size()) / SinkRecording::sampleRate; from += 0.1)
        loudest = std::max(loudest, ToneAnalysis::level(heard, from, from + 0.2, 1000));
    EXPECT_NEAR(loudest, toneLevel, toneLevel * 0.1);
}

INSTANTIATE_TEST_SUITE_P(Formats, PlayerEngineFormatTest, nativeAudioFormats(), audioFormatName);

TEST_F(PlayerEngineAudioTest, PauseSilencesAndSuspendsTheOutputAndResumesWithNothingLost)
{
    play("long.flac", 3.0);
    waitUntilHeard();
    spinFor(600);
    engine.pause();
    const double pausedAt = engine.position();
    EXPECT_GT(pausedAt, 0.4);
    EXPECT_LT(pausedAt, 1.0);
    const double pauseMark = recording.seconds();
    spinFor(300);
    EXPECT_EQ(corked(), "yes");
    spinFor(500);
    EXPECT_DOUBLE_EQ(engine.position(), pausedAt);
    const auto paused = recording.samples();
    EXPECT_GT(ToneAnalysis::level(paused, pauseMark - 0.4, pauseMark - 0.2, 1000), toneLevel * 0.8);
    EXPECT_LT(ToneAnalysis::level(paused, pauseMark + 0.3, pauseMark + 0.7, 1000), toneLevel * 0.02);
    engine.play();
    spinFor(700);
    EXPECT_EQ(corked(), "no");
    engine.pause();
    spinFor(300);
    // Everything played was heard once: no block lost at the pause or repeated at the resume.
    EXPECT_NEAR(audibleSeconds(recording.samples()), engine.position(), 0.1);
    // Ended, it is suspended once the end has had time to be heard.
    engine.seek(2.7);
    engine.play();
    ASSERT_TRUE(waitForFinish(3000));
    spinFor(300);
    EXPECT_EQ(corked(), "no");
    EXPECT_TRUE(recording.spinUntil([] { return corked() == "yes"; }, 3000));
    EXPECT_EQ(finishCount, 1);
}

TEST_F(PlayerEngineAudioTest, SeekWhilePlayingJumpsAndReachesTheNaturalEnd)
{
    play("long.wav", 6.0);
    waitUntilHeard();
    engine.seek(5.5);
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_DOUBLE_EQ(engine.position(), 5.5);
    QElapsedTimer sinceSeek;
    sinceSeek.start();
    ASSERT_TRUE(waitForFinish(3000));
    // Half a second of audio is left after the seek, plus the device's latency.
    EXPECT_GT(sinceSeek.elapsed(), 400);
    EXPECT_LT(sinceSeek.elapsed(), 1500);
    // The start, what the device still held at the seek, then the last half second: not the middle.
    const double audible = audibleSeconds(recording.samples());
    EXPECT_GT(audible, 0.5);
    EXPECT_LT(audible, 1.0);
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
}

// The spectrum shows the tone. Each position published after a seek, every half second and never
// going back, is the seek target plus the time the sink has played since, as its monitor recorded
// it (a busy machine stalls both alike).
TEST_F(PlayerEngineAudioTest, TheSpectrumShowsTheToneAndThePositionFollowsThePlayedTimeAfterSeeks)
{
    engine.setSpectrumEnabled(true);
    play("long.flac", 8.0);
    waitUntilHeard();
    ASSERT_TRUE(recording.spinUntil([this] { return engine.spectrum().at(12) > 0.3f; }, 3000));
    const QList<float> bands = engine.spectrum();
    // 1 kHz lies between bins 23 and 24, which bands 12 and 13 share; the lowest bands stay dark.
    EXPECT_LT(bands.at(2), 0.1f);
    const auto loudest = std::ranges::max_element(bands) - bands.begin();
    EXPECT_TRUE(loudest == 12 || loudest == 13) << loudest;
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
        EXPECT_TRUE(std::ranges::is_sorted(published)) << target;
        for (const auto &[position, elapsed] : published)
            EXPECT_NEAR(position, target + elapsed, 0.3) << target;
    }
}

} // namespace
