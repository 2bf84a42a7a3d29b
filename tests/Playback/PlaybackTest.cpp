// The pieces under the engine: the queue's stepping rules, the decoder on real files made by
// ffmpeg, and the spectrum analysis.
#include "Playback/AudioDecoder.h"
#include "Playback/PlaybackQueue.h"
#include "Playback/SpectrumAnalyzer.h"

#include "AudioFormats.h"
#include "Support/AudioFixture.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

// The queue ---------------------------------------------------------------------------------------

QList<QUuid> makeIDs(int count)
{
    QList<QUuid> ids;
    for (int i = 0; i < count; ++i)
        ids.append(QUuid::createUuid());
    return ids;
}

// Deals `count` tracks and returns them in the order they came.
QList<QUuid> deal(PlaybackQueue &queue, int count)
{
    QList<QUuid> dealt;
    for (int i = 0; i < count; ++i) {
        const std::optional<QUuid> id = queue.next();
        EXPECT_TRUE(id.has_value());
        if (id)
            dealt.append(*id);
    }
    return dealt;
}

QSet<QUuid> asSet(const QList<QUuid> &ids)
{
    return QSet<QUuid>(ids.begin(), ids.end());
}

TEST(PlaybackModeTest, NamesRoundTripAndUnknownNamesGiveNothing)
{
    const QStringList names{u"sequential"_qs, u"repeatAll"_qs, u"repeatOne"_qs, u"shuffle"_qs};
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_EQ(playbackModeName(allPlaybackModes.at(i)), names.at(i));
        EXPECT_EQ(playbackModeFromName(names.at(i)), allPlaybackModes.at(i));
    }
    EXPECT_EQ(playbackModeFromName(u"Shuffle"), std::nullopt);
    EXPECT_EQ(playbackModeFromName(u""), std::nullopt);
}

class PlaybackQueueModeTest : public ::testing::TestWithParam<PlaybackMode>
{
};

