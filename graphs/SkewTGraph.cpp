#include "graphs/SkewTGraph.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/AxisSteps.h"
#include "graphs/GraphKindLayout.h"
#include "pipeline/PacketSounding.h"

#include <cmath>
#include <tuple>

namespace {

const QColor Navy(0, 0, 128);
const QColor Lime(0, 255, 0);
const QColor Red(255, 0, 0);

std::unique_ptr<TSeriesDefinition> NewCurveSeries(const QColor &colour, Qt::PenStyle style)
{
    auto series = std::make_unique<TSeriesDefinition>();
    series->Marker().LinePen().setColor(colour);
    series->Marker().LinePen().setStyle(style);
    series->Marker().SetShape(dmNone);
    return series;
}

// The saturation mixing ratios of the drawn lines, g/kg.
constexpr double MixingRatios[] = {0.1, 0.2, 0.6, 1, 2, 3, 5, 10, 20, 40};

// Series 1 to 3 are the reference curves; the measured traces follow.
constexpr int32_t ReferenceSeriesCount = 3;

// Points of the overlay curves, mbar apart.
constexpr double OverlayStep = 10.0;

TDataPointList ToDataPoints(const std::vector<TSoundingPoint> &points)
{
    TDataPointList list;
    list.reserve(points.size());
    for (const TSoundingPoint &point : points)
        list.emplace_back(point.Temperature, point.Pressure);
    return list;
}

} // namespace

// ---------------------------------------------------------------- TSkewTGraphDefinition

TSkewTGraphDefinition::TSkewTGraphDefinition()
{
    SetLayoutBands(*this, 200, 200, {35, 35, 0, 50}, {30, 45, 40, 0});
    SetLegendLayout(Legend());
    SetLegendVisible(false);
    AddTitle(NewTitle(QStringLiteral("meters"), gsRight, 10, 33));
    AddTitle(NewTitle(QStringLiteral("mbar"), gsLeft, 10, 33));
    AddTitle(NewTitle(QStringLiteral("Kestrin - SkewT"), gsTop, 70, 0, 20));

    auto pressure = NewAxis(gsLeft, 10);
    pressure->LabelFont().SetColor(Navy);
    pressure->Pen().setColor(Navy);
    AddIndependentAxis(std::move(pressure));
    AddIndependentAxis(NewAxis(gsRight, 10)); // altitude

    auto temperature = NewAxis(gsBottom, 5);
    temperature->LabelFont().SetColor(Red);
    temperature->Pen().setColor(Red);
    AddDependentAxis(std::move(temperature));
    // A second label row under the temperatures.
    auto mixingRatio = NewAxis(gsBottom, 20);
    mixingRatio->LabelFont().SetColor(Navy);
    AddDependentAxis(std::move(mixingRatio));

    AddSeries(NewCurveSeries(Lime, Qt::SolidLine));   // dry adiabats
    AddSeries(NewCurveSeries(Lime, Qt::DotLine));     // moist adiabats
    AddSeries(NewCurveSeries(Navy, Qt::DotLine));     // mixing-ratio lines
    AddSeries(std::make_unique<TSeriesDefinition>()); // temperature
    AddSeries(std::make_unique<TSeriesDefinition>()); // dewpoint
    AddLegendCell(*this, GetSeries(4).Marker(), QStringLiteral("Temperature"), true);
    AddLegendCell(*this, GetSeries(5).Marker(), QStringLiteral("Dewpoint"), true);
    ResetAltitudes();
}

const TAxisDefinition &TSkewTGraphDefinition::AltitudeAxis() const
{
    return GetIndependentAxis(2);
}

