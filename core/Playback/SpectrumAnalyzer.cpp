#include "SpectrumAnalyzer.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace {

// FFTW's planner keeps global state: plans are made and destroyed one at a time.
std::mutex &plannerMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct FftwFree
{
    void operator()(void *memory) const { fftwf_free(memory); }
};

} // namespace

struct SpectrumAnalyzer::Buffers
{
    explicit Buffers(int size)
        : window(size),
          input(fftwf_alloc_real(size)),
          output(fftwf_alloc_complex(size / 2 + 1)),
          magnitudes(size / 2)
    {
        // The normalised Hann window: sqrt(2/3) * (1 - cos(2 pi n / N)).
        const double scale = std::sqrt(2.0 / 3.0);
        for (int n = 0; n < size; ++n)
            window[n] = float(scale * (1.0 - std::cos(2.0 * std::numbers::pi * n / size)));
        std::fill_n(input.get(), size, 0.0f);
        std::lock_guard lock(plannerMutex());
        plan = fftwf_plan_dft_r2c_1d(size, input.get(), output.get(), FFTW_ESTIMATE);
    }

    ~Buffers()
    {
        if (plan) {
            std::lock_guard lock(plannerMutex());
            fftwf_destroy_plan(plan);
        }
    }

    std::vector<float> window;
    std::unique_ptr<float[], FftwFree> input;
    std::unique_ptr<fftwf_complex[], FftwFree> output;
    std::vector<float> magnitudes;
    fftwf_plan plan = nullptr;
};

SpectrumAnalyzer::SpectrumAnalyzer(int bands, int size)
    : m_bandCount(std::max(bands, 0)),
      m_fftSize(std::max(size, 2)),
      m_buffers(std::make_unique<Buffers>(m_fftSize))
{
}

SpectrumAnalyzer::~SpectrumAnalyzer() = default;
SpectrumAnalyzer::SpectrumAnalyzer(SpectrumAnalyzer &&) noexcept = default;
SpectrumAnalyzer &SpectrumAnalyzer::operator=(SpectrumAnalyzer &&) noexcept = default;

void SpectrumAnalyzer::process(std::span<const float> samples, double sampleRate, QList<float> &bands)
{
    if (bands.size() != m_bandCount)
        bands = QList<float>(m_bandCount, 0.0f);
    if (m_bandCount == 0)
        return;
    const auto silence = [&bands] { std::fill(bands.begin(), bands.end(), 0.0f); };
    Buffers &buffers = *m_buffers;
    double upperFrequency = sampleRate / 2.0;
    if (!buffers.plan || !(sampleRate > 0.0) || samples.empty() || !(upperFrequency > minimumFrequency)) {
        silence();
        return;
    }
    upperFrequency = std::min(upperFrequency, maximumFrequency);

    const int size = m_fftSize;
    const int count = int(std::min<std::size_t>(samples.size(), std::size_t(size)));
    float *input = buffers.input.get();
    for (int k = 0; k < count; ++k)
        input[k] = samples[k] * buffers.window[k];
    std::fill(input + count, input + size, 0.0f);
    fftwf_execute(buffers.plan);

    // Magnitudes in the packed real-FFT form: twice the DFT's, with the Nyquist term folded into
    // bin 0.
    const fftwf_complex *output = buffers.output.get();
    const int half = size / 2;
    const float nyquist = (size % 2 == 0) ? output[half][0] : 0.0f;
    buffers.magnitudes[0] = 2.0f * std::hypot(output[0][0], nyquist);
    for (int k = 1; k < half; ++k)
        buffers.magnitudes[k] = 2.0f * std::hypot(output[k][0], output[k][1]);

    const double binWidth = sampleRate / size;
    const int lastBin = half - 1;
    const double ratio = upperFrequency / minimumFrequency;
    for (int band = 0; band < m_bandCount; ++band) {
        const double low = minimumFrequency * std::pow(ratio, double(band) / m_bandCount);
        const double high = minimumFrequency * std::pow(ratio, double(band + 1) / m_bandCount);
        const int lowBin = std::clamp(int(low / binWidth), 0, lastBin);
        const int highBin = std::min(std::max(int(high / binWidth), lowBin), lastBin);
        const float peak = *std::max_element(buffers.magnitudes.begin() + lowBin,
                                             buffers.magnitudes.begin() + highBin + 1);
        bands[band] = std::min(1.0f, std::sqrt(std::max(0.0f, 2.0f * std::max(peak, 0.0f) / size)));
    }
}

QList<float> SpectrumAnalyzer::computeBands(std::span<const float> samples, double sampleRate, int bands)
{
    if (bands < 1)
        return {};
    SpectrumAnalyzer analyzer(bands, fftSize);
    QList<float> result(bands, 0.0f);
    analyzer.process(samples, sampleRate, result);
    return result;
}
