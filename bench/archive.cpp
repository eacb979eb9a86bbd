// Archive conversion: ventrel-render --out-dir over many generated two-hour
// flights at once, writing the report, the CSV and the Skew-T PNG of each.
// One iteration is one run of the program over every flight; wall time, the
// CPU time of the program and its peak resident memory are reported.
//   bench_archive                        1,000 flights of 7,200 frames
//   bench_archive --benchmark_filter=/100/   the same with 100 flights
//   bench_archive generate DIR COUNT [FRAMES]   only writes COUNT flights
//                                        (DIR/flightN.txt) and ends
// Ten distinct flights are generated; the others are hard links to them, so
// that the files are many while generating them stays quick.
#include "GeneratedFlights.h"
#include "ProcessRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

constexpr int DistinctFlights = 10;

// The i-th generated flight: launch site, start time and errors differ.
TFlightShape Shape(int i, int frames)
{
    TFlightShape shape;
    shape.Frames = frames;
    shape.LaunchElevation = 50.0 + 37.5 * i;
    shape.Start = 46000.25 + i * 0.5;
    shape.ErrorEvery = i % 3 == 0 ? 0 : 97 + i;
    if (i % 4 == 3)
        shape.Configuration = QStringLiteral("1MP:TPUVVVVF");
    return shape;
}

// Writes `count` flights into `dir`; their paths, or nothing on failure.
QStringList Generate(const QString &dir, int count, int frames)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(dir).filePath(QStringLiteral("flight%1.txt").arg(i));
        if (i < DistinctFlights) {
            if (!WriteFlightLog(path, Shape(i, frames)))
                return {};
        } else {
            const QString first = paths[i % DistinctFlights];
            QFile::remove(path);
            if (::link(first.toLocal8Bit().constData(), path.toLocal8Bit().constData()) != 0 &&
                !QFile::copy(first, path))
                return {};
        }
        paths << path;
    }
    return paths;
}

QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

void ConvertArchive(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString inputs = Folder().filePath(QStringLiteral("in%1").arg(count));
    const QString outputs = Folder().filePath(QStringLiteral("out%1").arg(count));
    QDir().mkpath(inputs);
    QDir().mkpath(outputs);
    const QStringList flights = Generate(inputs, count, 7200);
    if (flights.isEmpty()) {
        state.SkipWithError("cannot write the flights");
        return;
    }
    std::vector<std::string> arguments = {VENTREL_BIN_DIR "/ventrel-render",
                                          "--out-dir",
                                          outputs.toStdString(),
                                          "--report",
                                          "--csv",
                                          "--skewt",
                                          "--size",
                                          "1000x800"};
    for (const QString &flight : flights)
        arguments.push_back(flight.toStdString());
    double cpu = 0, peak = 0;
    for (auto _ : state) {
        const TProcessRun run = RunProcess(arguments);
        if (!run.Succeeded) {
            state.SkipWithError("ventrel-render failed");
            return;
        }
        state.SetIterationTime(run.WallSeconds);
        cpu = run.CpuSeconds;
        peak = std::max(peak, run.PeakMegabytes);
    }
    state.counters["flights"] = count;
    state.counters["cpu_s"] = cpu;
    state.counters["peak_MB"] = peak;
    state.counters["flights_per_s"] =
        benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc >= 4 && std::string(argv[1]) == "generate") {
        const int frames = argc >= 5 ? std::atoi(argv[4]) : 7200;
        QDir().mkpath(QString::fromLocal8Bit(argv[2]));
        if (Generate(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), frames).isEmpty()) {
            std::fprintf(stderr, "bench_archive: cannot write the flights\n");
            return 1;
        }
        return 0;
    }
    for (int count : {1000, 100})
        benchmark::RegisterBenchmark("ConvertArchive", ConvertArchive)
            ->Arg(count)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
