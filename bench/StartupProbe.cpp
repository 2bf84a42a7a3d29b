// The real start-up of Quillmere, reporting once its main window has painted for the first
// time: prints "painted <peak resident kB>" and ends the process at once, so the start-up
// benchmark measures exactly the way from exec to the first paint.
#include "Shell/Launcher.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

namespace {

QByteArray peakResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "0";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0);
    }
    return "0";
}

} // namespace

int main(int argc, char **argv)
{
    Launcher::Options options;
    options.onFirstPaint = [](MainWindow &) {
        std::printf("painted %s\n", peakResidentKilobytes().constData());
        std::fflush(stdout);
        ::_exit(0);
    };
    return Launcher::run(argc, argv, options);
}
