// The flight's phases over a saved run of 100,000 frames, one a second: 15
// minutes on the ground, the ascent at 5 m/s to the burst at 30 km, the
// descent, and the landed sonde for the rest; and 100,000 frames that never
// leave the ground, where the release detection runs for every frame. Then
// the queries the window's once-a-second refresh makes.
//   bench_flight_phases
//   bench_flight_phases --benchmark_filter=Refresh
#include "sounding/FlightPhases.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

constexpr double Start = 46363.4375;

TSoundingFrames Flight(int frames, bool launched)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    TSoundingFrames run;
    run.reserve(size_t(frames));
    double h = 0.0;
    bool burst = false;
    for (int i = 0; i < frames; ++i) {
        const double t = i;
        if (launched && t >= 900.0) {
            if (!burst && h < 30000.0) {
                h += 5.0;
            } else {
                burst = true;
                h = std::max(0.0, h - 5.0 * std::exp(h / 14800.0));
            }
        }
        const double p = 1005.0 * std::exp(-h / 7400.0);
        TSoundingFrame frame;
        frame.Time = Start + t / 86400.0;
        frame.Pressure = p + (h < 5000.0 ? noise(random) : 0.01 * noise(random));
        frame.Temperature = std::max(15.0 - 0.0065 * h, -56.5);
        frame.Humidity = 60.0;
        frame.Altitude = 100.0 + h;
        run.push_back(frame);
    }
    return run;
}

void Add(benchmark::State &state, bool launched)
{
    const TSoundingFrames run = Flight(int(state.range(0)), launched);
    for (auto _ : state) {
        TFlightPhases phases;
        for (const TSoundingFrame &frame : run)
            phases.Add(frame);
        phases.EndOfData();
        benchmark::DoNotOptimize(phases.Termination());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void AddFlight(benchmark::State &state)
{
    Add(state, true);
}

void AddGround(benchmark::State &state)
{
    Add(state, false);
}

// What the window asks once a second, with 100,000 frames in.
void Refresh(benchmark::State &state)
{
    TFlightPhases phases;
    for (const TSoundingFrame &frame : Flight(int(state.range(0)), true))
        phases.Add(frame);
    for (auto _ : state) {
        benchmark::DoNotOptimize(phases.Phase());
        benchmark::DoNotOptimize(phases.GroundMinutes());
        benchmark::DoNotOptimize(phases.Release());
        benchmark::DoNotOptimize(phases.Burst());
        benchmark::DoNotOptimize(phases.Termination());
        benchmark::DoNotOptimize(phases.Ascent());
        benchmark::DoNotOptimize(phases.BeginsAloft(1005.0, 100.0));
        benchmark::DoNotOptimize(phases.ProductsProblem(1005.0, 100.0));
    }
}

// The operator's buttons: each mark looks through the frames once.
void OperatorMarks(benchmark::State &state)
{
    TFlightPhases phases;
    for (const TSoundingFrame &frame : Flight(int(state.range(0)), true))
        phases.Add(frame);
    for (auto _ : state) {
        phases.SetOperatorRelease(Start + 905.0 / 86400.0);
        phases.SetOperatorEnd(Start + 6000.0 / 86400.0);
        benchmark::DoNotOptimize(phases.Termination());
        phases.SetOperatorRelease(std::nullopt);
        phases.SetOperatorEnd(std::nullopt);
    }
}

} // namespace

BENCHMARK(AddFlight)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(AddGround)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Refresh)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(OperatorMarks)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
