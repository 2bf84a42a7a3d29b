// The real start-up of Quillmere, reporting once its main window has painted for the first
// time: prints "painted <peak resident kB> <resident kB>" and ends the process at once, so the
// start-up benchmark measures exactly the way from exec to the first paint.
#include "Shell/Launcher.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

namespace {

// A "<key>: <n> kB" line of /proc/self/status (VmHWM: the peak, VmRSS: now).
QByteArray statusKilobytes(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "0";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0);
    }
    return "0";
}

} // namespace

int main(int argc, char **argv)
{
    Launcher::Options options;
    options.onFirstPaint = [](MainWindow &) {
        std::printf("painted %s %s\n", statusKilobytes("VmHWM").constData(), statusKilobytes("VmRSS").constData());
        std::fflush(stdout);
        ::_exit(0);
    };
    return Launcher::run(argc, argv, options);
}
