#include "Playback/AudioDecoder.h"
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

// FFmpeg and the codec libraries it pulls in cost a program that plays nothing tens of megabytes
// of memory: they come in with the first file opened.
TEST(FFmpegLibraryTest, TheLibrariesLoadWithTheFirstFileOpened)
{
    EXPECT_FALSE(isMapped("/libavformat.so."));
    EXPECT_FALSE(isMapped("/libavcodec.so."));

    QTemporaryDir folder;
    const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("tone.flac"), 0.5);
    const auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path), AudioDecoder::Length::Estimated);
    ASSERT_TRUE(decoder.has_value()) << qPrintable(decoder.error());
    EXPECT_GT((*decoder)->frameCount(), 0);
    EXPECT_TRUE(isMapped("/libavformat.so."));
    EXPECT_TRUE(isMapped("/libavcodec.so."));
}

} // namespace
