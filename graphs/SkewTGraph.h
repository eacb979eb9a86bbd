#pragma once
// The Skew-T log-P diagram: pressure down a logarithmic axis, temperature
// along isotherms slanted at 45 degrees, and three families of reference
// curves (dry adiabats, moist adiabats, lines of constant saturation mixing
// ratio) under the measured temperature and dewpoint traces. An optional
// altitude axis at the right carries altitudes computed at the isobars.
// Analysis overlays (parcel trace, standard atmosphere, a box of figures)
// are drawn when the parameters switch them on.
#include "graphs/GraphContext.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/SkewTOverlays.h"
#include "graphs/Transformers.h"
#include "pipeline/Graph.h"
#include "pipeline/GraphWithCalculatedAltitudesDefinition.h"

#include <functional>
#include <span>

class TSkewTGraphDefinition : public TGraphWithCalculatedAltitudesDefinition
{
  public:
    // The fixed layout: bands, titles, pressure and altitude axes,
    // temperature and mixing-ratio axes, the five series (dry adiabats, moist
    // adiabats, mixing-ratio lines, temperature, dewpoint) and two legend rows.
    TSkewTGraphDefinition();

    // The second independent axis.
    const TAxisDefinition &AltitudeAxis() const override;
    using TGraphWithCalculatedAltitudesDefinition::AltitudeAxis;
    const TAxisDefinition &PressureAxis() const { return GetIndependentAxis(1); }
    TAxisDefinition &PressureAxis() { return GetIndependentAxis(1); }
    const TAxisDefinition &TemperatureAxis() const { return GetDependentAxis(1); }
    TAxisDefinition &TemperatureAxis() { return GetDependentAxis(1); }
    // Labels only; they are added with the mixing-ratio lines.
    const TAxisDefinition &MixingRatioAxis() const { return GetDependentAxis(2); }
    TAxisDefinition &MixingRatioAxis() { return GetDependentAxis(2); }

    // Size, ranges, gridlines and labels, the unit title, the right title
    // band and the trace markers. The parameters are checked first: a
    // refusal leaves the definition as it was.
    void BuildFromParameters(const TSkewTGraphParameters &parameters, TLengthUnit unit);
};

// The curves each series draws: seriesCurves[i - 1] for series i.
using TSeriesCurves = std::vector<std::span<const TDataPointList>>;

// The Skew-T pass: isobars and labels through the log-pressure transformer,
// isotherms and every series through the skew transformer, the frame drawn
// with the pressure axis's pen.
class TSkewTGraphContext : public TGraphContext
{
  public:
    TSkewTGraphContext();

    TSkewTTransformer &SkewTransformer() { return FSkewTransformer; }

    // The pass with one curve per series.
    void Draw(TCanvas &canvas, const TGraphDefinition &definition,
              const TDataPointLists &pointLists) override;
    // The pass with any number of curves per series. Fewer entries than
    // series raise EListIndexError before anything is drawn. The analysis
    // box, then the overlay curves go over the reference curves and under the
    // measured traces (series 4 on), so that nothing of the sounding is
    // hidden; the print legend gets a row for each overlay curve.
    void DrawCurves(TCanvas &canvas, const TGraphDefinition &definition,
                    const TSeriesCurves &seriesCurves, const TSkewTOverlays &overlays = {});
    // Through the skew transformer as the isotherms left it: every series is
    // placed by the temperature axis's range.
    void DrawSeries(TCanvas &canvas, const TSeriesDefinition &series,
                    const TDataPointList &points) override;

  private:
    void DrawOverlays(TCanvas &canvas, const TGraphDefinition &definition,
                      const TSkewTOverlays &overlays);
    void DrawOverlayLegend(TCanvas &canvas, const TGraphDefinition &definition,
                           const TSkewTOverlays &overlays);

    TSkewTTransformer FSkewTransformer;
};

class TSkewTGraph : public TGraph
{
  public:
    TSkewTGraph();

    // Rebuilds the diagram: layout, reference curves, and every packet of the
    // buffer. When the parameters are refused nothing changes.
    void ApplyParameters(const TSkewTGraphParameters &parameters, TLengthUnit unit,
                         const TDataPacketList &packets);
    // Packets with a valid pressure add their temperature and dewpoint, each
    // when valid. With the parcel or the box on, the sounding analysis is run
    // again over all the packets.
    void AddData(const TDataPacketList &packets, int32_t first) override;
    // Drops the traces and the analysis; the reference curves stay until the
    // next computation.
    void Clear() override;
    void Redraw() override;
    std::unique_ptr<QImage> CreatePrintImage() override;

    // The reference curves from the graph's own parameters, each family
    // replacing its list. The mixing-ratio lines also label their axis.
    void CalculateDryAdiabats();
    void CalculateMoistAdiabats();
    void CalculateMixingRatioLines();

    const TSkewTGraphDefinition &Screen() const
    {
        return static_cast<const TSkewTGraphDefinition &>(ScreenDefinition());
    }
    TSkewTGraphDefinition &Screen()
    {
        return static_cast<TSkewTGraphDefinition &>(ScreenDefinition());
    }
    TSkewTGraphContext &Context() { return FContext; }
    // The last applied parameters.
    const TSkewTGraphParameters &Parameters() const { return FParameters; }
    // Points are (temperature in degC, pressure in mbar).
    const TDataPointLists &DryAdiabats() const { return FDryAdiabats; }
    const TDataPointLists &MoistAdiabats() const { return FMoistAdiabats; }
    const TDataPointLists &MixingRatioLines() const { return FMixingRatioLines; }
    const TDataPointList &TemperaturePoints() const { return FTemperature; }
    const TDataPointList &DewpointPoints() const { return FDewpoint; }
    // The overlays' data; each empty while its overlay is off.
    const TSoundingAnalysis &Analysis() const { return FAnalysis; }
    const TDataPointList &ParcelTracePoints() const { return FParcelTrace; }
    const TDataPointList &StandardAtmospherePoints() const { return FStandardAtmosphere; }
    const TAnalysisBoxRows &AnalysisRows() const { return FAnalysisRows; }

    // Where the overlays take the ascent from: the flight's, as the sounding
    // products take it. Unset, the ascent in the packets the graph is given.
    std::function<TSoundingProfile()> AscentSource;

  private:
    TSeriesCurves SeriesCurves() const;
    TSkewTOverlays Overlays() const;
    // The analysis of `packets` and what the overlays show of it.
    void UpdateAnalysis(const TDataPacketList &packets);

    TSkewTGraphContext FContext;
    TSkewTGraphParameters FParameters;
    TDataPointLists FDryAdiabats;
    TDataPointLists FMoistAdiabats;
    TDataPointLists FMixingRatioLines;
    TDataPointList FTemperature;
    TDataPointList FDewpoint;
    TLengthUnit FLengthUnit = luMeters;
    TSoundingAnalysis FAnalysis;
    TDataPointList FParcelTrace;
    TDataPointList FStandardAtmosphere;
    TAnalysisBoxRows FAnalysisRows;
};
