// The queue's stepping rules, the decoder on real files made by ffmpeg, the spectrum analysis, and
// the engine's states and transitions, played through an output driven by the test.
#include "Playback/AudioDecoder.h"
#include "Playback/PlaybackQueue.h"
#include "Playback/PlayerEngine.h"
#include "Playback/SpectrumAnalyzer.h"

#include "AudioFormats.h"
#include "Support/AudioFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

namespace {

const QList<float> silentBands(24, 0.0f);

QList<QUuid> makeIDs(int count)
{
    QList<QUuid> ids;
    while (ids.size() < count)
        ids.append(QUuid::createUuid());
    return ids;
}

// The next `count` tracks (a null identifier where the queue gave none).
QList<QUuid> deal(PlaybackQueue &queue, int count)
{
    QList<QUuid> dealt;
    while (count-- > 0)
        dealt.append(queue.next().value_or(QUuid()));
    return dealt;
}

QSet<QUuid> asSet(const QList<QUuid> &ids)
{
    return QSet<QUuid>(ids.begin(), ids.end());
}

// Steps ('n' next, 'p' previous, 'c' current) and gives the answers' positions in `ids`, -1 for none.
QList<qsizetype> walk(PlaybackQueue &queue, const QList<QUuid> &ids, const char *steps)
{
    QList<qsizetype> seen;
    for (; *steps; ++steps) {
        const auto id = *steps == 'n' ? queue.next() : *steps == 'p' ? queue.previous() : queue.currentID();
        seen.append(id ? ids.indexOf(*id) : -1);
    }
    return seen;
}

// Starts are kept within the list and an empty list gives nothing; list modes stop, wrap or repeat.
TEST(PlaybackQueueTest, ModeNamesRoundTripAndModesStepThroughTheList)
{
    const QStringList names{u"sequential"_qs, u"repeatAll"_qs, u"repeatOne"_qs, u"shuffle"_qs};
    const QList<QUuid> ids = makeIDs(4);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const PlaybackMode mode = allPlaybackModes.at(i);
        SCOPED_TRACE(names.at(i).toStdString());
        EXPECT_EQ(playbackModeName(mode), names.at(i));
        EXPECT_EQ(playbackModeFromName(names.at(i)), mode);
        PlaybackQueue queue({}, 5, mode);
        EXPECT_EQ(queue.index(), 0);
        EXPECT_EQ(walk(queue, ids, "cnp"), QList<qsizetype>(3, -1));
        EXPECT_EQ(PlaybackQueue(ids, -3, mode).index(), 0);
        queue.replace(ids, 10);
        EXPECT_EQ(queue.currentID(), ids.at(3));
    }
    EXPECT_EQ(playbackModeFromName(u"Shuffle"), std::nullopt);
    PlaybackQueue sequential(ids, 2, PlaybackMode::Sequential);
    EXPECT_EQ(walk(sequential, ids, "nncppppc"), (QList<qsizetype>{3, -1, 3, 2, 1, 0, -1, 0}));
    PlaybackQueue repeatAll(ids, 2, PlaybackMode::RepeatAll);
    EXPECT_EQ(walk(repeatAll, ids, "nnpppp"), (QList<qsizetype>{3, 0, 3, 2, 1, 0}));
    PlaybackQueue repeatOne(ids, 1, PlaybackMode::RepeatOne);
    EXPECT_EQ(walk(repeatOne, ids, "npc"), (QList<qsizetype>{1, 1, 1}));
}

