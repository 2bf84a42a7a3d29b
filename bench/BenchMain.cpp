#include <QCoreApplication>

#include <benchmark/benchmark.h>

// Every benchmark runs inside a QCoreApplication: the code under test uses Qt's event loop,
// thread pool and text codecs.
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