void TSkewTGraphDefinition::BuildFromParameters(const TSkewTGraphParameters &p, TLengthUnit unit)
{
    p.CheckForBuild();
    ResizeForBuild(*this, p.Width(), p.Height(), p.ShowAltitude() ? 45 : 0);
    const double pressureMinimum = p.PressureMinimum();
    const double pressureMaximum = p.PressureMaximum();
    const TDoubleRect range(p.TemperatureMinimum(), pressureMinimum, p.TemperatureMaximum(),
                            pressureMaximum);
    std::vector<double> values;

    TAxisDefinition &pressure = PressureAxis();
    pressure.ClearLabels();
    pressure.ClearGridlines();
    pressure.SetRange(range);
    AxisSteps(pressureMinimum, pressureMaximum, p.IsobarInterval(), values);
    for (double x : values)
        pressure.AddGridline(x);
    AxisSteps(pressureMinimum, pressureMaximum, p.PressureLabelInterval(), values);
    for (double x : values)
        pressure.AddLabel(FormatFixed(x, 0), x);

    TAxisDefinition &altitude = AltitudeAxis();
    altitude.ClearLabels();
    altitude.Range().Top = pressureMinimum;
    altitude.Range().Bottom = pressureMaximum;
    altitude.SetVisible(p.ShowAltitude());
    GetTitle(1).SetText(unit == luFeet ? QStringLiteral("feet") : QStringLiteral("meters"));
    // Filled in with altitudes as packets arrive.
    AxisSteps(pressureMinimum, pressureMaximum, p.IsobarInterval(), values);
    for (double v : values)
        altitude.AddLabel(QString(), v);
    ResetAltitudes();
    SetLengthUnit(unit);

    TAxisDefinition &temperature = TemperatureAxis();
    temperature.ClearLabels();
    temperature.ClearGridlines();
    temperature.SetRange(range);
    AxisSteps(p.IsothermMinimum(), p.IsothermMaximum(), p.IsothermInterval(), values);
    for (double t : values)
        temperature.AddGridline(t);
    AxisSteps(p.IsothermLabelMinimum(), p.IsothermLabelMaximum(), p.IsothermInterval(), values);
    for (double t : values)
        temperature.AddLabel(FormatFixed(t, 0), t);
    // The unit, at the right end of the usual range.
    temperature.AddLabel(QStringLiteral("C"), 50.0);

    TAxisDefinition &mixingRatio = MixingRatioAxis();
    mixingRatio.ClearLabels();
    mixingRatio.ClearGridlines();
    mixingRatio.SetRange(range);

    GetSeries(1).SetRange(range);
    GetSeries(4).Marker().Assign(p.TemperatureMarker());
    Legend().GetCell(1).Marker().Assign(p.TemperatureMarker());
    GetSeries(5).Marker().Assign(p.DewpointMarker());
    Legend().GetCell(2).Marker().Assign(p.DewpointMarker());
}

// ---------------------------------------------------------------- TSkewTGraphContext

TSkewTGraphContext::TSkewTGraphContext()
{
    SetTransformer(std::make_unique<TLogPTransformer>());
}

void TSkewTGraphContext::Draw(TCanvas &canvas, const TGraphDefinition &definition,
                              const TDataPointLists &pointLists)
{
    TSeriesCurves curves;
    for (const TDataPointList &list : pointLists)
        curves.emplace_back(&list, 1);
    DrawCurves(canvas, definition, curves);
}

void TSkewTGraphContext::DrawCurves(TCanvas &canvas, const TGraphDefinition &definition,
                                    const TSeriesCurves &seriesCurves,
                                    const TSkewTOverlays &overlays)
{
    if (seriesCurves.size() < size_t(definition.SeriesCount()))
        throw EListIndexError(
            QStringLiteral("List index out of bounds (%1)").arg(seriesCurves.size()));
    SizeDataGraph(definition);
    DataGraph().FillBackground(canvas, &definition.Brush());
    const TAxisDefinition &pressure = definition.GetIndependentAxis(1);
    const TAxisDefinition &temperature = definition.GetDependentAxis(1);
    DrawGridlines(canvas, pressure);
    // Isotherms: straight lines rising to the right at 45 degrees.
    FSkewTransformer.SetMapping(temperature.Range(), DeviceRect());
    for (double t : temperature.Gridlines())
        DataGraph().DrawLine(canvas, &temperature.Pen(), t, temperature.Range().Top, t,
                             temperature.Range().Bottom, FSkewTransformer);
    auto drawSeries = [&](int32_t from, int32_t to) {
        for (int32_t i = from; i <= to; ++i)
            for (const TDataPointList &curve : seriesCurves[size_t(i - 1)])
                DrawSeries(canvas, definition.GetSeries(i), curve);
    };
    const int32_t references = std::min(definition.SeriesCount(), ReferenceSeriesCount);
    drawSeries(1, references);
    DrawOverlays(canvas, definition, overlays);
    drawSeries(references + 1, definition.SeriesCount());
    DataGraph().FillMargins(canvas, &definition.Brush());
    DataGraph().DrawFrame(canvas, pressure.Pen());
    DrawLabels(canvas, pressure);
    DrawLabels(canvas, temperature);
    DrawLabels(canvas, definition.GetDependentAxis(2));
    DrawLabels(canvas, definition.GetIndependentAxis(2));
    DrawTitles(canvas, definition);
    if (definition.LegendVisible()) {
        DrawLegend(canvas, definition);
        DrawOverlayLegend(canvas, definition, overlays);
    }
}