// A deck deals every other track once, then the current one, also after the list is replaced. The
// order is drawn: both other tracks come first for some seed.
TEST(PlaybackQueueTest, ShuffleDealsDecks)
{
    const QList<QUuid> ids = makeIDs(3);
    const QList<QUuid> replacement = makeIDs(4);
    QSet<QUuid> firstDealt;
    for (quint32 seed = 0; seed < 50; ++seed) {
        QRandomGenerator random(seed);
        PlaybackQueue queue(ids, 1, PlaybackMode::Shuffle, &random);
        const QList<QUuid> dealt = deal(queue, 3);
        EXPECT_EQ(asSet(dealt), asSet(ids));
        EXPECT_EQ(dealt.at(2), ids.at(1));
        firstDealt.insert(dealt.at(0));
        deal(queue, 1);
        queue.replace(replacement, 2);
        const QList<QUuid> redealt = deal(queue, 4);
        EXPECT_EQ(asSet(redealt), asSet(replacement));
        EXPECT_EQ(redealt.at(3), replacement.at(2));
    }
    EXPECT_EQ(firstDealt, (QSet<QUuid>{ids.at(0), ids.at(2)}));

    // Each deck is dealt fresh from the given random source; only the first keeps the current track last.
    const QList<QUuid> seven = makeIDs(7);
    QRandomGenerator random(7), same(7);
    PlaybackQueue queue(seven, 3, PlaybackMode::Shuffle, &random);
    PlaybackQueue twin(seven, 3, PlaybackMode::Shuffle, &same);
    QSet<QUuid> lastOfDeck;
    for (int round = 0; round < 4; ++round) {
        const QList<QUuid> dealt = deal(queue, seven.size());
        EXPECT_EQ(asSet(dealt).size(), seven.size()) << "round " << round;
        EXPECT_EQ(queue.currentID(), dealt.last());
        EXPECT_EQ(deal(twin, seven.size()), dealt);
        lastOfDeck.insert(dealt.last());
    }
    EXPECT_GT(lastOfDeck.size(), 1);
    PlaybackQueue single(ids.mid(0, 1), 0, PlaybackMode::Shuffle);
    EXPECT_EQ(deal(single, 4), QList<QUuid>(4, ids.at(0)));
    // A track listed twice is current at its first position.
    const QList<QUuid> twice{ids.at(0), ids.at(1), ids.at(0)};
    PlaybackQueue duplicates(twice, 2, PlaybackMode::Shuffle, &random);
    for (int step = 0; step < 9; ++step) {
        const QUuid id = duplicates.next().value_or(QUuid());
        EXPECT_EQ(duplicates.index(), twice.indexOf(id));
        EXPECT_TRUE(step != 2 || id == ids.at(0)); // the first deck ends with the track that was current
    }
}

// Leaving shuffle steps in list order from the current track; coming back deals without history.
TEST(PlaybackQueueTest, ShuffleHistoryAndLeavingShuffle)
{
    const QList<QUuid> ids = makeIDs(5);
    QRandomGenerator random(3);
    PlaybackQueue queue(ids, 0, PlaybackMode::RepeatAll, &random);
    queue.setMode(PlaybackMode::Shuffle);
    EXPECT_EQ(walk(queue, ids, "pc"), (QList<qsizetype>{-1, 0}));
    const QList<QUuid> dealt = deal(queue, 3);
    queue.setMode(PlaybackMode::Shuffle); // the same mode keeps the deck
    EXPECT_EQ(walk(queue, dealt, "ppcp"), (QList<qsizetype>{1, 0, 0, -1}));
    EXPECT_EQ(deal(queue, 2), dealt.mid(1));
    queue.setMode(PlaybackMode::RepeatAll);
    EXPECT_EQ(queue.next(), ids.at((ids.indexOf(dealt.at(2)) + 1) % ids.size()));
    queue.setMode(PlaybackMode::Shuffle);
    EXPECT_EQ(queue.previous(), std::nullopt);
}

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

std::unique_ptr<AudioDecoder> openTone(const QString &folder, const QString &name, double seconds, QStringList extra = {},
                                       int frequency = 1000, AudioDecoder::Length length = AudioDecoder::Length::Counted)
{
    const QString path = AudioFixture::makeTone(folder, name, seconds, frequency, extra);
    auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path), length);
    EXPECT_TRUE(decoder.has_value()) << (decoder ? "" : decoder.error().toStdString());
    return decoder ? std::move(*decoder) : nullptr;
}

