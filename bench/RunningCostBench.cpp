// What the running program costs while it waits and while it plays: the real Quillmere under a
// private X server, session bus and PulseAudio (start one as scripts/test.sh does), counted from
// /proc. Idle: wake-ups of all its threads over 10 s with the window shown and nothing playing.
// Playing a FLAC with the main window's spectrum switched on: CPU time over 10 s with the window
// on screen and with it unmapped (nothing exposed, as when a window manager minimises it).
#include "Library/IndexStore.h"
#include "Settings/AppSettings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr int measuredSeconds = 10;

// Runs a tool to its end and returns its trimmed standard output.
QString run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Reads a line that a server prints once it is ready (the display number, the bus address).
QString firstLine(QProcess &process)
{
    QByteArray output;
    while (!output.contains('\n') && process.waitForReadyRead(10000))
        output += process.readAllStandardOutput();
    return QString::fromUtf8(output).trimmed();
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

// Sums a field over every thread of the process: from /proc/<pid>/task/*/status ("voluntary_ctxt_switches:")
// or, for CPU, utime + stime (clock ticks) from task/*/stat.
qint64 sumOverThreads(
    qint64 pid, const std::function<qint64(const QByteArray &status, const QByteArray &stat)> &field)
{
    qint64 sum = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + QLatin1Char('/') + task + QStringLiteral("/status"));
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/stat"));
        if (status.open(QIODevice::ReadOnly) && stat.open(QIODevice::ReadOnly))
            sum += field(status.readAll(), stat.readAll());
    }
    return sum;
}

qint64 wakeUps(qint64 pid)
{
    return sumOverThreads(pid, [](const QByteArray &status, const QByteArray &) {
        qint64 switches = 0;
        for (const QByteArray &line : status.split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
        return switches;
    });
}

qint64 cpuTicks(qint64 pid)
{
    return sumOverThreads(pid, [](const QByteArray &, const QByteArray &stat) {
        // Fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        return fields.size() > 12 ? fields.at(11).toLongLong() + fields.at(12).toLongLong() : 0;
    });
}

// The program on a home whose library holds one minute of FLAC, with the main window's spectrum
// switched on, under servers of its own.
class RunningProgram
{
public:
    RunningProgram()
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        const QString root = m_home.path();
        const QString data = root + QStringLiteral("/data/Quillmere");
        const QString flac = root + QStringLiteral("/music/tone.flac");
        QDir().mkpath(data);
        QDir().mkpath(root + QStringLiteral("/music"));
        if (QProcess::execute(QStringLiteral("ffmpeg"),
                { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=frequency=440:duration=60"), QStringLiteral("-ac"),
                    QStringLiteral("2"), flac })
            != 0) {
            fail("ffmpeg could not make the FLAC");
            return;
        }

        Track track;
        track.id = QUuid::createUuid();
        track.url = FileLocation::fromLocalFile(flac);
        track.title = QStringLiteral("正弦波");
        track.duration = 60;
        AppSettings settings;
        settings.showMainSpectrum = true;
        settings.lastTrackID = track.id;
        settings.lastQueue = { track.id };
        IndexStore store(FileLocation::fromLocalFile(data));
        if (!store.saveIndex(
                LibraryIndex { { track }, { FileLocation::fromLocalFile(root + QStringLiteral("/music")) } })
            || !store.saveSettings(settings)) {
            fail("could not write the library");
            return;
        }

        m_display.start(QStringLiteral("Xvfb"),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1440x900x24"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp") });
        const QString display = QLatin1Char(':') + firstLine(m_display);
        m_bus.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        const QString bus = firstLine(m_bus);
        if (display.size() < 2 || bus.isEmpty()) {
            fail("Xvfb or dbus-daemon did not start");
            return;
        }

        m_environment.insert(QStringLiteral("HOME"), root);
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
        m_environment.insert(QStringLiteral("DISPLAY"), display);
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);

        m_compositor.setProcessEnvironment(m_environment);
        m_compositor.start(QStringLiteral("xcompmgr"), {});
        m_app.setProcessEnvironment(m_environment);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(QUILLMERE_EXECUTABLE), {});
        if (!waitUntil([this] { return !mainWindow().isEmpty(); }, 30000)) {
            fail("the main window did not appear");
            return;
        }
        // The start-up rescan and the first paints settle.
        QThread::sleep(5);
        m_ready = true;
    }

    ~RunningProgram()
    {
        for (QProcess *process : { &m_app, &m_compositor, &m_bus, &m_display }) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
        }
    }

    bool isReady() const { return m_ready; }
    const QString &error() const { return m_error; }
    qint64 pid() const { return m_app.processId(); }

    QString player(const QString &command) const
    {
        return run(QStringLiteral("playerctl"),
            { QStringLiteral("-p"), QStringLiteral("quillmere"), command }, m_environment);
    }

    QString mainWindow() const
    {
        return run(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QStringLiteral("^Quillmere$") },
            m_environment)
            .section(QLatin1Char('\n'), 0, 0);
    }

    void unmap(const QString &window) const
    {
        run(QStringLiteral("xdotool"), { QStringLiteral("windowunmap"), QStringLiteral("--sync"), window },
            m_environment);
    }

private:
    void fail(const char *reason) { m_error = QString::fromLatin1(reason); }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_display;
    QProcess m_bus;
    QProcess m_compositor;
    QProcess m_app;
    QString m_error;
    bool m_ready = false;
};

void reportLoad(benchmark::State &state)
{
    double load[1] = { 0 };
    if (getloadavg(load, 1) == 1)
        state.counters["load_1min"] = load[0];
}

// Wake-ups per second of all threads, window shown, nothing playing.
void idleWakeUps(benchmark::State &state)
{
    RunningProgram program;
    if (!program.isReady())
        return state.SkipWithError(program.error().toStdString().c_str());
    double perSecond = 0;
    for (auto _ : state) {
        const qint64 before = wakeUps(program.pid());
        QThread::sleep(measuredSeconds);
        perSecond = double(wakeUps(program.pid()) - before) / measuredSeconds;
        state.SetIterationTime(measuredSeconds);
    }
    state.counters["wakeups_per_s"] = perSecond;
    reportLoad(state);
}

// Per cent of one core while the FLAC plays, with the window on screen (0) or unmapped (1).
void playingCpu(benchmark::State &state)
{
    RunningProgram program;
    if (!program.isReady())
        return state.SkipWithError(program.error().toStdString().c_str());
    program.player(QStringLiteral("play"));
    if (!waitUntil(
            [&] { return program.player(QStringLiteral("status")) == QStringLiteral("Playing"); }, 10000))
        return state.SkipWithError("nothing plays (is PulseAudio running?)");
    if (state.range(0) == 1)
        program.unmap(program.mainWindow());
    QThread::sleep(1);
    const double ticksPerSecond = double(sysconf(_SC_CLK_TCK));
    double percent = 0;
    for (auto _ : state) {
        const qint64 before = cpuTicks(program.pid());
        QThread::sleep(measuredSeconds);
        percent = 100.0 * double(cpuTicks(program.pid()) - before) / ticksPerSecond / measuredSeconds;
        state.SetIterationTime(measuredSeconds);
    }
    state.counters["cpu_percent"] = percent;
    reportLoad(state);
}

BENCHMARK(idleWakeUps)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(playingCpu)
    ->ArgName("hidden")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
