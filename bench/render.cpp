// The headless renderer on long flights: ventrel-render of a generated 1MR
// run log writing the report and three 1000 x 800 images (or nothing), as a
// separate process, measuring its wall time, CPU time and peak resident
// memory.
//   bench_render --benchmark_filter=TwoHourFlight
//   bench_render --benchmark_filter=LongFlight
//   bench_render --benchmark_filter=NothingAsked
// Each iteration is one run of the program; the logs are generated once into
// a temporary folder and not kept.
#include "GeneratedFlights.h"
#include "ProcessRun.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <tuple>
#include <vector>

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
    const QString path = Folder().filePath(QStringLiteral("flight%1.txt").arg(frames));
    TFlightShape shape;
    shape.Frames = frames;
    if (!WriteFlightLog(path, shape))
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
    double peakMegabytes = 0;
    double cpu = 0;
    for (auto _ : state) {
        const TProcessRun run = RunProcess(arguments);
        if (!run.Succeeded) {
            state.SkipWithError("ventrel-render failed");
            return;
        }
        state.SetIterationTime(run.WallSeconds);
        cpu += run.CpuSeconds;
        peakMegabytes = std::max(peakMegabytes, run.PeakMegabytes);
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
