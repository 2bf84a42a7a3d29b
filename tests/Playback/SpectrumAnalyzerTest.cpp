#include "Playback/SpectrumAnalyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

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

// The bands that a quiet sine on one bin lights: those whose range holds the bin (a neighbour bin
// alone gives about 0.29).
std::vector<int> litBands(double bin, double sampleRate)
{
    const QList<float> bands = analyse(sineOnBin(bin, 0.1), sampleRate);
    std::vector<int> lit;
    for (int band = 0; band < bands.size(); ++band)
        if (bands[band] > 0.35f)
            lit.push_back(band);
    return lit;
}

TEST(SpectrumAnalyzerTest, SilenceGivesZeros)
{
    EXPECT_EQ(analyse(std::vector<float>(1024, 0.0f), 44100), QList<float>(24, 0.0f));
}

TEST(SpectrumAnalyzerTest, FullScaleSineOnABinGivesOneAndHalfScaleAboutNinetyPercent)
{
    EXPECT_EQ(analyse(sineOnBin(64, 1.0), 44100)[17], 1.0f);
    EXPECT_NEAR(analyse(sineOnBin(64, 0.5), 44100)[17], std::sqrt(0.8165), 1e-3);
}

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

TEST_P(SpectrumAnalyzerBinTest, BandsHoldTheirBinRanges)
{
    EXPECT_EQ(litBands(GetParam().bin, GetParam().sampleRate), GetParam().bands);
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

TEST(SpectrumAnalyzerTest, SampleRatesAtOrBelowEightyHertzGiveZeros)
{
    const std::vector<float> tone = sineOnBin(1, 1.0);
    for (const double rate : {80.0, 40.0, 0.0, -44100.0, std::nan("")})
        EXPECT_EQ(analyse(tone, rate), QList<float>(24, 0.0f)) << rate;
    EXPECT_NE(analyse(tone, 81), QList<float>(24, 0.0f));
}

TEST(SpectrumAnalyzerTest, ShortBlockIsWindowedByTheWindowsStartAndPadded)
{
    const std::vector<float> tone = sineOnBin(40, 0.8, 512);
    std::vector<float> padded = tone;
    padded.resize(1024, 0.0f);
    EXPECT_EQ(analyse(tone, 44100), analyse(padded, 44100));
    EXPECT_EQ(analyse({}, 44100), QList<float>(24, 0.0f));
}

TEST(SpectrumAnalyzerTest, LongBlockUsesOnlyItsFirstFrames)
{
    std::vector<float> samples = sineOnBin(40, 0.8, 2048);
    std::fill(samples.begin() + 1024, samples.end(), 1.0f);
    EXPECT_EQ(analyse(samples, 44100), analyse(sineOnBin(40, 0.8), 44100));
}

TEST(SpectrumAnalyzerTest, BandListOfTheWrongLengthIsReplaced)
{
    SpectrumAnalyzer analyzer;
    QList<float> bands(10, 5.0f);
    analyzer.process(std::vector<float>(1024, 0.0f), 44100, bands);
    EXPECT_EQ(bands, QList<float>(24, 0.0f));
}

TEST(SpectrumAnalyzerTest, ProcessKeepsTheBandListsStorage)
{
    SpectrumAnalyzer analyzer;
    QList<float> bands(24, 0.0f);
    const float *storage = bands.constData();
    analyzer.process(sineOnBin(64, 1.0), 44100, bands);
    EXPECT_EQ(bands.constData(), storage);
}

TEST(SpectrumAnalyzerTest, DegenerateSizesAreMadeUsable)
{
    SpectrumAnalyzer noBands(-3, 1024);
    QList<float> bands(4, 1.0f);
    noBands.process(sineOnBin(64, 1.0), 44100, bands);
    EXPECT_TRUE(bands.isEmpty());
    for (const int size : {0, 1}) {
        SpectrumAnalyzer tiny(24, size);
        EXPECT_EQ(tiny.size(), 2);
        QList<float> result;
        tiny.process(std::vector<float>{0.5f, -0.5f}, 44100, result);
        EXPECT_EQ(result.size(), 24);
    }
}

TEST(SpectrumAnalyzerTest, OneShotFormMatchesProcess)
{
    const std::vector<float> tone = sineOnBin(100, 0.3);
    EXPECT_EQ(SpectrumAnalyzer::computeBands(tone, 44100, 24), analyse(tone, 44100));
    EXPECT_EQ(SpectrumAnalyzer::computeBands(tone, 44100, 8).size(), 8);
    EXPECT_TRUE(SpectrumAnalyzer::computeBands(tone, 44100, 0).isEmpty());
}

} // namespace
