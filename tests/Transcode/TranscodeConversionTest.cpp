#include "Playback/AudioDecoder.h"
#include "ToneFile.h"
#include "Storage/FileTime.h"
#include "Transcode/TranscodeCache.h"
#include "Transcode/TranscodeQueue.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// The codec of the file's first audio stream.
AVCodecID audioCodec(const FileLocation &file)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, file.cPath(), nullptr, nullptr) < 0)
        return AV_CODEC_ID_NONE;
    AVCodecID codec = AV_CODEC_ID_NONE;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        const int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (stream >= 0)
            codec = format->streams[stream]->codecpar->codec_id;
    }
    avformat_close_input(&format);
    return codec;
}

struct PlayedTone
{
    double seconds = 0;
    double frequency = 0;
};

// Plays the file through the player's decoder and measures the tone by its zero crossings.
std::optional<PlayedTone> play(const FileLocation &file)
{
    auto decoder = AudioDecoder::open(file);
    if (!decoder)
        return std::nullopt;
    std::vector<float> block(4096 * AudioDecoder::channelCount);
    qint64 frames = 0;
    qint64 crossings = 0;
    float previous = 0;
    while (const qint64 read = (*decoder)->read(block.data(), 4096)) {
        for (qint64 i = 0; i < read; ++i) {
            const float left = block[size_t(i * AudioDecoder::channelCount)];
            crossings += (previous < 0) != (left < 0);
            previous = left;
        }
        frames += read;
    }
    const double seconds = double(frames) / (*decoder)->sampleRate();
    return PlayedTone{seconds, crossings / 2.0 / seconds};
}

Track trackFor(const FileLocation &file)
{
    struct stat info {};
    EXPECT_EQ(::stat(file.cPath(), &info), 0);
    Track track;
    track.id = QUuid::createUuid();
    track.url = file;
    track.fileSize = info.st_size;
    track.modifiedAt = FileTime::referenceSeconds(info.st_mtim);
    return track;
}

// Debian's ffmpeg converts formats the player cannot play into ALAC that decodes in full; a
// name that is not UTF-8 goes through a link that is gone afterwards.
class TranscodeConversionTest : public ::testing::TestWithParam<QByteArray>
{
};

TEST_P(TranscodeConversionTest, RealFFmpegMakesAPlayableAlacCopy)
{
    const auto ffmpeg = ToneFile::systemFFmpeg();
    if (!ffmpeg)
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir folder;
    const ToneFile tone(folder.path(), GetParam(), 440);
    ASSERT_TRUE(tone.isValid());
    const FileLocation cacheRoot = FileLocation::fromLocalFile(folder.path() + QStringLiteral("/transcode"));
    TranscodeQueue queue(cacheRoot, ffmpeg);
    const Track track = trackFor(tone.location());

    QFuture<TranscodeResult> future = queue.ensureCached(track);
    future.waitForFinished();
    const TranscodeResult result = future.result();

    ASSERT_TRUE(result.has_value()) << result.error().description().toStdString();
    EXPECT_EQ(*result, TranscodeCache::cacheURL(track, cacheRoot));
    EXPECT_EQ(audioCodec(*result), AV_CODEC_ID_ALAC);
    const std::optional<PlayedTone> played = play(*result);
    ASSERT_TRUE(played.has_value());
    EXPECT_NEAR(played->seconds, 2.0, 0.05);
    EXPECT_NEAR(played->frequency, 440.0, 5.0);
    EXPECT_EQ(QDir(QString::fromUtf8(cacheRoot.path())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QString::fromUtf8(result->fileName())});
}

INSTANTIATE_TEST_SUITE_P(Formats, TranscodeConversionTest,
                         ::testing::Values(QByteArray("tone.ogg"), QByteArray("tone.opus"),
                                           QByteArray("\xb8\xe8\xc7\xfa.ogg")));

} // namespace
