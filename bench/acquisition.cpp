// The acquisition path under load: kestrin-sim -> exchange library ->
// receiver -> run log, measuring lost frames and the CPU time of the
// receiver's worker thread.
//   bench_acquisition --benchmark_filter=SimulatorToLog
// Each run is one flight of a fixed number of frames (10 s of sending), so
// iterations are fixed at one; the figures are the counters.
#include "devices/FileManager.h"
#include "devices/KestrinReceiver.h"
#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

uint16_t FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// CPU time in seconds of this process's thread named `name` (the device
// slaves name their threads), from /proc; -1 when there is none.
double ThreadCpuSeconds(const QString &name)
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) ||
            QString::fromLatin1(comm.readAll()).trimmed() != name)
            continue;
        QFile schedstat(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly)) // run time in nanoseconds
            return schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
        QFile stat(tasks.filePath(tid + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const double ticks = double(sysconf(_SC_CLK_TCK));
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
    }
    return -1;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void SimulatorToLog(benchmark::State &state)
{
    const int rate = int(state.range(0));
    const int frames = int(state.range(1));
    const QString configurationText = QStringLiteral("1RR:TPUVVVFFB");
    for (auto _ : state) {
        QTemporaryDir dir;
        const uint16_t port = FreePort();
        setenv("DXSOFTEX_PORT", std::to_string(port).c_str(), 1);
        TKestrinResult configuration;
        configuration.ParseConfiguration(configurationText);

        const QString logName = dir.filePath(QStringLiteral("run.txt"));
        auto receiver = std::make_unique<TKestrinReceiver>();
        auto files = std::make_unique<TFileManager>();
        files->NewFile(logName);
        for (const QString &line : LogHeaderLines(configuration, 0.0))
            files->WriteLine(line);
        int received = 0;
        receiver->OnData = [&](const TKestrinResult &r) {
            files->WriteLine(FormatLogLine(r));
            ++received;
        };
        bool ready = false;
        bool broken = false;
        receiver->OnConfigurationSet = [&](const TKestrinResult &) { ready = true; };
        receiver->OnReceiverError = [&] { broken = true; };
        receiver->Start();
        receiver->SetConfiguration(configuration);
        while (!ready && !broken)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (broken) {
            state.SkipWithError("the exchange library is not connected");
            return;
        }

        QProcess simulator;
        simulator.setStandardOutputFile(QProcess::nullDevice());
        simulator.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
                        {QStringLiteral("--port"), QString::number(port),
                         QStringLiteral("--config"), configurationText,
                         QStringLiteral("--config-repeat"), QStringLiteral("0"),
                         QStringLiteral("--rate"), QString::number(rate),
                         QStringLiteral("--frames"), QString::number(frames)});
        simulator.waitForStarted();

        const double slaveBefore = ThreadCpuSeconds(QStringLiteral("KestrinSlave"));
        const double fileBefore = ThreadCpuSeconds(QStringLiteral("FileSlave"));
        const double processBefore = ProcessCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        // Until every frame is in, or 5 s after the simulator has finished.
        QElapsedTimer after;
        while (received < frames) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (simulator.state() == QProcess::NotRunning) {
                if (!after.isValid())
                    after.start();
                else if (after.elapsed() > 5000)
                    break;
            }
        }
        const double seconds = wall.elapsed() / 1000.0;
        const double slave = ThreadCpuSeconds(QStringLiteral("KestrinSlave")) - slaveBefore;
        const double file = ThreadCpuSeconds(QStringLiteral("FileSlave")) - fileBefore;
        const double process = ProcessCpuSeconds() - processBefore;
        simulator.waitForFinished();

        receiver.reset();
        files.reset(); // writes what is pending
        int logged = 0;
        try {
            logged = int(ReadRunLog(logName).DataLines.size());
        } catch (const EVentrelError &e) {
            state.SkipWithError(e.what());
            return;
        }
        state.counters["frames"] = frames;
        state.counters["received"] = received;
        state.counters["logged"] = logged;
        state.counters["lost"] = frames - logged;
        state.counters["seconds"] = seconds;
        state.counters["slave_cpu_pct"] = 100.0 * slave / seconds;
        state.counters["file_cpu_pct"] = 100.0 * file / seconds;
        state.counters["process_cpu_pct"] = 100.0 * process / seconds;
        unsetenv("DXSOFTEX_PORT");
    }
}

// 10 s of sending at each rate.
BENCHMARK(SimulatorToLog)
    ->Args({1000, 10000})
    ->Args({10, 100})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    InitialiseProcess();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
