// The acquisition path under load: kestrin-sim -> exchange library ->
// receiver -> run log, measuring lost frames, the CPU time of the receiver's
// and the file writer's worker threads, and what forcing the log to the
// disk after each append costs.
//   bench_acquisition --benchmark_filter=SimulatorToLog
//   VENTREL_BENCH_SKIP_SYNC=1 bench_acquisition   (the same without the syncs)
// Each run is one flight of a fixed number of frames (10 s of sending), so
// iterations are fixed at one; the figures are the counters. The log goes to
// a folder under TMPDIR (else /tmp): it must be on a real disk for the sync
// figures to mean anything.
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
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The file writer's fdatasync calls land here (the core library is linked
// statically): each is timed, or with VENTREL_BENCH_SKIP_SYNC set skipped.
struct TSyncTimes
{
    std::mutex Lock;
    int Count = 0;
    double TotalSeconds = 0.0;
    double MaxSeconds = 0.0;
} SyncTimes;

} // namespace

extern "C" int fdatasync(int fd)
{
    static const bool skip = std::getenv("VENTREL_BENCH_SKIP_SYNC") != nullptr;
    const auto start = std::chrono::steady_clock::now();
    const int result = skip ? 0 : int(syscall(SYS_fdatasync, fd));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::lock_guard lock(SyncTimes.Lock);
    ++SyncTimes.Count;
    SyncTimes.TotalSeconds += seconds;
    SyncTimes.MaxSeconds = std::max(SyncTimes.MaxSeconds, seconds);
    return result;
}

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

        {
            const std::lock_guard lock(SyncTimes.Lock);
            SyncTimes.Count = 0;
            SyncTimes.TotalSeconds = SyncTimes.MaxSeconds = 0.0;
        }
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
        {
            const std::lock_guard lock(SyncTimes.Lock);
            state.counters["syncs"] = SyncTimes.Count;
            state.counters["sync_ms_mean"] =
                SyncTimes.Count > 0 ? 1000.0 * SyncTimes.TotalSeconds / SyncTimes.Count : 0.0;
            state.counters["sync_ms_max"] = 1000.0 * SyncTimes.MaxSeconds;
        }

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
    ->Args({1, 10})
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
