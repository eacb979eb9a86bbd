#pragma once
// The Time graph: the ten sonde channels against minutes since the first
// plotted packet. Time runs along the bottom; the value axes stand at the
// left (A) and right (B, and C in a second column further out). Linear in
// both directions, drawn by the base pass.
#include "graphs/GraphContext.h"
#include "graphs/TimeGraphParameters.h"
#include "pipeline/DataParameters.h"
#include "pipeline/Graph.h"

class TTimeGraphDefinition : public TGraphDefinition
{
  public:
    // The fixed layout: bands, titles, the time axis, value axes A, B and C,
    // ten series with a legend cell each.
    TTimeGraphDefinition();

    const TAxisDefinition &TimeAxis() const { return GetAnyAxis(1); }
    TAxisDefinition &TimeAxis() { return GetAnyAxis(1); }

    // Size, ranges, labels, gridlines and visibility of the axes and the
    // series, from the parameters. Every setting is checked before anything
    // changes: a refusal leaves the definition as it was.
    void BuildFromParameters(const TTimeGraphParameters &parameters);
};

class TTimeGraph : public TGraph
{
  public:
    TTimeGraph();

    // Rebuilds the graph from scratch: layout, every packet of the buffer
    // (the time origin moves to the first of them) and legend. When the
    // parameters are refused nothing changes.
    void ApplyParameters(const TDataParameters &dataParameters,
                         const TTimeGraphParameters &parameters, const TDataPacketList &packets);
    // Every packet adds a point to each of the ten series, valid or not.
    void AddData(const TDataPacketList &packets, int32_t first) override;
    void Clear() override;
    void Redraw() override;
    std::unique_ptr<QImage> CreatePrintImage() override;
    // Legend row i: the letter of channel i's value axis and its type's
    // name; shown for every channel in use, pressure included.
    void UpdateLegend(const TDataParameters &dataParameters,
                      const TTimeGraphParameters &parameters);

    const TTimeGraphDefinition &Screen() const
    {
        return static_cast<const TTimeGraphDefinition &>(ScreenDefinition());
    }
    TTimeGraphDefinition &Screen()
    {
        return static_cast<TTimeGraphDefinition &>(ScreenDefinition());
    }
    TGraphContext &Context() { return FContext; }
    const TDataPointLists &PointLists() const { return FPointLists; }
    // The time of the first plotted packet (days); 0 until one is known.
    double StartTime() const { return FStartTime; }

  private:
    TGraphContext FContext;
    TDataPointLists FPointLists;
    double FStartTime = 0.0;
};
