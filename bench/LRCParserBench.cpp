#include "Lyrics/LRCParser.h"

#include <benchmark/benchmark.h>

namespace {

// A 20,000-line LRC file: metadata, an offset, lines with one or two time tags, mixed scripts.
QString makeLrc(int lineCount)
{
    QString text = QStringLiteral("[ti:晴天]\n[ar:周杰伦]\n[offset:+120]\n");
    for (int i = 0; i < lineCount; ++i) {
        const int centiseconds = i * 237;
        const QString tag = QStringLiteral("[%1:%2.%3]")
                                .arg(centiseconds / 6000, 2, 10, QLatin1Char('0'))
                                .arg(centiseconds / 100 % 60, 2, 10, QLatin1Char('0'))
                                .arg(centiseconds % 100, 2, 10, QLatin1Char('0'));
        text += tag;
        if (i % 7 == 0)
            text += tag;
        text += i % 2 ? QStringLiteral("故事的小黄花 从出生那年就飘着\r\n")
                      : QStringLiteral("Blue river light in the night\n");
    }
    return text;
}

void BM_ParseSynced(benchmark::State &state)
{
    const QString text = makeLrc(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(LRCParser::parse(text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseSynced)->Arg(5000)->Arg(20000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// Long lines full of near-miss brackets must stay linear (no backtracking blow-up).
void BM_ParseLongLines(benchmark::State &state)
{
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("[00:%1.00]").arg(i, 2, 10, QLatin1Char('0'))
            + QStringLiteral("[1:[12:3[offset: +").repeated(int(state.range(0)) / 20) + u'\n';
    for (auto _ : state)
        benchmark::DoNotOptimize(LRCParser::parse(text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseLongLines)->Arg(5000)->Arg(20000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

void BM_IndexAt(benchmark::State &state)
{
    const Lyrics lyrics = LRCParser::parse(makeLrc(20000));
    double time = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lyrics.index(time));
        time = time > 47000 ? 0 : time + 0.5;
    }
}
BENCHMARK(BM_IndexAt);

} // namespace
