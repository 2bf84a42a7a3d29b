// Runs a fuzz target without libFuzzer (compilers that lack it): every seed file, then random
// mutations of the seeds until -max_total_time=<seconds> (default 10) has passed. Other options
// are accepted and ignored, so the test command is the same for both builds.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void run(const QByteArray &input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
}

QByteArray mutate(QByteArray input, QRandomGenerator &random)
{
    static const QByteArray pieces[] = { "[", "]", ":", ".", "\r", "\n", "\r\n", "[00:01.00]",
        "[offset:", "-", "+", "999", "\xEF\xBC\x91", "\xE3\x80\x80", "[ti:", "\t" };
    const int edits = 1 + random.bounded(8);
    for (int i = 0; i < edits; ++i) {
        const qsizetype at = input.isEmpty() ? 0 : random.bounded(input.size() + 1);
        switch (random.bounded(3)) {
        case 0:
            input.insert(at, pieces[random.bounded(int(std::size(pieces)))]);
            break;
        case 1:
            if (!input.isEmpty())
                input.remove(qMin(at, input.size() - 1), 1 + random.bounded(4));
            break;
        default:
            input.insert(at, char(random.bounded(256)));
        }
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    qint64 seconds = 10;
    QList<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument.startsWith("-max_total_time="))
            seconds = argument.mid(16).toLongLong();
        if (argument.startsWith('-'))
            continue;
        const QFileInfo info(QFile::decodeName(argument));
        const QFileInfoList files
            = info.isDir() ? QDir(info.filePath()).entryInfoList(QDir::Files) : QFileInfoList { info };
        for (const QFileInfo &file : files) {
            QFile seed(file.filePath());
            if (seed.open(QIODevice::ReadOnly))
                seeds.append(seed.readAll());
        }
    }
    if (seeds.isEmpty())
        seeds.append(QByteArray());
    for (const QByteArray &seed : seeds)
        run(seed);

    QRandomGenerator random(1);
    QElapsedTimer clock;
    clock.start();
    qint64 runs = 0;
    while (clock.elapsed() < seconds * 1000) {
        run(mutate(seeds[random.bounded(int(seeds.size()))], random));
        ++runs;
    }
    std::printf("Done %lld runs in %lld s\n", runs, seconds);
    return 0;
}