using AudioDecoderFormatTest = ::testing::TestWithParam<AudioFormatCase>;

TEST_P(AudioDecoderFormatTest, LengthIsTheDecodedFrameCountAndSeeksLandOnTheExactFrame)
{
    QTemporaryDir folder;
    auto decoder = openTone(folder.path(), QString::fromUtf8(GetParam().fileName), 3.0, GetParam().extra, 441);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->sampleRate(), 44100);
    const auto whole = readAll(*decoder);
    EXPECT_EQ(framesOf(whole), decoder->frameCount());
    // Without a header an MP3 cannot tell its encoder delay and padding: up to two frames more.
    EXPECT_NEAR(decoder->frameCount(), 132300, 2304);
    for (const qint64 target : {qint64(0), qint64(12345), qint64(66150), decoder->frameCount() - 100}) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(decoder->seek(target));
        std::vector<float> block(2048 * AudioDecoder::channelCount);
        const qint64 frames = decoder->read(block.data(), 2048);
        ASSERT_EQ(frames, std::min<qint64>(2048, decoder->frameCount() - target));
        double difference = 0;
        for (qint64 i = 0; i < frames * AudioDecoder::channelCount; ++i)
            difference = std::max(difference, double(std::abs(block[i] - whole[target * 2 + i])));
        EXPECT_LE(difference, GetParam().lossless ? 1e-6 : 2e-2);
    }
    ASSERT_TRUE(decoder->seek(decoder->frameCount() + 1000));
    float block[64];
    EXPECT_EQ(decoder->read(block, 32), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioDecoderFormatTest, nativeAudioFormats(), audioFormatName);

