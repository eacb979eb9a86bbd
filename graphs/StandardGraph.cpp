#include "graphs/StandardGraph.h"

#include "foundation/CustomUtilities.h"
#include "graphs/GraphKindLayout.h"
#include "graphs/Transformers.h"

// ---------------------------------------------------------------- TStandardGraphDefinition

TStandardGraphDefinition::TStandardGraphDefinition()
{
    SetLayoutBands(*this, 200, 200, {35, 35, 0, 50}, {30, 45, 50, 0});
    SetLegendLayout(Legend());
    SetLegendVisible(false);
    AddTitle(NewTitle(QStringLiteral("meters"), gsRight, 10, 45));
    AddTitle(NewTitle(QStringLiteral("mbar"), gsLeft, 10, 45));
    AddTitle(NewTitle(QStringLiteral("Kestrin - Standard Graph"), gsTop, 70, 0, 20));
    AddIndependentAxis(NewAxis(gsLeft, 10));  // pressure
    AddIndependentAxis(NewAxis(gsRight, 10)); // altitude
    AddDependentAxis(NewAxis(gsBottom, 10, QStringLiteral("A"), 40));
    // B's labels stand in a second row under A's.
    AddDependentAxis(NewAxis(gsBottom, 25, QStringLiteral("B"), 40));
    AddDependentAxis(NewAxis(gsTop, 10, QStringLiteral("C"), 40));
    for (int32_t i = 1; i <= TValueAxesParameters::ChannelCount; ++i) {
        auto series = std::make_unique<TSeriesDefinition>();
        series->SetVisible(true);
        AddLegendCell(*this, series->Marker());
        AddSeries(std::move(series));
    }
    ResetAltitudes();
}

const TAxisDefinition &TStandardGraphDefinition::AltitudeAxis() const
{
    return GetAnyAxis(2);
}

void TStandardGraphDefinition::BuildFromParameters(const TStandardGraphParameters &parameters,
                                                   TLengthUnit unit)
{
    std::vector<double> valuePositions;
    const std::vector<double> pressures = parameters.CheckForBuild(valuePositions);
    ResizeForBuild(*this, parameters.Width(), parameters.Height(),
                   parameters.ShowAltitude() ? 45 : 0);

    TAxisDefinition &pressure = PressureAxis();
    pressure.ClearLabels();
    pressure.ClearGridlines();
    pressure.Range().Top = parameters.PressureMinimum();
    pressure.Range().Bottom = parameters.PressureMaximum();
    pressure.SetVisible(true);
    TAxisDefinition &altitude = AltitudeAxis();
    altitude.ClearLabels();
    altitude.Range().Top = parameters.PressureMinimum();
    altitude.Range().Bottom = parameters.PressureMaximum();
    altitude.SetVisible(parameters.ShowAltitude());
    GetTitle(1).SetText(unit == luFeet ? QStringLiteral("feet") : QStringLiteral("meters"));
    for (double x : pressures) {
        pressure.AddGridline(x);
        pressure.AddLabel(FormatFixed(x, 0), x);
        // Filled in with altitudes as packets arrive.
        altitude.AddLabel(QString(), x);
    }
    ResetAltitudes();
    SetLengthUnit(unit);

    BuildValueAxes(*this, parameters, valuePositions, voHorizontal);
    BuildValueSeries(*this, parameters, pressure, voHorizontal);
}

// ---------------------------------------------------------------- TStandardGraphContext

TStandardGraphContext::TStandardGraphContext()
{
    SetTransformer(std::make_unique<TLogPTransformer>());
}

// ---------------------------------------------------------------- TStandardGraph

TStandardGraph::TStandardGraph() : FPointLists(size_t(TValueAxesParameters::ChannelCount))
{
    SetDefinitions(std::make_unique<TStandardGraphDefinition>(),
                   std::make_unique<TStandardGraphDefinition>());
    Clear();
}

void TStandardGraph::ApplyParameters(const TDataParameters &dataParameters,
                                     const TStandardGraphParameters &parameters,
                                     const TDataPacketList &packets, TLengthUnit unit)
{
    // The build refuses bad settings before it changes anything, so it runs
    // before the points are dropped; the result is the same as clearing
    // first, since the build starts the altitudes over as Clear does.
    Screen().BuildFromParameters(parameters, unit);
    Clear();
    AddData(packets, 0);
    UpdateLegend(dataParameters, parameters);
}

void TStandardGraph::AddData(const TDataPacketList &packets, int32_t first)
{
    Screen().CalculateAltitudeLabels(packets, first);
    const size_t start = size_t(std::max(first, 0));
    for (size_t k = start; k < packets.size(); ++k) {
        const TDataPacket &packet = packets[k];
        if (!packet.HasPressure())
            continue;
        for (int32_t i = 1; i <= TValueAxesParameters::ChannelCount; ++i)
            FPointLists[size_t(i - 1)].emplace_back(packet.Value(i), packet.Pressure());
    }
}

void TStandardGraph::Clear()
{
    Screen().ResetAltitudes();
    for (TDataPointList &list : FPointLists)
        list.clear();
}

void TStandardGraph::Redraw()
{
    DrawScreenImage(FContext, FPointLists);
}

std::unique_ptr<QImage> TStandardGraph::CreatePrintImage()
{
    return DrawPrintImage(FContext, FPointLists);
}

void TStandardGraph::UpdateLegend(const TDataParameters &dataParameters,
                                  const TStandardGraphParameters &parameters)
{
    const TKestrinResult &configuration = dataParameters.Configuration();
    const int32_t pressureChannel =
        configuration.HasPrimaryPressure() ? configuration.PrimaryPressureChannel() : 0;
    UpdateValueLegend(ScreenDefinition(), parameters, configuration, pressureChannel);
}