void TSkewTGraphContext::DrawOverlays(TCanvas &canvas, const TGraphDefinition &definition,
                                      const TSkewTOverlays &overlays)
{
    const int32_t scale = definition.ScaleFactor();
    // The box covers reference lines only: in the stratosphere the
    // temperature runs into the top-right corner, and a curve of the sounding
    // crossing the figures reads better than one cut off.
    if (overlays.AnalysisBox)
        DrawAnalysisBox(canvas, DeviceRect(), *overlays.AnalysisBox, scale);
    if (overlays.StandardAtmosphere)
        DataGraph().DrawSeries(canvas, *overlays.StandardAtmosphere,
                               StandardAtmosphereMarker(scale), FSkewTransformer);
    if (overlays.ParcelTrace)
        DataGraph().DrawSeries(canvas, *overlays.ParcelTrace, ParcelTraceMarker(scale),
                               FSkewTransformer);
}

void TSkewTGraphContext::DrawOverlayLegend(TCanvas &canvas, const TGraphDefinition &definition,
                                           const TSkewTOverlays &overlays)
{
    const TLegendDefinition &legend = definition.Legend();
    // The rows after those of the visible cells, laid out as they are.
    int32_t row = 0;
    for (int32_t i = 1; i <= legend.CellCount(); ++i)
        row += legend.GetCell(i).Visible() ? 1 : 0;
    const int32_t left = CheckedSubtract(definition.Width(), legend.Width());
    const int32_t scale = definition.ScaleFactor();
    const TFont savedFont = canvas.Font();
    canvas.SetFont(legend.Font());
    for (const auto &[curve, marker, text] :
         {std::tuple(overlays.ParcelTrace, ParcelTraceMarker(scale), ParcelLegendText),
          std::tuple(overlays.StandardAtmosphere, StandardAtmosphereMarker(scale),
                     StandardAtmosphereLegendText)}) {
        if (!curve)
            continue;
        const int32_t y = CheckedAdd(legend.Top(), CheckedMultiply(row, legend.RowHeight()));
        marker.DrawLegendSample(
            canvas, QPoint(CheckedAdd(left, legend.MarkerX()), CheckedAdd(y, legend.MarkerY())));
        canvas.TextOut(CheckedAdd(left, legend.TextX()), CheckedAdd(y, legend.TextY()),
                       QLatin1String(text));
        ++row;
    }
    canvas.SetFont(savedFont);
}

void TSkewTGraphContext::DrawSeries(TCanvas &canvas, const TSeriesDefinition &series,
                                    const TDataPointList &points)
{
    if (!series.Visible())
        return;
    DataGraph().DrawSeries(canvas, points, series.Marker(), FSkewTransformer);
}

// ---------------------------------------------------------------- TSkewTGraph

TSkewTGraph::TSkewTGraph()
{
    SetDefinitions(std::make_unique<TSkewTGraphDefinition>(),
                   std::make_unique<TSkewTGraphDefinition>());
    Clear();
}

void TSkewTGraph::ApplyParameters(const TSkewTGraphParameters &parameters, TLengthUnit unit,
                                  const TDataPacketList &packets)
{
    // The build checks the parameters before it changes anything; building
    // from them before they are taken over gives the same layout as building
    // from the copy.
    Screen().BuildFromParameters(parameters, unit);
    FParameters.Assign(parameters);
    FLengthUnit = unit;
    Clear();
    AddData(packets, 0);
    CalculateDryAdiabats();
    CalculateMoistAdiabats();
    CalculateMixingRatioLines();
    FStandardAtmosphere.clear();
    if (FParameters.ShowStandardAtmosphere())
        FStandardAtmosphere = ToDataPoints(StandardAtmosphereCurve(
            FParameters.PressureMinimum(), FParameters.PressureMaximum(), OverlayStep));
}

void TSkewTGraph::AddData(const TDataPacketList &packets, int32_t first)
{
    Screen().CalculateAltitudeLabels(packets, first);
    for (size_t k = size_t(std::max(first, 0)); k < packets.size(); ++k) {
        const TDataPacket &packet = packets[k];
        if (!packet.HasPressure())
            continue;
        if (packet.HasTemperature())
            FTemperature.emplace_back(packet.Temperature(), packet.Pressure());
        if (packet.HasDewpoint())
            FDewpoint.emplace_back(packet.Dewpoint(), packet.Pressure());
    }
    if (FParameters.ShowParcel() || FParameters.ShowAnalysis())
        UpdateAnalysis(packets);
}

void TSkewTGraph::Clear()
{
    Screen().ResetAltitudes();
    FTemperature.clear();
    FDewpoint.clear();
    UpdateAnalysis({});
}

void TSkewTGraph::UpdateAnalysis(const TDataPacketList &packets)
{
    TSoundingAnalysisOptions options;
    options.ParcelTraceTop = FParameters.PressureMinimum();
    options.ParcelTraceStep = OverlayStep;
    FAnalysis = AscentSource && !packets.empty() ? AnalyseProfile(AscentSource(), options)
                                                 : AnalyseSounding(packets, options);
    FParcelTrace.clear();
    if (FParameters.ShowParcel())
        FParcelTrace = ToDataPoints(FAnalysis.ParcelTrace);
    FAnalysisRows.clear();
    if (FParameters.ShowAnalysis())
        FAnalysisRows = AnalysisBoxRows(FAnalysis, FLengthUnit);
}