// The length header of the first frame is read: a copy cut short keeps the whole file's length,
// MPEG-1 stereo and MPEG-2 mono alike. Without one, an estimate plays to the counted end.
TEST(AudioDecoderTest, Mp3LengthComesFromItsHeaderOrIsCountedApart)
{
    QTemporaryDir folder;
    for (const QStringList &extra : {QStringList{}, QStringList{"-ac", "1", "-ar", "22050"}}) {
        SCOPED_TRACE(extra.join(u' ').toStdString());
        auto whole = openTone(folder.path(), "whole.mp3", 2.0, extra);
        ASSERT_TRUE(whole);
        EXPECT_EQ(framesOf(readAll(*whole)), whole->frameCount());
        QFile file(folder.filePath("whole.mp3")), cut(folder.filePath("cut.mp3"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(file.read(file.size() / 2));
        cut.close();
        auto shortened = AudioDecoder::open(FileLocation::fromLocalFile(cut.fileName()), AudioDecoder::Length::Estimated);
        ASSERT_TRUE(shortened.has_value());
        EXPECT_TRUE((*shortened)->isLengthExact());
        EXPECT_EQ((*shortened)->frameCount(), whole->frameCount());
    }
    // A VBRI header in place of the Xing one (the same place in an MPEG-1 stereo frame): 100 frames.
    ASSERT_TRUE(openTone(folder.path(), "vbri.mp3", 2.0, {"-ac", "2"}));
    QFile vbri(folder.filePath("vbri.mp3"));
    ASSERT_TRUE(vbri.open(QIODevice::ReadWrite));
    QByteArray bytes = vbri.readAll();
    const qsizetype header = std::max(bytes.indexOf("Info"), bytes.indexOf("Xing"));
    ASSERT_GT(header, 0);
    bytes.replace(header, 18, QByteArray("VBRI\0\1\0\0\0\0\0\0\0\0\0\0\0\x64", 18));
    vbri.seek(0);
    vbri.write(bytes);
    vbri.close();
    auto fromVbri = AudioDecoder::open(FileLocation::fromLocalFile(vbri.fileName()), AudioDecoder::Length::Estimated);
    ASSERT_TRUE(fromVbri.has_value());
    EXPECT_TRUE((*fromVbri)->isLengthExact());
    EXPECT_EQ((*fromVbri)->frameCount(), 100 * 1152);

    auto estimated = openTone(folder.path(), "plain.mp3", 2.0, {"-write_xing", "0"}, 1000, AudioDecoder::Length::Estimated);
    ASSERT_TRUE(estimated);
    EXPECT_FALSE(estimated->isLengthExact());
    const auto counted = AudioDecoder::countedFrameCount(FileLocation::fromLocalFile(folder.filePath("plain.mp3")));
    ASSERT_TRUE(counted);
    EXPECT_EQ(framesOf(readAll(*estimated)), *counted);
}

TEST(AudioDecoderTest, MonoPlaysOnBothChannelsSurroundIsMixedDownAndNoiseIsAnError)
{
    QTemporaryDir folder;
    const auto peak = [](const std::vector<float> &samples) {
        return samples.empty() ? 0.0 : double(std::ranges::max(samples, {}, [](float s) { return std::abs(s); }));
    };
    auto mono = openTone(folder.path(), "mono.wav", 1.0, {"-ac", "1"});
    ASSERT_TRUE(mono);
    const auto samples = readAll(*mono);
    EXPECT_NEAR(peak(samples), 0.125, 0.002); // lavfi's sine has an amplitude of 1/8
    for (std::size_t i = 0; i < samples.size(); i += 2)
        ASSERT_EQ(samples[i], samples[i + 1]);
    auto surround = openTone(folder.path(), "surround.flac", 1.0, {"-af", "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0"});
    ASSERT_TRUE(surround);
    const auto mixed = readAll(*surround);
    EXPECT_EQ(framesOf(mixed), surround->frameCount());
    EXPECT_GT(peak(mixed), 0.1);
    QFile noise(folder.filePath("noise.mp3"));
    ASSERT_TRUE(noise.open(QIODevice::WriteOnly) && noise.write(QByteArray(4096, 'x')) == 4096);
    noise.close();
    const auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(noise.fileName()));
    ASSERT_FALSE(decoder.has_value());
    EXPECT_FALSE(decoder.error().isEmpty());
    EXPECT_FALSE(AudioDecoder::open(FileLocation::fromLocalFile(folder.filePath("absent.flac"))).has_value());
}

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
    QList<float> bands;
    SpectrumAnalyzer().process(samples, sampleRate, bands);
    return bands;
}

