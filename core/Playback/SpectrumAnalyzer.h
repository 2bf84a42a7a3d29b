#pragma once

#include <QList>

#include <cstddef>
#include <memory>
#include <span>

// Turns one block of mono samples into bar heights in 0...1, spaced logarithmically from 40 Hz up to
// 16 kHz (or the Nyquist frequency when that is lower). Keeps no history: each call depends only on
// the samples and the sample rate. All work buffers and the FFT plan are made once, so `process`
// allocates nothing once the band list has the right length.
class SpectrumAnalyzer
{
public:
    static constexpr int bandCount = 24;
    static constexpr int fftSize = 1024;
    static constexpr double minimumFrequency = 40.0;
    static constexpr double maximumFrequency = 16000.0;

    // A negative band count is taken as 0 and an FFT size below 2 as 2. Any size works: the
    // transform length is the size itself.
    explicit SpectrumAnalyzer(int bands = bandCount, int size = fftSize);
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(SpectrumAnalyzer &&) noexcept;
    SpectrumAnalyzer &operator=(SpectrumAnalyzer &&) noexcept;
    SpectrumAnalyzer(const SpectrumAnalyzer &) = delete;
    SpectrumAnalyzer &operator=(const SpectrumAnalyzer &) = delete;

    int bands() const { return m_bandCount; }
    int size() const { return m_fftSize; }

    // Overwrites `bands` with one value per band (replacing it when its length is wrong). Only the
    // first `size()` samples are used; a shorter block is padded with zeros. An unusable input
    // (no samples, a sample rate of 80 Hz or less) gives zeros.
    void process(std::span<const float> samples, double sampleRate, QList<float> &bands);

    // The one-shot form: a fresh analyser of the standard FFT size, run once.
    static QList<float> computeBands(std::span<const float> samples, double sampleRate, int bands);

private:
    struct Buffers;

    int m_bandCount = 0;
    int m_fftSize = 2;
    std::unique_ptr<Buffers> m_buffers;
};