TEST_P(PlaybackQueueModeTest, EmptyQueueGivesNothingAndTheStartIsLimitedToTheList)
{
    PlaybackQueue empty({}, 5, GetParam());
    EXPECT_EQ(empty.index(), 0);
    EXPECT_EQ(empty.currentID(), std::nullopt);
    EXPECT_EQ(empty.next(), std::nullopt);
    EXPECT_EQ(empty.previous(), std::nullopt);
    EXPECT_EQ(empty.index(), 0);

    const QList<QUuid> ids = makeIDs(4);
    EXPECT_EQ(PlaybackQueue(ids, -3, GetParam()).index(), 0);
    EXPECT_EQ(PlaybackQueue(ids, 10, GetParam()).index(), 3);
    empty.replace(ids, -3);
    EXPECT_EQ(empty.currentID(), ids.at(0));
    empty.replace(ids, 10);
    EXPECT_EQ(empty.currentID(), ids.at(3));
    empty.replace({}, 2);
    EXPECT_EQ(empty.index(), 0);
    EXPECT_EQ(empty.next(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(AllModes, PlaybackQueueModeTest, ::testing::ValuesIn(allPlaybackModes),
                         [](const auto &info) { return playbackModeName(info.param).toStdString(); });

TEST(PlaybackQueueTest, ListModesStopWrapOrRepeatAtTheEnds)
{
    const QList<QUuid> ids = makeIDs(3);
    PlaybackQueue sequential(ids, 1, PlaybackMode::Sequential);
    EXPECT_EQ(sequential.next(), ids.at(2));
    EXPECT_EQ(sequential.next(), std::nullopt);
    EXPECT_EQ(sequential.currentID(), ids.at(2));
    EXPECT_EQ(sequential.previous(), ids.at(1));
    EXPECT_EQ(sequential.previous(), ids.at(0));
    EXPECT_EQ(sequential.previous(), std::nullopt);
    EXPECT_EQ(sequential.currentID(), ids.at(0));

    PlaybackQueue repeatAll(ids, 2, PlaybackMode::RepeatAll);
    EXPECT_EQ(repeatAll.next(), ids.at(0));
    EXPECT_EQ(repeatAll.previous(), ids.at(2));
    EXPECT_EQ(repeatAll.previous(), ids.at(1));
    EXPECT_EQ(repeatAll.previous(), ids.at(0));

    PlaybackQueue repeatOne(ids, 1, PlaybackMode::RepeatOne);
    EXPECT_EQ(repeatOne.next(), ids.at(1));
    EXPECT_EQ(repeatOne.previous(), ids.at(1));
    EXPECT_EQ(repeatOne.index(), 1);
}

TEST(PlaybackQueueTest, ShufflePlaysEveryOtherTrackOnceThenTheCurrentOne)
{
    const QList<QUuid> ids = makeIDs(3);
    QSet<QUuid> firstDealt;
    for (quint32 seed = 0; seed < 50; ++seed) {
        QRandomGenerator random(seed);
        PlaybackQueue queue(ids, 1, PlaybackMode::Shuffle, &random);
        const QList<QUuid> dealt = deal(queue, 3);
        ASSERT_EQ(dealt.size(), 3);
        EXPECT_EQ(asSet(dealt), asSet(ids));
        EXPECT_EQ(dealt.at(2), ids.at(1));
        EXPECT_EQ(queue.currentID(), ids.at(1));
        firstDealt.insert(dealt.at(0));
    }
    // The order is drawn, not fixed: both other tracks come first for some seed.
    EXPECT_EQ(firstDealt, (QSet<QUuid>{ids.at(0), ids.at(2)}));
}

TEST(PlaybackQueueTest, ShuffleDealsFreshDecksFromTheGivenRandomSource)
{
    const QList<QUuid> ids = makeIDs(7);
    QRandomGenerator random(7);
    QRandomGenerator same(7);
    PlaybackQueue queue(ids, 3, PlaybackMode::Shuffle, &random);
    PlaybackQueue twin(ids, 3, PlaybackMode::Shuffle, &same);
    for (int round = 0; round < 4; ++round) {
        const QList<QUuid> dealt = deal(queue, ids.size());
        EXPECT_EQ(asSet(dealt).size(), ids.size()) << "round " << round;
        EXPECT_EQ(queue.currentID(), dealt.last());
        EXPECT_EQ(deal(twin, ids.size()), dealt);
    }
    PlaybackQueue single(ids.mid(0, 1), 0, PlaybackMode::Shuffle);
    EXPECT_EQ(deal(single, 4), QList<QUuid>(4, ids.at(0)));
}

TEST(PlaybackQueueTest, ReplacingTheListWhileShufflingDealsANewDeckEndingWithTheStart)
{
    const QList<QUuid> before = makeIDs(4);
    const QList<QUuid> after = makeIDs(3);
    for (quint32 seed = 0; seed < 20; ++seed) {
        QRandomGenerator random(seed);
        PlaybackQueue queue(before, 0, PlaybackMode::Shuffle, &random);
        deal(queue, 2);
        queue.replace(after, 1);
        const QList<QUuid> dealt = deal(queue, 3);
        EXPECT_EQ(asSet(dealt), asSet(after));
        EXPECT_EQ(dealt.value(2), after.at(1));
    }
}

TEST(PlaybackQueueTest, ShufflePreviousWalksBackThroughTheDealtTracks)
{
    const QList<QUuid> ids = makeIDs(5);
    QRandomGenerator random(3);
    PlaybackQueue queue(ids, 0, PlaybackMode::RepeatAll, &random);
    queue.setMode(PlaybackMode::Shuffle);
    EXPECT_EQ(queue.previous(), std::nullopt);
    EXPECT_EQ(queue.currentID(), ids.at(0));

    const QList<QUuid> dealt = deal(queue, 3);
    queue.setMode(PlaybackMode::Shuffle); // the same mode keeps the deck
    EXPECT_EQ(queue.previous(), dealt.at(1));
    EXPECT_EQ(queue.previous(), dealt.at(0));
    EXPECT_EQ(queue.currentID(), dealt.at(0));
    EXPECT_EQ(queue.previous(), std::nullopt);
    // Dealing forward again repeats the same order.
    EXPECT_EQ(deal(queue, 2), dealt.mid(1));
}

TEST(PlaybackQueueTest, LeavingShuffleStepsInListOrderFromTheCurrentTrack)
{
    const QList<QUuid> ids = makeIDs(5);
    QRandomGenerator random(5);
    PlaybackQueue queue(ids, 0, PlaybackMode::Shuffle, &random);
    const QUuid current = deal(queue, 1).first();
    const qsizetype position = ids.indexOf(current);
    queue.setMode(PlaybackMode::RepeatAll);
    EXPECT_EQ(queue.next(), ids.at((position + 1) % ids.size()));
    queue.setMode(PlaybackMode::Shuffle);
    EXPECT_EQ(queue.previous(), std::nullopt); // a new deck has no history
}

TEST(PlaybackQueueTest, ShuffleOverADuplicateMovesToItsFirstPosition)
{
    const QList<QUuid> unique = makeIDs(2);
    const QList<QUuid> ids{unique.at(0), unique.at(1), unique.at(0)};
    QRandomGenerator random(1);
    PlaybackQueue queue(ids, 2, PlaybackMode::Shuffle, &random);
    for (int step = 0; step < 9; ++step) {
        const std::optional<QUuid> id = queue.next();
        ASSERT_TRUE(id.has_value());
        EXPECT_EQ(queue.index(), ids.indexOf(*id));
        if (step == 2) { // the first deck ends with the track that was current
            EXPECT_EQ(*id, unique.at(0));
        }
    }
}

// The decoder -------------------------------------------------------------------------------------

std::vector<float> readAll(AudioDecoder &decoder)
{
    std::vector<float> samples;
    std::vector<float> block(4096 * AudioDecoder::channelCount);
    while (const qint64 frames = decoder.read(block.data(), 4096))
        samples.insert(samples.end(), block.begin(), block.begin() + frames * AudioDecoder::channelCount);
    return samples;
}

qint64 framesOf(const std::vector<float> &samples)
{
    return qint64(samples.size() / AudioDecoder::channelCount);
}

double peak(const std::vector<float> &samples)
{
    double result = 0;
    for (const float sample : samples)
        result = std::max(result, double(std::abs(sample)));
    return result;
}

std::unique_ptr<AudioDecoder> openTone(const QTemporaryDir &folder, const QString &name, double seconds,
                                       QStringList extra = {}, int frequency = 1000,
                                       AudioDecoder::Length length = AudioDecoder::Length::Counted)
{
    const QString path = AudioFixture::makeTone(folder.path(), name, seconds, frequency, extra);
    auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path), length);
    EXPECT_TRUE(decoder.has_value()) << (decoder ? "" : decoder.error().toStdString());
    return decoder ? std::move(*decoder) : nullptr;
}

class AudioDecoderFormatTest : public ::testing::TestWithParam<AudioFormatCase>
{
protected:
    std::unique_ptr<AudioDecoder> openTone(double seconds, int frequency = 1000)
    {
        return ::openTone(folder, QString::fromUtf8(GetParam().fileName), seconds, GetParam().extra, frequency);
    }

    QTemporaryDir folder;
};

TEST_P(AudioDecoderFormatTest, LengthIsTheDecodedFrameCountAndSeeksLandOnTheExactFrame)
{
    auto decoder = openTone(3.0, 441);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->sampleRate(), 44100);
    const auto whole = readAll(*decoder);
    EXPECT_EQ(framesOf(whole), decoder->frameCount());
    // Without a header an MP3 cannot tell its encoder delay and padding: up to two frames more.
    EXPECT_NEAR(decoder->frameCount(), 132300, 2304);
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
        auto whole = openTone(folder, QStringLiteral("whole.mp3"), 2.0, extra);
        ASSERT_TRUE(whole);
        EXPECT_EQ(framesOf(readAll(*whole)), whole->frameCount());

        QFile file(folder.filePath(QStringLiteral("whole.mp3")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QFile cut(folder.filePath(QStringLiteral("cut.mp3")));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(bytes.size() / 2));
        cut.close();
        auto shortened = AudioDecoder::open(FileLocation::fromLocalFile(cut.fileName()), AudioDecoder::Length::Estimated);
        ASSERT_TRUE(shortened.has_value());
        EXPECT_TRUE((*shortened)->isLengthExact());
        EXPECT_EQ((*shortened)->frameCount(), whole->frameCount()) << extra.join(u' ').toStdString();
    }
}

