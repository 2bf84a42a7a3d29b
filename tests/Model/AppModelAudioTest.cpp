// The model with the real engine, playing into the private PulseAudio null sink "ci" and listening
// to its monitor.
#include "ModelFixture.h"

#include "CorePlaybackEngine.h"
#include "Support/SinkRecording.h"
#include "Support/AudioFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <functional>

namespace {

constexpr double toneLevel = 0.125 * 0.8; // lavfi's sine at the model's volume

class AppModelAudioTest : public ModelFixture
{
protected:
    void SetUp() override
    {
        if (!SinkRecording::serverReachable())
            GTEST_SKIP() << "no PulseAudio server is reachable (scripts/test.sh starts one)";
    }

    Track toneTrack(const char *title, int frequency)
    {
        const QString file = AudioFixture::makeTone(temporary.path(), QString::fromUtf8(title) + QStringLiteral(".flac"),
                                                    4.0, frequency);
        return makeTrack(QString::fromUtf8(title), QFile::encodeName(file));
    }

    bool spinUntil(const std::function<bool()> &done, int timeoutMs) { return recording.spinUntil(done, timeoutMs); }
    bool hears(int frequency) { return recording.waitForTone(frequency, toneLevel / 2, 4000); }

    SinkRecording recording;
};

} // namespace

TEST_F(AppModelAudioTest, PlaysSkipsToTheNextFileAndSavesThePositionThatWasHeard)
{
    const Track first = toneTrack("First", 1000), second = toneTrack("Second", 500);
    seed({first, second});
    AppModelEnvironment made = environment.make();
    made.makeEngine = [] { return std::make_unique<CorePlaybackEngine>(); };
    model = std::make_unique<AppModel>(directory, std::move(made));
    settle();
    ASSERT_TRUE(recording.start());

    model->play(first.id);
    ASSERT_TRUE(hears(1000)) << model->statusMessage().value_or(QString()).toStdString();
    spinUntil([] { return false; }, 500);
    model->next();
    EXPECT_EQ(model->currentTrack(), second);
    EXPECT_EQ(model->queue().index(), 1);
    ASSERT_TRUE(hears(500));
    spinUntil([] { return false; }, 1200);
    model->play(second.id); // the current track again: pauses
    ASSERT_TRUE(spinUntil([&] { return !model->isPlaying(); }, 2000));
    spinUntil([] { return false; }, 400);
    const std::vector<float> samples = recording.stop();

    const AppSettings saved = savedSettings();
    EXPECT_EQ(saved.lastTrackID, second.id);
    EXPECT_EQ(saved.lastQueue, (QList<QUuid>{first.id, second.id}));
    const double heard = ToneAnalysis::audibleSeconds(samples, 500, toneLevel / 2);
    EXPECT_GT(heard, 1.0);
    EXPECT_NEAR(saved.lastPosition, heard, 0.5);
    EXPECT_FALSE(model->statusMessage());
}
