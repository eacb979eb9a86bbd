// Decoding throughput: frames through SetFrame, and log lines through the
// replay path (ParseLogLine, MakeDataPacket, AdvanceBase), alone and with
// the data-list row the graph pipeline makes of each packet.
#include "devices/KestrinLibrary.h"
#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "pipeline/DataPacket.h"
#include "pipeline/GraphPipeline.h"

#include <benchmark/benchmark.h>

namespace {

TKestrinResult Configured(const char *configuration)
{
    TKestrinResult r;
    r.ParseConfiguration(QString::fromLatin1(configuration));
    return r;
}

void SetFrameRaw(benchmark::State &state)
{
    TKestrinResult r = Configured("1MR:TPUVVVVF");
    const QString frame = QStringLiteral("17D39A1CE2000003FFabc1F40");
    for (auto _ : state) {
        r.SetFrame(frame);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetFrameRaw);

void SetFrameProcessed(benchmark::State &state)
{
    TKestrinResult r = Configured("1MP:TPUVVVVF");
    const QString frame = QStringLiteral("15.23,1013.2,45.6,2500,2501.5,2502,2503,1680");
    for (auto _ : state) {
        r.SetFrame(frame);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetFrameProcessed);

QStringList ReplayLines(const TKestrinResult &configuration)
{
    QStringList lines;
    for (int i = 0; i < 1000; ++i) {
        TKestrinResult r = configuration;
        r.SetTime(46000.5 + i / 86400.0);
        const QString pressure = QString::number(0x39A - i % 256, 16).rightJustified(3, u'0');
        r.SetFrame(QStringLiteral("17D") + pressure + QStringLiteral("1CE2000003FFabc1F40"));
        lines << FormatLogLine(r);
    }
    return lines;
}

void ReplayLogLines(benchmark::State &state)
{
    const TKestrinResult configuration = Configured("1MR:TPUVVVVF");
    const QStringList lines = ReplayLines(configuration);
    TAltitudeBase base = TAltitudeBase::Start(100.0);
    qsizetype i = 0;
    for (auto _ : state) {
        TKestrinResult r = configuration;
        ParseLogLine(lines[i], r);
        const TDataPacket packet = MakeDataPacket(r, base);
        AdvanceBase(base, packet);
        benchmark::DoNotOptimize(packet);
        if (++i == lines.size())
            i = 0, base = TAltitudeBase::Start(100.0);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReplayLogLines);

// The whole replay path of one frame, end to end: the log line read back,
// the packet derived, the base moved on, and the packet's data-list row.
void ReplayToDataListRow(benchmark::State &state)
{
    const TKestrinResult configuration = Configured("1MR:TPUVVVVF");
    const QStringList lines = ReplayLines(configuration);
    TGraphPipeline pipeline;
    TDataParameters parameters;
    parameters.Configuration() = configuration;
    parameters.SetLaunchElevation(100.0);
    TCommandList batch;
    batch.push_back(
        std::make_unique<TRawDataPacket>(rcNewRun, std::make_unique<TDataParameters>(parameters)));
    TCycleOutput output;
    pipeline.Process(batch, output);
    const TFormatSettings &settings = GetSystemFormatSettings();
    TAltitudeBase base = TAltitudeBase::Start(100.0);
    qsizetype i = 0;
    for (auto _ : state) {
        TKestrinResult r = configuration;
        ParseLogLine(lines[i], r, settings);
        const TDataPacket packet = MakeDataPacket(r, base, settings);
        AdvanceBase(base, packet);
        const QString row = pipeline.RowText(packet, settings);
        benchmark::DoNotOptimize(row);
        if (++i == lines.size())
            i = 0, base = TAltitudeBase::Start(100.0);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReplayToDataListRow);

} // namespace

BENCHMARK_MAIN();
