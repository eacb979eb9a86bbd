#pragma once
// The Standard graph: up to ten sonde channels against pressure. Pressure
// runs down a logarithmic axis at the left (smallest at the top), an optional
// altitude axis at the right carries the altitude computed at every pressure
// gridline, and three value axes carry the channel values: A and B below the
// plot, C above it. Channel i is series i, drawn against the value axis the
// user gave it.
#include "graphs/GraphContext.h"
#include "graphs/StandardGraphParameters.h"
#include "pipeline/DataParameters.h"
#include "pipeline/Graph.h"
#include "pipeline/GraphWithCalculatedAltitudesDefinition.h"

class TStandardGraphDefinition : public TGraphWithCalculatedAltitudesDefinition
{
  public:
    // The fixed layout: bands, titles, the pressure and altitude axes, value
    // axes A, B and C, ten series with a legend cell each.
    TStandardGraphDefinition();

    // The second independent axis.
    const TAxisDefinition &AltitudeAxis() const override;
    using TGraphWithCalculatedAltitudesDefinition::AltitudeAxis;
    const TAxisDefinition &PressureAxis() const { return GetAnyAxis(1); }
    TAxisDefinition &PressureAxis() { return GetAnyAxis(1); }

    // Sizes, ranges, labels, gridlines and visibility of the axes, the unit
    // title, the right title band and the series, from the parameters. Every
    // setting is checked before anything changes: a refusal (the parameters'
    // exceptions, or the dimension rule for the size) leaves the definition
    // as it was.
    void BuildFromParameters(const TStandardGraphParameters &parameters, TLengthUnit unit);
};

// The base pass through a log-pressure transformer.
class TStandardGraphContext : public TGraphContext
{
  public:
    TStandardGraphContext();
};

class TStandardGraph : public TGraph
{
  public:
    TStandardGraph();

    // Rebuilds the graph from scratch: layout, every packet of the buffer,
    // altitude labels and legend. When the parameters are refused nothing
    // changes and the graph keeps drawing as before.
    void ApplyParameters(const TDataParameters &dataParameters,
                         const TStandardGraphParameters &parameters, const TDataPacketList &packets,
                         TLengthUnit unit);
    // Packets with a valid pressure add a point to each of the ten series.
    void AddData(const TDataPacketList &packets, int32_t first) override;
    void Clear() override;
    void Redraw() override;
    std::unique_ptr<QImage> CreatePrintImage() override;
    // Legend row i: the letter of channel i's value axis and its type's name;
    // hidden for channels not in use and for the primary pressure channel,
    // which is the vertical axis.
    void UpdateLegend(const TDataParameters &dataParameters,
                      const TStandardGraphParameters &parameters);

    const TStandardGraphDefinition &Screen() const
    {
        return static_cast<const TStandardGraphDefinition &>(ScreenDefinition());
    }
    TStandardGraphDefinition &Screen()
    {
        return static_cast<TStandardGraphDefinition &>(ScreenDefinition());
    }
    TStandardGraphContext &Context() { return FContext; }
    // List i - 1 holds the points of series i, in arrival order.
    const TDataPointLists &PointLists() const { return FPointLists; }

  private:
    TStandardGraphContext FContext;
    TDataPointLists FPointLists;
};
