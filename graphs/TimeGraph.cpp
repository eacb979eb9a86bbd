#include "graphs/TimeGraph.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/GraphKindLayout.h"

// ---------------------------------------------------------------- TTimeGraphDefinition

TTimeGraphDefinition::TTimeGraphDefinition()
{
    // Two label columns at the right: B, and C further out.
    SetLayoutBands(*this, 200, 200, {50, 100, 0, 25}, {0, 0, 40, 20});
    SetLegendLayout(Legend());
    SetLegendVisible(false);
    AddTitle(NewTitle(QStringLiteral("Kestrin - Time Graph"), gsTop, 70, 0, 20));
    AddTitle(NewTitle(QStringLiteral("Time (Min)"), gsBottom, 50, 0));
    AddIndependentAxis(NewAxis(gsBottom, 5));
    AddDependentAxis(NewAxis(gsLeft, 10, QStringLiteral("A"), 20));
    AddDependentAxis(NewAxis(gsRight, 10, QStringLiteral("B"), 20));
    AddDependentAxis(NewAxis(gsRight, 60, QStringLiteral("C"), 20));
    for (int32_t i = 1; i <= TValueAxesParameters::ChannelCount; ++i) {
        auto series = std::make_unique<TSeriesDefinition>();
        series->SetVisible(true);
        AddLegendCell(*this, series->Marker());
        AddSeries(std::move(series));
    }
}

void TTimeGraphDefinition::BuildFromParameters(const TTimeGraphParameters &parameters)
{
    std::vector<double> valuePositions;
    const std::vector<double> times = parameters.CheckForBuild(valuePositions);
    ResizeForBuild(*this, parameters.Width(), parameters.Height(), GetTitleDimension(gsRight));

    TAxisDefinition &time = TimeAxis();
    time.ClearLabels();
    time.ClearGridlines();
    time.Range().Left = parameters.TimeMinimum();
    time.Range().Right = parameters.TimeMaximum();
    time.SetVisible(true);
    for (double x : times) {
        time.AddGridline(x);
        time.AddLabel(FormatFixed(x, 0), x);
    }
    BuildValueAxes(*this, parameters, valuePositions, voVertical);
    BuildValueSeries(*this, parameters, time, voVertical);
}

// ---------------------------------------------------------------- TTimeGraph

TTimeGraph::TTimeGraph() : FPointLists(size_t(TValueAxesParameters::ChannelCount))
{
    SetDefinitions(std::make_unique<TTimeGraphDefinition>(),
                   std::make_unique<TTimeGraphDefinition>());
    Clear();
}

void TTimeGraph::ApplyParameters(const TDataParameters &dataParameters,
                                 const TTimeGraphParameters &parameters,
                                 const TDataPacketList &packets)
{
    // The build refuses bad settings before it changes anything, so it runs
    // before the points are dropped; the build does not touch them.
    Screen().BuildFromParameters(parameters);
    Clear();
    AddData(packets, 0);
    UpdateLegend(dataParameters, parameters);
}

void TTimeGraph::AddData(const TDataPacketList &packets, int32_t first)
{
    for (size_t k = size_t(std::max(first, 0)); k < packets.size(); ++k) {
        const TDataPacket &packet = packets[k];
        // A packet stamped 0 cannot be the origin; the next one is tried.
        if (!(FStartTime > 0))
            FStartTime = packet.Time();
        const double t = DaysToMinutes(packet.Time() - FStartTime);
        for (int32_t i = 1; i <= TValueAxesParameters::ChannelCount; ++i)
            FPointLists[size_t(i - 1)].emplace_back(t, packet.Value(i));
    }
}

void TTimeGraph::Clear()
{
    FStartTime = 0.0;
    for (TDataPointList &list : FPointLists)
        list.clear();
}

void TTimeGraph::Redraw()
{
    DrawScreenImage(FContext, FPointLists);
}

std::unique_ptr<QImage> TTimeGraph::CreatePrintImage()
{
    return DrawPrintImage(FContext, FPointLists);
}

void TTimeGraph::UpdateLegend(const TDataParameters &dataParameters,
                              const TTimeGraphParameters &parameters)
{
    UpdateValueLegend(ScreenDefinition(), parameters, dataParameters.Configuration(), 0);
}
