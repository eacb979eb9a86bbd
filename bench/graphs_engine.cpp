// Drawing speed of the graph engine: one long series with markers, and a full
// pass of a graph with three axes, ten series and a legend.
#include "foundation/CustomUtilities.h"
#include "graphs/GraphContext.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

// A sounding-like trace: values drifting with small wiggles while the
// vertical coordinate climbs through the whole range.
TDataPointList Trace(int count, double offset)
{
    TDataPointList points;
    points.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const double f = double(i) / count;
        points.emplace_back(offset + 60.0 * f + 3.0 * std::sin(i * 0.01) + 0.5 * std::sin(i * 0.7),
                            1000.0 - 900.0 * f);
    }
    return points;
}

void BM_SeriesWithMarkers(benchmark::State &state)
{
    const int count = int(state.range(0));
    const TDataPointList points = Trace(count, 10.0);
    QImage image = NewGraphImage(1000, 800);
    TDataGraph graph;
    graph.SetWidth(1000);
    graph.SetHeight(800);
    TTransformer2D transformer;
    transformer.SetMapping(TDoubleRect(0, 100, 100, 1000), TRect{0, 0, 1000, 800});
    TMarkerDefinition marker;
    marker.SetMarkerBrush(QBrush(Qt::red));
    TCanvas canvas(image);
    for (auto _ : state)
        graph.DrawSeries(canvas, points, marker, transformer);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SeriesWithMarkers)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FullPass(benchmark::State &state)
{
    TGraphDefinition d;
    d.SetWidth(1120);
    d.SetHeight(800);
    d.SetLabelDimension(gsLeft, 35);
    d.SetLabelDimension(gsRight, 35);
    d.SetLabelDimension(gsBottom, 50);
    d.SetTitleDimension(gsTop, 50);
    d.SetTitleDimension(gsLeft, 30);
    d.SetTitleDimension(gsRight, 45);
    const TDoubleRect range(0, 100, 100, 1000);
    auto pressure = std::make_unique<TAxisDefinition>();
    pressure->SetSide(gsLeft);
    pressure->SetRange(range);
    pressure->SetLabelOffset(10);
    for (int p = 100; p <= 1000; p += 100) {
        pressure->AddGridline(p);
        pressure->AddLabel(FormatFixed(p, 0), p);
    }
    d.AddIndependentAxis(std::move(pressure));
    for (int a = 0; a < 2; ++a) {
        auto axis = std::make_unique<TAxisDefinition>();
        axis->SetSide(a == 0 ? gsBottom : gsTop);
        axis->SetRange(range);
        axis->SetLabelOffset(10);
        axis->SetCaption(a == 0 ? "A" : "C");
        axis->SetCaptionPosition(40);
        for (int v = 0; v <= 100; v += 10) {
            if (a == 0)
                axis->AddGridline(v);
            axis->AddLabel(FormatFixed(v, 1), v);
        }
        d.AddDependentAxis(std::move(axis));
    }
    TDataPointLists lists;
    for (int s = 0; s < 10; ++s) {
        auto series = std::make_unique<TSeriesDefinition>();
        series->SetRange(range);
        series->Marker().SetShape(TDataMarker(s % 3));
        series->Marker().SetMarkerBrush(QBrush(QColor::fromHsv(s * 36, 255, 255)));
        d.AddSeries(std::move(series));
        auto cell = std::make_unique<TLegendCellDefinition>();
        cell->SetText(QStringLiteral("A Channel %1").arg(s + 1));
        cell->SetVisible(true);
        d.Legend().AddCell(std::move(cell));
        lists.push_back(Trace(10000, s * 4.0));
    }
    TLegendDefinition &legend = d.Legend();
    legend.SetTop(70), legend.SetWidth(120), legend.SetRowHeight(30);
    legend.SetMarkerX(10), legend.SetMarkerY(10), legend.SetTextX(40);
    d.SetLegendVisible(true);

    TGraphContext context;
    QImage image = NewGraphImage(d.Width(), d.Height());
    for (auto _ : state) {
        TCanvas canvas(image);
        context.Draw(canvas, d, lists);
    }
}
BENCHMARK(BM_FullPass)->Unit(benchmark::kMillisecond);

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
