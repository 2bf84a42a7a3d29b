#include <QCoreApplication>
#ifdef QUILLMERE_BENCH_WIDGETS
#include <QApplication>
#endif

#include <benchmark/benchmark.h>

// Every benchmark runs inside a QCoreApplication: the code under test uses Qt's event loop,
// thread pool and text codecs. Benchmarks of views get a QApplication on the offscreen platform.
int main(int argc, char **argv)
{
#ifdef QUILLMERE_BENCH_WIDGETS
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