TSeriesCurves TSkewTGraph::SeriesCurves() const
{
    return {FDryAdiabats, FMoistAdiabats, FMixingRatioLines, {&FTemperature, 1}, {&FDewpoint, 1}};
}

TSkewTOverlays TSkewTGraph::Overlays() const
{
    TSkewTOverlays overlays;
    if (FParameters.ShowParcel())
        overlays.ParcelTrace = &FParcelTrace;
    if (FParameters.ShowStandardAtmosphere())
        overlays.StandardAtmosphere = &FStandardAtmosphere;
    if (FParameters.ShowAnalysis())
        overlays.AnalysisBox = &FAnalysisRows;
    return overlays;
}

void TSkewTGraph::Redraw()
{
    const TSeriesCurves curves = SeriesCurves();
    const TSkewTOverlays overlays = Overlays();
    DrawScreenImage([&](TCanvas &canvas, const TGraphDefinition &definition) {
        FContext.DrawCurves(canvas, definition, curves, overlays);
    });
}

std::unique_ptr<QImage> TSkewTGraph::CreatePrintImage()
{
    const TSeriesCurves curves = SeriesCurves();
    const TSkewTOverlays overlays = Overlays();
    return DrawPrintImage([&](TCanvas &canvas, const TGraphDefinition &definition) {
        FContext.DrawCurves(canvas, definition, curves, overlays);
    });
}

void TSkewTGraph::CalculateDryAdiabats()
{
    FDryAdiabats.clear();
    const double pressureMinimum = FParameters.PressureMinimum();
    const double pressureMaximum = FParameters.PressureMaximum();
    const double last = CelsiusToKelvin(FParameters.AdiabatMaximum());
    for (double theta = CelsiusToKelvin(FParameters.AdiabatMinimum()); theta <= last; theta += 10) {
        TDataPointList &curve = FDryAdiabats.emplace_back();
        for (double p = pressureMinimum; p <= pressureMaximum; p += 50)
            curve.emplace_back(KelvinToCelsius(theta * std::pow(p / 1000, 0.286)), p);
    }
}

void TSkewTGraph::CalculateMoistAdiabats()
{
    FMoistAdiabats.clear();
    for (int n = 1; n <= 12; ++n) {
        // SI units: kelvin and pascal.
        double T = 10.0 * n + 233;
        double P = 100000;
        TDataPointList &curve = FMoistAdiabats.emplace_back();
        curve.reserve(171);
        curve.emplace_back(KelvinToCelsius(T), P / 100);
        for (int step = 0; step < 170; ++step) {
            const double L = 2500000 - 2338 * (T - 273.15); // latent heat
            const double Lm = 2500000 - 2338 * (T - 273.15) / 2;
            const double es = 610.8 * std::exp((1 / 273.15 - 1 / T) * Lm / 461.7);
            const double rs = 0.622 * es / (P - es);
            const double N =
                1 + rs + (L + 175.07 * T) * P * rs / (287 * T * (1 + 0.61 * rs) * (P - es));
            const double D = 1004 + 1848 * rs + 175.07 * rs +
                             (L + 175.07 * T) * P * rs * L / (461.7 * T * T * (P - es));
            const double dT = -500 * N / D * 287 * T * (1 + 0.61 * rs) / P;
            T = T + dT;
            P = P - 500;
            curve.emplace_back(KelvinToCelsius(T), P / 100);
        }
    }
}

void TSkewTGraph::CalculateMixingRatioLines()
{
    FMixingRatioLines.clear();
    TAxisDefinition &axis = Screen().MixingRatioAxis();
    axis.ClearLabels();
    const double pressureMinimum = FParameters.PressureMinimum();
    const double pressureMaximum = FParameters.PressureMaximum();
    for (double w : MixingRatios) {
        const double r = w / 1000;
        // The temperature at which air of this mixing ratio saturates at p.
        const auto saturation = [r](double p) {
            const double e = p * r / (0.622 + r);
            return KelvinToCelsius(1 / (1.0 / 273 - std::log(e / 6.11) / 5420));
        };
        // The line's value at its bottom end.
        axis.AddLabel(FormatFixed(w, 1), saturation(pressureMaximum));
        TDataPointList &curve = FMixingRatioLines.emplace_back();
        for (double p = pressureMaximum; p >= pressureMinimum; p -= 50)
            curve.emplace_back(saturation(p), p);
    }
    axis.AddLabel(QStringLiteral("g/kg"), 50.0);
}