// A quiet sine on one bin lights the bands whose range holds the bin (a neighbour bin alone gives
// about 0.29). The top band ends at 16 kHz (bin 371 at 44.1 kHz, 341 at 48 kHz) or at Nyquist.
// Unusable input is dark. The band list is reused (no allocation on the audio thread) or resized;
// odd sizes are made usable.
TEST(SpectrumAnalyzerTest, BandsHoldTheirBinRangesAndTheBandListIsReusedOrResized)
{
    const std::tuple<double, double, std::vector<int>> cases[] = {
        {44100, 1, {0, 1, 2, 3}}, {44100, 2, {3, 4}},    {44100, 18, {11, 12}}, {44100, 20, {12}},
        {44100, 23, {12, 13}},    {44100, 225, {21, 22}}, {44100, 250, {22}},     {44100, 289, {22, 23}},
        {44100, 371, {23}},       {44100, 380, {}},       {48000, 340, {23}},     {48000, 345, {}},
        {22050, 500, {23}}};
    for (const auto &[sampleRate, bin, expected] : cases) {
        const QList<float> bands = analyse(sineOnBin(bin, 0.1), sampleRate);
        std::vector<int> lit;
        for (int band = 0; band < bands.size(); ++band)
            if (bands[band] > 0.35f)
                lit.push_back(band);
        EXPECT_EQ(lit, expected) << "bin " << bin << " at " << sampleRate << " Hz";
    }
    EXPECT_EQ(analyse({}, 44100), silentBands);
    EXPECT_EQ(analyse(sineOnBin(64, 1.0), 44100)[17], 1.0f);
    EXPECT_NEAR(analyse(sineOnBin(64, 0.5), 44100)[17], std::sqrt(0.8165), 1e-3);
    const std::vector<float> tone = sineOnBin(1, 1.0);
    for (const double rate : {80.0, 40.0, 0.0, -44100.0, std::nan("")})
        EXPECT_EQ(analyse(tone, rate), silentBands) << rate;
    EXPECT_NE(analyse(tone, 81), silentBands);
    // Short blocks are padded with zeros, long ones cut.
    std::vector<float> padded = sineOnBin(40, 0.8, 512);
    const QList<float> shortBands = analyse(padded, 44100);
    padded.resize(1024, 0.0f);
    EXPECT_EQ(shortBands, analyse(padded, 44100));
    std::vector<float> longer = sineOnBin(40, 0.8, 2048);
    std::fill(longer.begin() + 1024, longer.end(), 1.0f);
    EXPECT_EQ(analyse(longer, 44100), analyse(sineOnBin(40, 0.8), 44100));

    SpectrumAnalyzer analyzer;
    QList<float> bands(24, 0.0f);
    const float *storage = bands.constData();
    analyzer.process(sineOnBin(64, 1.0), 44100, bands);
    EXPECT_EQ(bands.constData(), storage);
    QList<float> wrong(10, 5.0f);
    analyzer.process(std::vector<float>(1024, 0.0f), 44100, wrong);
    EXPECT_EQ(wrong, silentBands);
    SpectrumAnalyzer(-3, 1024).process(sineOnBin(64, 1.0), 44100, bands);
    EXPECT_TRUE(bands.isEmpty());
    SpectrumAnalyzer(24, 0).process(std::vector<float>{0.5f, -0.5f}, 44100, bands);
    EXPECT_EQ(bands.size(), 24);
    EXPECT_EQ(SpectrumAnalyzer::computeBands(sineOnBin(100, 0.3), 44100, 24), analyse(sineOnBin(100, 0.3), 44100));
}

// An output driven by the test: `advance` reads that much of the segment from the real decoder and
// reports the end as the real output does (queued). Its fields are what the engine asked for.
class FakeAudioOutput final : public AudioOutput
{
public:
    explicit FakeAudioOutput(Tap tap) : m_tap(std::move(tap)) {}

    void advance(double seconds)
    {
        if (!running || !playing || !segmentStart)
            return;
        const qint64 wanted = qint64(seconds * m_decoder->sampleRate());
        std::vector<float> samples(std::size_t(wanted) * AudioDecoder::channelCount);
        played += m_decoder->read(samples.data(), wanted);
        if (*segmentStart + played == m_decoder->frameCount())
            QMetaObject::invokeMethod(this, [this, token = segmentToken] { emit segmentFinished(token); }, Qt::QueuedConnection);
    }
    void deliverToTap(std::span<const float> interleaved, int channels)
    {
        if (tapInstalled && running)
            m_tap(interleaved, channels, 44100);
    }

    bool isRunning() const override { return running; }
    std::expected<void, QString> start() override
    {
        running = startFailure.isEmpty();
        return running ? std::expected<void, QString>() : std::unexpected(startFailure);
    }
    void stop() override { running = false; }
    void connectSource(std::shared_ptr<AudioDecoder> decoder) override { m_decoder = std::move(decoder); }
    void scheduleSegment(qint64 startFrame, quint64 token) override
    {
        stopSegment();
        m_decoder->seek(startFrame);
        segmentStart = startFrame;
        segmentToken = token;
    }
    void play() override { playing = true; }
    void pause() override { playing = false; }
    void stopSegment() override
    {
        playing = false;
        segmentStart.reset();
        played = 0;
    }
    std::optional<qint64> playedFrames() const override { return running && segmentStart ? std::optional(played) : std::nullopt; }
    void setVolume(float value) override { volume = value; }
    void setTapInstalled(bool installed) override { tapInstalled = installed; }

