// A full rebuild and redraw of each graph kind, as the graph thread makes
// after a settings change: ApplyParameters followed by Redraw with 1,000,
// 10,000 and 100,000 packets of a flight (10,000 packets: two and a half
// hours) at 1000 x 800 pixels; and the Skew-T's live cycle with and without
// its analysis overlays at the same lengths. The argument is the packet
// count (and for the live cycle, second, whether the overlays are shown).
#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/SkewTGraph.h"
#include "graphs/StandardGraph.h"
#include "graphs/TimeGraph.h"

#include <QGuiApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <map>

namespace {

TDataParameters FlightDataParameters()
{
    TDataParameters parameters;
    parameters.Configuration().ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    return parameters;
}

// One packet a second from 1000 mbar up to 10 mbar, with wiggles.
const TDataPacketList &Flight(int PacketCount)
{
    static std::map<int, TDataPacketList> flights;
    auto [found, added] = flights.try_emplace(PacketCount);
    if (!added)
        return found->second;
    found->second = [PacketCount] {
        TDataPacketList list;
        double altitude = 100.0, previous = 0.0;
        for (int i = 0; i < PacketCount; ++i) {
            const double f = double(i) / (PacketCount - 1);
            const double p = 1000.0 * std::pow(0.01, f);
            const double t = std::max(20.0 - 80.0 * f, -56.0) + 2.0 * std::sin(i * 0.05);
            const double u = std::clamp(90.0 - 85.0 * f + 5.0 * std::sin(i * 0.013), 2.0, 100.0);
            TDataPacket packet;
            packet.SetTime(46000.5 + i / 86400.0);
            packet.SetTemperature(t);
            packet.SetPressure(p);
            packet.SetHumidity(u);
            if (i > 0)
                altitude = HypsometricAltitude(previous, altitude, p,
                                               VirtualTemperature(CelsiusToKelvin(t), u, p));
            previous = p;
            packet.SetAltitude(altitude);
            packet.SetDewpoint(DewPoint(t, u));
            const double values[10] = {t,     p,     u,           9.0 - f, -9999,
                                       -9999, -9999, 50 + 10 * f, -9999,   -9999};
            for (int c = 1; c <= 10; ++c)
                packet.SetValue(c, values[c - 1]);
            list.push_back(packet);
        }
        return list;
    }();
    return found->second;
}

void Lengths(benchmark::internal::Benchmark *benchmark)
{
    for (int packets : {1000, 10000, 100000})
        benchmark->Arg(packets);
}

// The looks the program starts with: lines, circles, squares, triangles.
void StartupMarkers(TValueAxesParameters &parameters)
{
    const TDataMarker shapes[10] = {dmNone,   dmNone,   dmCircle, dmCircle,   dmSquare,
                                    dmSquare, dmSquare, dmNone,   dmTriangle, dmTriangle};
    const QColor colours[10] = {Qt::red, Qt::blue,  Qt::black, Qt::green, Qt::blue,
                                Qt::red, Qt::black, Qt::green, Qt::blue,  Qt::red};
    for (int i = 1; i <= 10; ++i) {
        TMarkerDefinition &marker = parameters.GetDataMarker(i);
        marker.SetShape(shapes[i - 1]);
        marker.SetSize(i == 10 ? 10 : 7);
        marker.SetLinePen(QPen(colours[i - 1], shapes[i - 1] == dmNone ? 3 : 1));
        marker.SetMarkerPen(QPen(colours[i - 1], 1));
        marker.SetMarkerBrush(QBrush(colours[i - 1]));
    }
}

template <class TParameters> TParameters Parameters()
{
    TParameters parameters;
    parameters.SetWidth(1000);
    parameters.SetHeight(800);
    return parameters;
}

void BM_StandardApplyAndRedraw(benchmark::State &state)
{
    TStandardGraphParameters parameters = Parameters<TStandardGraphParameters>();
    parameters.SetDependentAxis(1, -60, 100);
    StartupMarkers(parameters);
    parameters.SetPressureAxis(10, 1000);
    parameters.SetPressureAxis(10);
    const TDataParameters data = FlightDataParameters();
    TStandardGraph graph;
    for (auto _ : state) {
        graph.ApplyParameters(data, parameters, Flight(int(state.range(0))), luMeters);
        graph.Redraw();
    }
}
BENCHMARK(BM_StandardApplyAndRedraw)->Apply(Lengths)->Unit(benchmark::kMillisecond);

void BM_SkewTApplyAndRedraw(benchmark::State &state)
{
    TSkewTGraphParameters parameters = Parameters<TSkewTGraphParameters>();
    parameters.TemperatureMarker().SetShape(dmNone);
    parameters.TemperatureMarker().SetLinePen(QPen(Qt::red, 1));
    parameters.DewpointMarker().SetShape(dmNone);
    parameters.DewpointMarker().SetLinePen(QPen(Qt::blue, 1));
    TSkewTGraph graph;
    for (auto _ : state) {
        graph.ApplyParameters(parameters, luMeters, Flight(int(state.range(0))));
        graph.Redraw();
    }
}
BENCHMARK(BM_SkewTApplyAndRedraw)->Apply(Lengths)->Unit(benchmark::kMillisecond);

// The Skew-T traces with the default markers (circles of size 15 on every point).
void BM_SkewTApplyAndRedrawDefaultMarkers(benchmark::State &state)
{
    const TSkewTGraphParameters parameters = Parameters<TSkewTGraphParameters>();
    TSkewTGraph graph;
    for (auto _ : state) {
        graph.ApplyParameters(parameters, luMeters, Flight(int(state.range(0))));
        graph.Redraw();
    }
}
BENCHMARK(BM_SkewTApplyAndRedrawDefaultMarkers)->Apply(Lengths)->Unit(benchmark::kMillisecond);

// One cycle of a live flight 10,000 packets long: the newest packet added,
// then the redraw, without (0) and with (1) every analysis overlay, which
// runs the sounding analysis again over all the packets. The traces gain a
// point per iteration, which does not count at this length.
void BM_SkewTLiveCycle(benchmark::State &state)
{
    TSkewTGraphParameters parameters = Parameters<TSkewTGraphParameters>();
    parameters.TemperatureMarker().SetShape(dmNone);
    parameters.DewpointMarker().SetShape(dmNone);
    const int PacketCount = int(state.range(0));
    const bool overlays = state.range(1) != 0;
    parameters.SetShowParcel(overlays);
    parameters.SetShowStandardAtmosphere(overlays);
    parameters.SetShowAnalysis(overlays);
    const TDataPacketList &packets = Flight(PacketCount);
    TSkewTGraph graph;
    graph.ApplyParameters(parameters, luMeters,
                          TDataPacketList(packets.begin(), packets.end() - 1));
    for (auto _ : state) {
        graph.AddData(packets, PacketCount - 1);
        graph.Redraw();
    }
}
BENCHMARK(BM_SkewTLiveCycle)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_TimeApplyAndRedraw(benchmark::State &state)
{
    TTimeGraphParameters parameters = Parameters<TTimeGraphParameters>();
    parameters.SetTimeAxis(0, 180);
    parameters.SetTimeAxis(15);
    parameters.SetDependentAxis(1, -60, 100);
    StartupMarkers(parameters);
    const TDataParameters data = FlightDataParameters();
    TTimeGraph graph;
    for (auto _ : state) {
        graph.ApplyParameters(data, parameters, Flight(int(state.range(0))));
        graph.Redraw();
    }
}
BENCHMARK(BM_TimeApplyAndRedraw)->Apply(Lengths)->Unit(benchmark::kMillisecond);

// The Standard graph with as many gridlines on the pressure axis and on axis
// A as the argument says (1,801 is every 0.5 mbar from 100 to 1000; 100,000
// the most a document may ask for), every one labelled, over a 10,000-packet
// flight: the rebuild and redraw, then the live cycle of one new packet.
TStandardGraphParameters DenseParameters(int lines)
{
    TStandardGraphParameters parameters = Parameters<TStandardGraphParameters>();
    StartupMarkers(parameters);
    parameters.SetPressureAxis(900.0 / (lines - 1));
    parameters.SetDependentAxis(1, 0, 100);
    parameters.SetDependentAxis(100.0 / (lines - 1));
    return parameters;
}

void BM_StandardDenseGridlinesApplyAndRedraw(benchmark::State &state)
{
    const TStandardGraphParameters parameters = DenseParameters(int(state.range(0)));
    TStandardGraph graph;
    for (auto _ : state) {
        graph.ApplyParameters(FlightDataParameters(), parameters, Flight(10000), luMeters);
        graph.Redraw();
    }
    state.counters["gridlines"] = graph.Screen().PressureAxis().GridlineCount();
}
BENCHMARK(BM_StandardDenseGridlinesApplyAndRedraw)
    ->Arg(1801)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_StandardDenseGridlinesLiveCycle(benchmark::State &state)
{
    const TDataPacketList &packets = Flight(10000);
    TStandardGraph graph;
    graph.ApplyParameters(FlightDataParameters(), DenseParameters(int(state.range(0))),
                          TDataPacketList(packets.begin(), packets.end() - 1), luMeters);
    for (auto _ : state) {
        graph.AddData(packets, int32_t(packets.size()) - 1);
        graph.Redraw();
    }
}
BENCHMARK(BM_StandardDenseGridlinesLiveCycle)
    ->Arg(1801)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The print image of the Standard graph (5000 x 4000 plus the legend).
void BM_StandardPrintImage(benchmark::State &state)
{
    TStandardGraphParameters parameters = Parameters<TStandardGraphParameters>();
    StartupMarkers(parameters);
    TStandardGraph graph;
    graph.ApplyParameters(FlightDataParameters(), parameters, Flight(10000), luMeters);
    for (auto _ : state)
        benchmark::DoNotOptimize(graph.CreatePrintImage());
}
BENCHMARK(BM_StandardPrintImage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    InitialiseProcess();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
