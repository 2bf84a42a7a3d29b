#include "Playback/AudioDecoder.h"

#include "AudioFormats.h"
#include "Support/AudioFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<float> readAll(AudioDecoder &decoder)
{
    std::vector<float> samples;
    std::vector<float> block(4096 * AudioDecoder::channelCount);
    while (const qint64 frames = decoder.read(block.data(), 4096))
        samples.insert(samples.end(), block.begin(), block.begin() + frames * AudioDecoder::channelCount);
    return samples;
}

double peak(const std::vector<float> &samples)
{
    double result = 0;
    for (const float sample : samples)
        result = std::max(result, double(std::abs(sample)));
    return result;
}

class AudioDecoderFormatTest : public ::testing::TestWithParam<AudioFormatCase>
{
protected:
    std::unique_ptr<AudioDecoder> openTone(double seconds, int frequency = 1000, QStringList extra = {})
    {
        const AudioFormatCase &format = GetParam();
        extra += format.extra;
        const QString path = AudioFixture::makeTone(folder.path(), QString::fromUtf8(format.fileName), seconds,
                                                    frequency, extra);
        auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path));
        EXPECT_TRUE(decoder.has_value()) << (decoder ? "" : decoder.error().toStdString());
        return decoder ? std::move(*decoder) : nullptr;
    }

    QTemporaryDir folder;
};

TEST_P(AudioDecoderFormatTest, LengthIsTheDecodedFrameCount)
{
    auto decoder = openTone(2.0);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->sampleRate(), 44100);
    const auto samples = readAll(*decoder);
    EXPECT_EQ(qint64(samples.size() / AudioDecoder::channelCount), decoder->frameCount());
    // Without a header an MP3 cannot tell its encoder delay and padding: up to two frames more.
    EXPECT_NEAR(decoder->frameCount(), 88200, 2304);
}

TEST_P(AudioDecoderFormatTest, SeekLandsOnTheExactFrame)
{
    auto decoder = openTone(3.0, 441);
    ASSERT_TRUE(decoder);
    const auto whole = readAll(*decoder);
    for (const qint64 target : {qint64(0), qint64(12345), qint64(66150), decoder->frameCount() - 100}) {
        ASSERT_TRUE(decoder->seek(target)) << "target " << target;
        std::vector<float> block(2048 * AudioDecoder::channelCount);
        const qint64 frames = decoder->read(block.data(), 2048);
        ASSERT_EQ(frames, std::min<qint64>(2048, decoder->frameCount() - target)) << "target " << target;
        double difference = 0;
        for (qint64 i = 0; i < frames * AudioDecoder::channelCount; ++i)
            difference = std::max(difference, double(std::abs(block[i] - whole[target * 2 + i])));
        EXPECT_LE(difference, GetParam().lossless ? 1e-6 : 2e-2) << "target " << target;
    }
}

TEST_P(AudioDecoderFormatTest, SeekPastTheEndReadsNothing)
{
    auto decoder = openTone(1.0);
    ASSERT_TRUE(decoder);
    ASSERT_TRUE(decoder->seek(decoder->frameCount() + 1000));
    float block[64];
    EXPECT_EQ(decoder->read(block, 32), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioDecoderFormatTest, nativeAudioFormats(), audioFormatName);
// Without a Xing header the container can only estimate the length from the bitrate.
INSTANTIATE_TEST_SUITE_P(Mp3WithoutHeader, AudioDecoderFormatTest,
                         ::testing::Values(AudioFormatCase{"plain.mp3", {"-write_xing", "0"}, false}), audioFormatName);

// The length header of the first frame is read, not every packet counted: a copy cut short keeps
// the whole file's length, MPEG-1 stereo and MPEG-2 mono alike.
TEST(AudioDecoderTest, Mp3LengthComesFromItsHeader)
{
    QTemporaryDir folder;
    for (const QStringList &extra : {QStringList{}, QStringList{"-ac", "1", "-ar", "22050"}}) {
        const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("whole.mp3"), 2.0, 1000, extra);
        auto whole = AudioDecoder::open(FileLocation::fromLocalFile(path));
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(qint64(readAll(**whole).size() / AudioDecoder::channelCount), (*whole)->frameCount());

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QFile cut(folder.filePath(QStringLiteral("cut.mp3")));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(bytes.size() / 2));
        cut.close();
        auto shortened = AudioDecoder::open(FileLocation::fromLocalFile(cut.fileName()), AudioDecoder::Length::Estimated);
        ASSERT_TRUE(shortened.has_value());
        EXPECT_TRUE((*shortened)->isLengthExact());
        EXPECT_EQ((*shortened)->frameCount(), (*whole)->frameCount()) << extra.join(u' ').toStdString();
    }
}

TEST(AudioDecoderTest, Mp3WithoutHeaderIsCountedApartWhenAskedTo)
{
    QTemporaryDir folder;
    const QString path = AudioFixture::makeTone(folder.path(), QStringLiteral("plain.mp3"), 2.0, 1000, {"-write_xing", "0"});
    auto estimated = AudioDecoder::open(FileLocation::fromLocalFile(path), AudioDecoder::Length::Estimated);
    ASSERT_TRUE(estimated.has_value());
    EXPECT_FALSE((*estimated)->isLengthExact());
    const std::optional<qint64> counted = AudioDecoder::countedFrameCount(FileLocation::fromLocalFile(path));
    ASSERT_TRUE(counted);
    // Playing from an estimate loses nothing: the frames run to the real end.
    EXPECT_EQ(qint64(readAll(**estimated).size() / AudioDecoder::channelCount), *counted);
}

TEST(AudioDecoderTest, MonoPlaysAtFullLevelOnBothChannels)
{
    QTemporaryDir folder;
    // lavfi's sine has an amplitude of 1/8.
    const QString path = AudioFixture::makeTone(folder.path(), "mono.wav", 1.0, 1000, {"-ac", "1"});
    auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path));
    ASSERT_TRUE(decoder);
    const auto samples = readAll(**decoder);
    ASSERT_FALSE(samples.empty());
    EXPECT_NEAR(peak(samples), 0.125, 0.002);
    for (std::size_t i = 0; i < samples.size(); i += 2)
        ASSERT_EQ(samples[i], samples[i + 1]);
}

TEST(AudioDecoderTest, SurroundIsMixedDownToStereo)
{
    QTemporaryDir folder;
    const QString path = AudioFixture::makeTone(folder.path(), "surround.flac", 1.0, 1000,
                                                {"-af", "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0"});
    auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path));
    ASSERT_TRUE(decoder);
    const auto samples = readAll(**decoder);
    EXPECT_EQ(qint64(samples.size() / 2), (*decoder)->frameCount());
    EXPECT_GT(peak(samples), 0.1);
}

TEST(AudioDecoderTest, UnreadableFileIsAnError)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("noise.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path));
    ASSERT_FALSE(decoder.has_value());
    EXPECT_FALSE(decoder.error().isEmpty());
    EXPECT_FALSE(AudioDecoder::open(FileLocation::fromLocalFile(folder.filePath("absent.flac"))).has_value());
}

} // namespace