    QString startFailure; // start() fails with this text when set
    bool running = false, playing = false, tapInstalled = false;
    float volume = -1;
    std::optional<qint64> segmentStart;
    quint64 segmentToken = 0;
    qint64 played = 0;

private:
    Tap m_tap;
    std::shared_ptr<AudioDecoder> m_decoder;
};

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

    FileLocation toneFile()
    {
        return FileLocation::fromLocalFile(
            AudioFixture::makeTone(folder.path(), QStringLiteral("tone%1.flac").arg(++fileNumber), 2.0));
    }
    void loadAndPlay()
    {
        ASSERT_TRUE(engine.load(toneFile()).has_value()) << engine.lastError().toStdString();
        engine.play();
        ASSERT_TRUE(engine.isPlaying());
    }
    QTimer *timer(const char *name) { return engine.findChild<QTimer *>(QString::fromLatin1(name)); }
    void tick(const char *name)
    {
        ASSERT_TRUE(timer(name)->isActive()) << name;
        QMetaObject::invokeMethod(timer(name), "timeout");
    }
    // Plays `seconds` more and lets the position timer publish it.
    void playFor(double seconds)
    {
        output->advance(seconds);
        tick("positionTimer");
    }
    // A full-scale 1 kHz block, in the bands of 1 kHz (12 and 13); `right` scales a second channel.
    static std::vector<float> toneBlock(int channels, float right = 1)
    {
        std::vector<float> block(std::size_t(1024 * channels));
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = float(std::sin(2 * M_PI * 1000.0 * double(i / channels) / 44100)) * (channels == 2 && i % 2 ? right : 1);
        return block;
    }
    // The tap analyses at most one block per 0.05 s.
    void deliverAfterInterval(std::span<const float> block, int channels)
    {
        QThread::msleep(55);
        output->deliverToTap(block, channels);
        QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    int fileNumber = 0;
    FakeAudioOutput *output = nullptr;
    PlayerEngine engine;
    int finishCount = 0;
};

const QString noFile = QStringLiteral("没有加载音频文件");

// Errors are cleared by load, play and seek, not by pause or unload. The volume is clamped.
TEST_F(PlayerEngineTest, LoadPlayAndTheirFailures)
{
    EXPECT_EQ(engine.spectrum(), silentBands);
    engine.play();
    EXPECT_FALSE(engine.isPlaying());
    engine.seek(1.0);
    engine.pause();
    engine.unload();
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(engine.lastError(), noFile);
    EXPECT_EQ(output, nullptr);
    engine.setVolume(2); // kept for the device, clamped
    ASSERT_TRUE(engine.load(toneFile()).has_value());
    EXPECT_EQ(output->volume, 1.0f);
    for (const float volume : {-1.0f, std::numeric_limits<float>::quiet_NaN(), 0.25f}) {
        engine.setVolume(volume);
        EXPECT_EQ(output->volume, volume == 0.25f ? 0.25f : 0.0f);
    }
    EXPECT_TRUE(engine.lastError().isEmpty());
    EXPECT_DOUBLE_EQ(engine.duration(), 2.0);
    EXPECT_EQ(output->segmentStart, 0);
    EXPECT_FALSE(output->running); // loading stops the device; playing starts it
    output->startFailure = QStringLiteral("busy");
    engine.play();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.lastError(), QStringLiteral("音频引擎启动失败（busy）"));
    engine.seek(1.0);
    EXPECT_TRUE(engine.lastError().isEmpty());
    engine.play();
    ASSERT_FALSE(engine.lastError().isEmpty());
    output->startFailure.clear();
    engine.play();
    EXPECT_TRUE(engine.isPlaying() && output->running && output->playing);
    EXPECT_TRUE(engine.lastError().isEmpty());
    EXPECT_EQ(timer("positionTimer")->interval(), 500);
    // The device going away is found at the next seek while playing.
    output->running = false;
    output->startFailure = QStringLiteral("gone");
    engine.seek(1.5);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 1.5);
    EXPECT_EQ(engine.lastError(), QStringLiteral("音频引擎启动失败（gone）"));
    // An MP3 without a length header gets its counted duration after the load.
    const QString path = AudioFixture::makeTone(folder.path(), "plain.mp3", 2.0, 1000, {"-write_xing", "0"});
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(path)).has_value());
    const std::optional<qint64> counted = AudioDecoder::countedFrameCount(FileLocation::fromLocalFile(path));
    ASSERT_TRUE(counted);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.duration() == double(*counted) / 44100; }, 5000))
        << engine.duration() * 44100 << " frames, not " << *counted;
}

