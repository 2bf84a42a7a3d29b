#include "Playback/SpectrumAnalyzer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <vector>

// Counts every allocation of the process, to show that an analysis makes none.
namespace {
std::atomic<long> allocations{0};
}

void *operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

// One 1024-sample block of music-like content, as the tap hands it over.
void processBlock(benchmark::State &state)
{
    std::vector<float> block(1024);
    for (std::size_t n = 0; n < block.size(); ++n)
        block[n] = float(0.4 * std::sin(2 * std::numbers::pi * 220 * double(n) / 44100)
                         + 0.2 * std::sin(2 * std::numbers::pi * 3300 * double(n) / 44100));
    SpectrumAnalyzer analyzer;
    QList<float> bands(SpectrumAnalyzer::bandCount, 0.0f);
    const long before = allocations.load();
    for (auto _ : state) {
        analyzer.process(block, 44100, bands);
        benchmark::DoNotOptimize(bands.data());
    }
    state.counters["allocations_per_block"] =
        benchmark::Counter(double(allocations.load() - before) / double(state.iterations()));
}
BENCHMARK(processBlock)->Unit(benchmark::kMicrosecond);

} // namespace
