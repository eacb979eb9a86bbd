// The headless renderer on long flights: ventrel-render of a generated 1MR
// run log writing the report and three 1000 x 800 images (or nothing), as a
// separate process, measuring its wall time, CPU time and peak resident
// memory.
//   bench_render --benchmark_filter=TwoHourFlight
//   bench_render --benchmark_filter=LongFlight
//   bench_render --benchmark_filter=NothingAsked
// Each iteration is one run of the program; the logs are generated once into
// a temporary folder and not kept.
#include "SondeEncoder.h"

#include "devices/LogFormat.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <vector>

extern char **environ;

namespace {

QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

// A flight of `frames` one-second frames of a 1MR sonde, written once.
QString FlightLog(int frames)
{
    static std::map<int, QString> logs;
    if (auto found = logs.find(frames); found != logs.end())
        return found->second;
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MR:TPUVVVVF"));
    const TStandardAscent flight(120.0);
    QStringList lines = LogHeaderLines(configuration, 120.0);
    const double start = 46000.5;
    for (int i = 0; i < frames; ++i) {
        TKestrinResult frame = configuration;
        frame.SetFrame(EncodeFrame(configuration, ChannelValues(configuration, flight.At(i, i))));
        frame.SetTime(start + i / 86400.0);
        lines << FormatLogLine(frame);
    }
    const QString path = Folder().filePath(QStringLiteral("flight%1.txt").arg(frames));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(EncodeLogLines(lines)) < 0)
        return QString();
    logs[frames] = path;
    return path;
}

void RenderFlight(benchmark::State &state)
{
    const QString log = FlightLog(int(state.range(0)));
    if (log.isEmpty()) {
        state.SkipWithError("cannot write the log");
        return;
    }
    const QString out = Folder().path();
    std::vector<std::string> arguments = {VENTREL_BIN_DIR "/ventrel-render", log.toStdString()};
    if (state.range(1))
        for (const char *option : {"report", "standard", "skewt", "time"})
            arguments.insert(arguments.end(),
                             {std::string("--") + option,
                              (out + "/" + option +
                               (option[0] == 'r' ? QStringLiteral(".txt") : QStringLiteral(".png")))
                                  .toStdString()});
    arguments.insert(arguments.end(), {"--size", "1000x800"});
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    double peakMegabytes = 0;
    double cpu = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start ventrel-render");
            return;
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - begin;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("ventrel-render failed");
            return;
        }
        state.SetIterationTime(wall.count());
        cpu += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        peakMegabytes = std::max(peakMegabytes, usage.ru_maxrss / 1024.0);
    }
    state.counters["peak_MB"] = peakMegabytes;
    state.counters["frames"] = double(state.range(0));
    state.counters["cpu_s"] = cpu / double(state.iterations());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    for (auto [name, frames, outputs, iterations] :
         {std::tuple{"TwoHourFlight", 7200, 1, 5}, std::tuple{"LongFlight", 100000, 1, 5},
          std::tuple{"NothingAsked", 100000, 0, 5}})
        benchmark::RegisterBenchmark(name, RenderFlight)
            ->Args({frames, outputs})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