// A pause holds the position (a second one changes nothing). Seeks land on the exact frame, clamp,
// ignore non-finite times and keep the engine playing or not; one to the end ends, unfinished.
TEST_F(PlayerEngineTest, PositionFollowsWhatWasPlayedAndSeeksLandOnTheExactFrame)
{
    loadAndPlay();
    playFor(0.75);
    EXPECT_NEAR(engine.position(), 0.75, 1e-3);
    output->advance(0.1);
    engine.pause();
    EXPECT_FALSE(engine.isPlaying() || output->playing || timer("positionTimer")->isActive());
    EXPECT_NEAR(engine.position(), 0.85, 1e-3);
    output->advance(0.3); // nothing plays while paused
    int changes = 0;
    QObject::connect(&engine, &PlayerEngine::isPlayingChanged, [&] { ++changes; });
    QObject::connect(&engine, &PlayerEngine::positionChanged, [&] { ++changes; });
    engine.pause();
    EXPECT_EQ(changes, 0);
    engine.play();
    playFor(0.25);
    EXPECT_NEAR(engine.position(), 1.1, 1e-3);
    engine.seek(1.5);
    EXPECT_EQ(output->segmentStart, 66150);
    playFor(0.1);
    EXPECT_NEAR(engine.position(), 1.6, 1e-3);
    engine.seek(99);
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
    EXPECT_FALSE(engine.isPlaying() || output->segmentStart); // ended: nothing left to schedule
    QCoreApplication::processEvents();
    EXPECT_EQ(finishCount, 0);
    engine.seek(-3);
    EXPECT_EQ(engine.position(), 0);
    engine.seek(0.5);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 0.5);
    EXPECT_EQ(output->segmentStart, 22050);
    for (const double time : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        engine.seek(time);
    EXPECT_EQ(engine.position(), 0.5);
    EXPECT_EQ(output->segmentStart, 22050);
}

