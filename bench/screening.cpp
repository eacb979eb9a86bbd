// The screening of the ascent, run on the whole ascent whenever the products
// are refreshed (once a second while frames arrive): 1,000 to 100,000 frames
// a second apart from 1005 to 5 hPa, with sensor noise, a humidity layer, a
// temperature spike every 500 frames, a pressure jump every 2,000, humidity
// of 0 and 110 % now and then and a three-minute fade.
//   bench_screening --benchmark_filter=ScreenAscent
#include "sounding/Screening.h"
#include "sounding/Thermodynamics.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

TSoundingFrames Ascent(int frames)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> pressureNoise(-0.3, 0.3);
    std::normal_distribution<double> noise(0.0, 0.1);
    TSoundingFrames ascent;
    ascent.reserve(frames);
    const int fadeStart = frames / 3, fadeEnd = fadeStart + 180;
    for (int i = 0; i < frames; ++i) {
        if (i >= fadeStart && i < fadeEnd)
            continue;
        const double p = 1005.0 * std::pow(5.0 / 1005.0, double(i) / (frames - 1));
        const double z = 44330.8 * (1.0 - std::pow(p / 1013.25, 0.190263));
        TSoundingFrame frame;
        frame.Time = 46000.5 + i / 86400.0;
        frame.Pressure = p + pressureNoise(random);
        frame.Altitude = z;
        frame.Temperature = StandardAtmosphereTemperature(p) - 273.15 + noise(random);
        frame.Humidity = (z > 3000.0 && z < 3300.0 ? 30.0 : 75.0) + 10.0 * noise(random);
        if (i % 500 == 250)
            frame.Temperature += 8.0;
        if (i % 2000 == 1000)
            frame.Pressure += 3.0;
        if (i % 3000 == 1500)
            frame.Humidity = i % 6000 == 1500 ? 0.0 : 110.0;
        ascent.push_back(frame);
    }
    return ascent;
}

void ScreenAscent(benchmark::State &state)
{
    const TSoundingFrames ascent = Ascent(int(state.range(0)));
    for (auto _ : state) {
        TScreenedFrames screened = ScreenAscent(ascent);
        benchmark::DoNotOptimize(screened);
    }
    const TScreenedFrames screened = ScreenAscent(ascent);
    state.counters["pressure"] = screened.Counts.Pressure;
    state.counters["temperature"] = screened.Counts.Temperature;
    state.counters["humidity"] = screened.Counts.Humidity;
    state.counters["gaps"] = double(screened.Gaps.size());
}
BENCHMARK(ScreenAscent)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
