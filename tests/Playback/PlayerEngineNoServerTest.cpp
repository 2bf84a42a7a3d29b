// Without a sound server the engine reports that it cannot start; nothing crashes. Its own
// executable, so that the audio system first starts up here with the server out of reach.
#include "Playback/PlayerEngine.h"

#include "Support/AudioFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PlayerEngineNoServerTest, PlayReportsThatTheEngineCannotStart)
{
    QTemporaryDir folder;
    qputenv("PULSE_SERVER", QFile::encodeName(folder.filePath("no-server")));
    PlayerEngine engine;
    const QString path = AudioFixture::makeTone(folder.path(), "tone.flac", 1.0);
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    engine.play();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_TRUE(engine.lastError().startsWith(QStringLiteral("音频引擎启动失败（"))) << engine.lastError().toStdString();
    engine.seek(0.5);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0.5);
    engine.unload();
    EXPECT_EQ(engine.duration(), 0);
}
