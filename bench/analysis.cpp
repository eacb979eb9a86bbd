// The live sounding analysis and the exports over a whole flight: a 10,000
// frame ascent from the ground to 5 mbar with sensor noise, ten minutes of
// frames on the ground first and the descent after the burst.
//   bench_analysis --benchmark_filter=Analyse
//   bench_analysis --benchmark_filter='SoundingProducts|Reports'
#include "devices/KestrinLibrary.h"
#include "pipeline/PacketSounding.h"
#include "pipeline/ProcessedDataExport.h"
#include "sounding/FlightSounding.h"
#include "sounding/SoundingAnalysis.h"
#include "sounding/SoundingBufr.h"
#include "sounding/SoundingProducts.h"
#include "sounding/TempReport.h"
#include "sounding/Thermodynamics.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

// `seconds`: the time between frames; by default one second, so that a
// long flight climbs slowly. A real one climbs at 5 m/s whatever its frame
// rate: FlightProducts spaces the frames so.
TDataPacketList Flight(int frames, double seconds = 1.0)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 0.1);
    TDataPacketList packets;
    const int ground = frames / 20;
    const int descent = frames / 5;
    const int ascent = frames - ground - descent;
    auto add = [&](double p, double t) {
        const double z = 44330.8 * (1.0 - std::pow(p / 1013.25, 0.190263));
        const double T = StandardAtmosphereTemperature(p) - 273.15 + 12.0 * std::exp(-z / 2000.0) +
                         noise(random);
        TDataPacket packet;
        packet.SetTime(46000.5 + t * seconds / 86400.0);
        packet.SetPressure(p + noise(random));
        packet.SetTemperature(T);
        packet.SetAltitude(z);
        packet.SetHumidity(70.0);
        if (T > -60.0)
            packet.SetDewpoint(T - 4.0 + noise(random));
        packets.push_back(packet);
    };
    int t = 0;
    for (int i = 0; i < ground; ++i)
        add(1005.0, t++);
    for (int i = 0; i < ascent; ++i)
        add(1005.0 * std::pow(5.0 / 1005.0, double(i) / (ascent - 1)), t++);
    for (int i = 0; i < descent; ++i)
        add(5.0 * std::pow(1005.0 / 5.0, double(i) / (descent - 1)), t++);
    return packets;
}

void AnalyseFlight(benchmark::State &state)
{
    const TDataPacketList packets = Flight(int(state.range(0)));
    for (auto _ : state) {
        TSoundingAnalysis a = AnalyseSounding(packets);
        benchmark::DoNotOptimize(a);
    }
    const TSoundingAnalysis a = AnalyseSounding(packets);
    state.counters["levels"] = double(a.Profile.size());
    state.counters["cape"] = a.Cape.value_or(-1.0);
}
BENCHMARK(AnalyseFlight)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void ExportSharppy(benchmark::State &state)
{
    const TDataPacketList packets = Flight(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatSharppySounding(packets));
}
BENCHMARK(ExportSharppy)->Unit(benchmark::kMillisecond);

void ExportCsv(benchmark::State &state)
{
    const TDataPacketList packets = Flight(10000);
    TKestrinResult configuration;
    configuration.ParseConfiguration("1MP:TPUNNNNN");
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatProcessedDataCsv(configuration, packets));
}
BENCHMARK(ExportCsv)->Unit(benchmark::kMillisecond);

// What the graph thread does once a second while the products window is open.
void SoundingProducts(benchmark::State &state)
{
    const TDataPacketList packets = Flight(int(state.range(0)));
    for (auto _ : state) {
        TSoundingProducts p = ComputeSoundingProducts(packets);
        benchmark::DoNotOptimize(p);
    }
    const TSoundingProducts p = ComputeSoundingProducts(packets);
    state.counters["significant"] = double(p.Significant.size());
}
BENCHMARK(SoundingProducts)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void Reports(benchmark::State &state)
{
    const TSoundingProducts products = ComputeSoundingProducts(Flight(10000));
    const TStationIdentity station{QStringLiteral("03808"), 50.2, -5.3};
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(FormatTempReport(products, station));
        else if (state.range(0) == 1)
            benchmark::DoNotOptimize(EncodeSoundingBufr(products, station, 0.0));
        else
            benchmark::DoNotOptimize(BufrLevels(products));
    }
}
// 0: the TEMP report, 1: the BUFR report of every level, 2: its levels only
// (what the products window counts once a second).
BENCHMARK(Reports)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

// The once-a-second refresh of the products window: the products of the
// flight's ascent, its phases found frame by frame as the frames came.
void FlightProducts(benchmark::State &state)
{
    TSoundingFrames frames;
    TFlightPhases phases;
    // The ascent to 5 mbar (36 km) at 5 m/s, however many frames it has.
    const int count = int(state.range(0));
    for (const TDataPacket &packet : Flight(count, 7200.0 / (count * 0.75))) {
        TSoundingFrame frame;
        frame.Time = packet.Time();
        frame.Pressure = packet.Pressure();
        frame.Temperature = packet.Temperature();
        frame.Humidity = packet.Humidity();
        frame.Altitude = packet.Altitude();
        frames.push_back(frame);
        phases.Add(frame);
    }
    phases.EndOfData();
    const TFlightSetup setup{0.0, std::nullopt};
    for (auto _ : state) {
        TSoundingProducts p = ComputeFlightProducts(frames, phases, setup);
        benchmark::DoNotOptimize(p);
    }
    const TSoundingProducts p = ComputeFlightProducts(frames, phases, setup);
    state.counters["levels"] = double(p.Analysis.Profile.size());
}
BENCHMARK(FlightProducts)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