TEST(AudioDecoderTest, Mp3WithoutHeaderIsCountedApartWhenAskedTo)
{
    QTemporaryDir folder;
    auto estimated = openTone(folder, QStringLiteral("plain.mp3"), 2.0, {"-write_xing", "0"}, 1000,
                              AudioDecoder::Length::Estimated);
    ASSERT_TRUE(estimated);
    EXPECT_FALSE(estimated->isLengthExact());
    const auto counted = AudioDecoder::countedFrameCount(FileLocation::fromLocalFile(folder.filePath("plain.mp3")));
    ASSERT_TRUE(counted);
    // Playing from an estimate loses nothing: the frames run to the real end.
    EXPECT_EQ(framesOf(readAll(*estimated)), *counted);
}

TEST(AudioDecoderTest, MonoPlaysAtFullLevelOnBothChannelsAndSurroundIsMixedDown)
{
    QTemporaryDir folder;
    auto mono = openTone(folder, "mono.wav", 1.0, {"-ac", "1"});
    ASSERT_TRUE(mono);
    const auto samples = readAll(*mono);
    ASSERT_FALSE(samples.empty());
    EXPECT_NEAR(peak(samples), 0.125, 0.002); // lavfi's sine has an amplitude of 1/8
    for (std::size_t i = 0; i < samples.size(); i += 2)
        ASSERT_EQ(samples[i], samples[i + 1]);

    auto surround = openTone(folder, "surround.flac", 1.0, {"-af", "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0"});
    ASSERT_TRUE(surround);
    const auto mixed = readAll(*surround);
    EXPECT_EQ(framesOf(mixed), surround->frameCount());
    EXPECT_GT(peak(mixed), 0.1);
}