// Ends come a turn of the event loop later; a failed load keeps the old file; an empty file ends at once.
TEST_F(PlayerEngineTest, NaturalEndFinishesOnceAndStaleEndsAreIgnored)
{
    loadAndPlay();
    output->advance(3.0);
    EXPECT_EQ(finishCount, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(finishCount, 1);
    EXPECT_FALSE(engine.isPlaying() || timer("positionTimer")->isActive() || output->segmentStart);
    EXPECT_DOUBLE_EQ(engine.position(), engine.duration());
    std::vector<double> positions;
    QObject::connect(&engine, &PlayerEngine::positionChanged, [&](double position) { positions.push_back(position); });
    engine.play(); // from the start again
    EXPECT_EQ(positions, std::vector<double>{0.0});
    EXPECT_EQ(output->segmentStart, 0);
    output->advance(3.0); // the end is queued...
    engine.seek(0.5);     // ...and this seek replaces the segment it belongs to
    QCoreApplication::processEvents();
    EXPECT_TRUE(engine.isPlaying());
    output->advance(0.5);
    const auto failed = engine.load(FileLocation::fromLocalFile(folder.filePath("absent.flac")));
    ASSERT_FALSE(failed.has_value());
    EXPECT_TRUE(engine.isPlaying() && output->playing);
    EXPECT_EQ(output->segmentStart, 22050);
    EXPECT_EQ(engine.lastError(), QStringLiteral("无法读取音频文件（%1）").arg(failed.error()));
    output->advance(3.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(finishCount, 2);
    engine.play();
    output->advance(3.0);
    ASSERT_TRUE(engine.load(toneFile()).has_value());
    QCoreApplication::processEvents();
    EXPECT_EQ(finishCount, 2);
    EXPECT_EQ(engine.position(), 0);
    const QString empty = AudioFixture::makeTone(folder.path(), "empty.wav", 1.0, 1000, {"-t", "0"}); // no samples
    ASSERT_TRUE(engine.load(FileLocation::fromLocalFile(empty)).has_value()) << engine.lastError().toStdString();
    EXPECT_EQ(engine.duration(), 0);
    EXPECT_FALSE(output->segmentStart.has_value());
    engine.play();
    QCoreApplication::processEvents();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(finishCount, 3);
}

// The tap runs only while the spectrum is on and the engine plays, at most every 0.05 s; bands
// posted after a pause are dropped. Stereo is averaged; bands rise at once, fall by the rise factor
// and, once switched off, decay to exact zeros.
TEST_F(PlayerEngineTest, TapSpectrumAndUnload)
{
    loadAndPlay();
    engine.pause();
    engine.setSpectrumEnabled(true);
    EXPECT_FALSE(output->tapInstalled);
    engine.play();
    EXPECT_TRUE(output->tapInstalled);
    deliverAfterInterval(std::vector<float>(2048, 0.0f), 2); // an analysis of silence
    output->deliverToTap(toneBlock(2), 2);                   // within 0.05 s: skipped
    QCoreApplication::processEvents();
    EXPECT_EQ(engine.spectrum(), silentBands);
    QThread::msleep(55);
    output->deliverToTap(toneBlock(2), 2);
    engine.pause();
    EXPECT_FALSE(output->tapInstalled);
    QCoreApplication::processEvents();
    EXPECT_EQ(engine.spectrum(), silentBands);
    engine.play();
    deliverAfterInterval(toneBlock(2, -1), 2);
    EXPECT_EQ(engine.spectrum(), silentBands);
    deliverAfterInterval(toneBlock(2, 0), 2);
    EXPECT_GT(engine.spectrum()[12], 0.5f);
    EXPECT_LT(engine.spectrum()[12], 1.0f);
    deliverAfterInterval(toneBlock(1), 1);
    EXPECT_EQ(engine.spectrum()[12], 1.0f);
    deliverAfterInterval(std::vector<float>(1024, 0.0f), 1);
    EXPECT_FLOAT_EQ(engine.spectrum()[12], 0.72f);
    deliverAfterInterval(toneBlock(1), 1);
    engine.setSpectrumEnabled(false);
    float expected = 1.0f;
    int ticks = 0;
    for (; timer("spectrumDecayTimer")->isActive() && ticks < 20; ++ticks) {
        tick("spectrumDecayTimer");
        expected *= 0.68f;
        EXPECT_FLOAT_EQ(engine.spectrum()[12], expected >= 0.01f ? expected : 0.0f);
    }
    EXPECT_EQ(ticks, 12); // 0.68^12 < 0.01 <= 0.68^11
    EXPECT_EQ(engine.spectrum(), silentBands);
    EXPECT_FALSE(output->tapInstalled);

    // Unloading empties everything.
    engine.setSpectrumEnabled(true);
    deliverAfterInterval(toneBlock(1), 1);
    ASSERT_NE(engine.spectrum(), silentBands);
    engine.unload();
    EXPECT_FALSE(engine.isPlaying() || output->running || output->tapInstalled);
    EXPECT_EQ(engine.duration(), 0);
    EXPECT_EQ(engine.position(), 0);
    EXPECT_EQ(engine.spectrum(), silentBands);
    engine.play();
    EXPECT_EQ(engine.lastError(), noFile);
}

} // namespace
