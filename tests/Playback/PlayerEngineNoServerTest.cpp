// FFmpeg (tens of megabytes with its codecs) is mapped only once a file is loaded. Without a sound
// server the engine says it cannot start and nothing crashes. Its own executable, so that FFmpeg
// and the audio system first start up here, with the server out of reach.
#include "Playback/PlayerEngine.h"

#include "Support/AudioFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool isMapped(const QByteArray &library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

TEST(PlayerEngineNoServerTest, FFmpegLoadsWithTheFirstFileAndPlayReportsThatTheEngineCannotStart)
{
    QTemporaryDir folder;
    qputenv("PULSE_SERVER", QFile::encodeName(folder.filePath("no-server")));
    PlayerEngine engine;
    const QString path = AudioFixture::makeTone(folder.path(), "tone.flac", 1.0);
    EXPECT_FALSE(isMapped("/libavformat.so.") || isMapped("/libavcodec.so."));
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    EXPECT_TRUE(isMapped("/libavformat.so.") && isMapped("/libavcodec.so."));
    engine.play();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_TRUE(engine.lastError().startsWith(QStringLiteral("音频引擎启动失败（"))) << engine.lastError().toStdString();
    engine.seek(0.5);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0.5);
    engine.unload();
    EXPECT_EQ(engine.duration(), 0);
}

} // namespace