TEST(AudioDecoderTest, UnreadableFileIsAnError)
{
    QTemporaryDir folder;
    QFile file(folder.filePath("noise.mp3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(file.fileName()));
    ASSERT_FALSE(decoder.has_value());
    EXPECT_FALSE(decoder.error().isEmpty());
    EXPECT_FALSE(AudioDecoder::open(FileLocation::fromLocalFile(folder.filePath("absent.flac"))).has_value());
}

// The spectrum ------------------------------------------------------------------------------------

// A sine exactly on FFT bin `bin` of a 1024-point transform.
std::vector<float> sineOnBin(double bin, double amplitude, std::size_t count = 1024)
{
    std::vector<float> samples(count);
    for (std::size_t n = 0; n < count; ++n)
        samples[n] = float(amplitude * std::sin(2 * std::numbers::pi * bin * double(n) / 1024.0));
    return samples;
}

QList<float> analyse(const std::vector<float> &samples, double sampleRate)
{
    SpectrumAnalyzer analyzer;
    QList<float> bands;
    analyzer.process(samples, sampleRate, bands);
    return bands;
}

const QList<float> darkBands(24, 0.0f);

struct BinCase
{
    double sampleRate;
    double bin;
    std::vector<int> bands;
};

void PrintTo(const BinCase &value, std::ostream *stream)
{
    *stream << "bin " << value.bin << " at " << value.sampleRate << " Hz";
}

class SpectrumAnalyzerBinTest : public ::testing::TestWithParam<BinCase>
{
};

// The bands that a quiet sine on one bin lights are those whose range holds the bin (a neighbour
// bin alone gives about 0.29).
TEST_P(SpectrumAnalyzerBinTest, BandsHoldTheirBinRanges)
{
    const QList<float> bands = analyse(sineOnBin(GetParam().bin, 0.1), GetParam().sampleRate);
    std::vector<int> lit;
    for (int band = 0; band < bands.size(); ++band)
        if (bands[band] > 0.35f)
            lit.push_back(band);
    EXPECT_EQ(lit, GetParam().bands);
}

// At 44.1 kHz: band 0 bins 0-1, bands 1 and 2 bin 1, band 3 bins 1-2, band 4 from bin 2, band 11 bins 14-18,
// band 12 bins 18-23, band 21 ending at 225, band 22 bins 225-289, band 23 bins 289-371 (16 kHz).
INSTANTIATE_TEST_SUITE_P(
    Ranges, SpectrumAnalyzerBinTest,
    ::testing::Values(BinCase{44100, 1, {0, 1, 2, 3}}, BinCase{44100, 2, {3, 4}}, BinCase{44100, 18, {11, 12}},
                      BinCase{44100, 20, {12}}, BinCase{44100, 23, {12, 13}}, BinCase{44100, 225, {21, 22}},
                      BinCase{44100, 250, {22}}, BinCase{44100, 289, {22, 23}}, BinCase{44100, 371, {23}},
                      BinCase{44100, 380, {}},
                      // 48 kHz also stops at 16 kHz (bin 341); 22.05 kHz at its Nyquist frequency.
                      BinCase{48000, 340, {23}}, BinCase{48000, 345, {}}, BinCase{22050, 500, {23}}));

TEST(SpectrumAnalyzerTest, LevelsAreScaledToFullScaleAndSilenceOrUnusableRatesAreDark)
{
    EXPECT_EQ(analyse(std::vector<float>(1024, 0.0f), 44100), darkBands);
    EXPECT_EQ(analyse(sineOnBin(64, 1.0), 44100)[17], 1.0f);
    EXPECT_NEAR(analyse(sineOnBin(64, 0.5), 44100)[17], std::sqrt(0.8165), 1e-3);
    const std::vector<float> tone = sineOnBin(1, 1.0);
    for (const double rate : {80.0, 40.0, 0.0, -44100.0, std::nan("")})
        EXPECT_EQ(analyse(tone, rate), darkBands) << rate;
    EXPECT_NE(analyse(tone, 81), darkBands);
}

TEST(SpectrumAnalyzerTest, ShortBlocksArePaddedAndLongOnesCut)
{
    const std::vector<float> tone = sineOnBin(40, 0.8, 512);
    std::vector<float> padded = tone;
    padded.resize(1024, 0.0f);
    EXPECT_EQ(analyse(tone, 44100), analyse(padded, 44100));
    EXPECT_EQ(analyse({}, 44100), darkBands);
    std::vector<float> longer = sineOnBin(40, 0.8, 2048);
    std::fill(longer.begin() + 1024, longer.end(), 1.0f);
    EXPECT_EQ(analyse(longer, 44100), analyse(sineOnBin(40, 0.8), 44100));
}

TEST(SpectrumAnalyzerTest, BandListIsReusedOrResizedAndDegenerateSizesAreMadeUsable)
{
    SpectrumAnalyzer analyzer;
    QList<float> bands(24, 0.0f);
    const float *storage = bands.constData();
    analyzer.process(sineOnBin(64, 1.0), 44100, bands);
    EXPECT_EQ(bands.constData(), storage); // no allocation on the audio thread
    QList<float> wrong(10, 5.0f);
    analyzer.process(std::vector<float>(1024, 0.0f), 44100, wrong);
    EXPECT_EQ(wrong, darkBands);

    SpectrumAnalyzer noBands(-3, 1024);
    noBands.process(sineOnBin(64, 1.0), 44100, bands);
    EXPECT_TRUE(bands.isEmpty());
    for (const int size : {0, 1}) {
        SpectrumAnalyzer tiny(24, size);
        EXPECT_EQ(tiny.size(), 2);
        QList<float> result;
        tiny.process(std::vector<float>{0.5f, -0.5f}, 44100, result);
        EXPECT_EQ(result.size(), 24);
    }
    const std::vector<float> tone = sineOnBin(100, 0.3);
    EXPECT_EQ(SpectrumAnalyzer::computeBands(tone, 44100, 24), analyse(tone, 44100));
    EXPECT_EQ(SpectrumAnalyzer::computeBands(tone, 44100, 8).size(), 8);
}

} // namespace
