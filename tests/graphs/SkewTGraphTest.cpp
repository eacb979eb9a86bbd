#include "graphs/SkewTGraph.h"
#include "GraphKindsSupport.h"
#include "RecordedTexts.h"
#include "support/TestSupport.h"

#include <cmath>

namespace {

TSkewTGraphParameters Sized(int32_t width = 600, int32_t height = 450)
{
    TSkewTGraphParameters parameters;
    parameters.SetWidth(width);
    parameters.SetHeight(height);
    return parameters;
}

// The dry adiabat through (t degC, 1000 mbar) at pressure p.
double DryAdiabat(double t, double p)
{
    return KelvinToCelsius(CelsiusToKelvin(t) * std::pow(p / 1000, 0.286));
}

} // namespace

TEST(SkewTGraph, DefaultDiagram)
{
    LocaleGuard locale("C");
    TSkewTGraph graph;
    graph.ApplyParameters(TSkewTGraphParameters(), luMeters, {});
    const TSkewTGraphDefinition &d = graph.Screen();
    EXPECT_EQ(d.PressureAxis().GridlineCount(), 10);
    EXPECT_EQ(LabelTexts(d.PressureAxis()).join(' '), "100 200 300 400 500 600 700 800 900 1000");
    EXPECT_EQ(LabelValues(d.AltitudeAxis()), d.PressureAxis().Gridlines());
    EXPECT_EQ(d.TemperatureAxis().GridlineCount(), 25);
    EXPECT_EQ(d.TemperatureAxis().GetGridline(1), -200.0);
    EXPECT_EQ(d.TemperatureAxis().GetGridline(25), 40.0);
    EXPECT_EQ(LabelTexts(d.TemperatureAxis()).join(' '), "-40 -30 -20 -10 0 10 20 30 40 C");
    EXPECT_EQ(LabelTexts(d.MixingRatioAxis()).join(' '),
              "0.1 0.2 0.6 1.0 2.0 3.0 5.0 10.0 20.0 40.0 g/kg");
    EXPECT_EQ(d.TemperatureAxis().Range(), TDoubleRect(-50, 100, 50, 1050));

    ASSERT_EQ(graph.DryAdiabats().size(), 21u);
    for (const TDataPointList &curve : graph.DryAdiabats())
        ASSERT_EQ(curve.size(), 20u);
    ASSERT_EQ(graph.MoistAdiabats().size(), 12u);
    for (const TDataPointList &curve : graph.MoistAdiabats()) {
        ASSERT_EQ(curve.size(), 171u);
        EXPECT_NEAR(curve.front().Y, 1000.0, 1e-9);
        EXPECT_NEAR(curve.back().Y, 150.0, 1e-9);
    }
    ASSERT_EQ(graph.MixingRatioLines().size(), 10u);
    for (const TDataPointList &curve : graph.MixingRatioLines()) {
        ASSERT_EQ(curve.size(), 20u);
        EXPECT_EQ(curve.front().Y, 1050.0); // the line's label stands at this end
        EXPECT_EQ(curve.back().Y, 100.0);
    }
    // Worked by hand at 1050 mbar, where the labels stand: 0.1 g/kg saturates
    // at 231.20 K, 40 g/kg at 309.48 K.
    EXPECT_NEAR(graph.MixingRatioLines().front().front().X, -41.95, 0.01);
    EXPECT_NEAR(d.MixingRatioAxis().GetLabel(10).Value(), 36.33, 0.01);
}

TEST(SkewTGraph, ReferenceCurves)
{
    TSkewTGraph graph;
    graph.ApplyParameters(TSkewTGraphParameters(), luMeters, {});
    // theta = 273.15 K is the eleventh adiabat; it passes through 0 degC at
    // 1000 mbar (the nineteenth point).
    const TDataPointList &zero = graph.DryAdiabats()[10];
    EXPECT_EQ(zero[18].Y, 1000.0);
    EXPECT_NEAR(zero[18].X, 0.0, 1e-9);
    EXPECT_NEAR(zero[8].X, KelvinToCelsius(273.15 * std::pow(0.5, 0.286)), 1e-9);
    EXPECT_NEAR(graph.DryAdiabats().front()[0].X, KelvinToCelsius(173.15 * std::pow(0.1, 0.286)),
                1e-9);

    // The moist adiabat from 293 K starts at 19.85 degC and cools with height,
    // more slowly than the dry adiabat through the same point.
    const TDataPointList &moist = graph.MoistAdiabats()[5];
    EXPECT_NEAR(moist[0].X, 19.85, 1e-9);
    for (size_t k = 1; k < moist.size(); ++k) {
        EXPECT_LT(moist[k].X, moist[k - 1].X) << k;
        EXPECT_GT(moist[k].X, DryAdiabat(19.85, moist[k].Y)) << k;
    }
    // Worked step by step: 13.78 degC at 850 mbar, where the dry adiabat is at
    // 6.5 degC.
    EXPECT_NEAR(moist[30].Y, 850.0, 1e-9);
    EXPECT_NEAR(moist[30].X, 13.78, 0.01);
}

// The layout of a 600 x 450 diagram, from a recorded pass with text 6
// pixels a character and 13 high: plot area (65, 40, 519, 399).
TEST(SkewTGraph, LayoutPixelsAndDrawingOrder)
{
    LocaleGuard locale("C");
    TSkewTGraph graph;
    TSkewTGraphParameters parameters = Sized();
    StartupMarkers(parameters);
    TDataPacket packet;
    packet.SetPressure(1050);
    packet.SetTemperature(0);
    packet.SetDewpoint(-10);
    graph.ApplyParameters(parameters, luMeters, {packet});
    TRecordingCanvas canvas;
    const TSeriesCurves curves = {graph.DryAdiabats(),
                                  graph.MoistAdiabats(),
                                  graph.MixingRatioLines(),
                                  {&graph.TemperaturePoints(), 1},
                                  {&graph.DewpointPoints(), 1}};
    graph.Context().DrawCurves(canvas, graph.ScreenDefinition(), curves);
    EXPECT_EQ(graph.Context().DeviceRect(), (TRect{65, 40, 519, 399}));

    const QColor navy(0, 0, 128), red(255, 0, 0);
    const auto lines = canvas.OfKind("LineTo");
    ASSERT_EQ(lines.size(), 10u + 25u + 4u);
    for (size_t i = 0; i < 10; ++i) // isobars first
        EXPECT_EQ(lines[i].Pen.color(), navy);
    // The isotherm of 0 degC rises at 45 degrees from the bottom edge, where
    // the skew is zero, to the top edge 359 pixels further right.
    EXPECT_EQ(lines[10 + 20].Points, (std::vector<QPoint>{{651, 40}, {292, 399}}));
    EXPECT_EQ(lines[10 + 20].Pen.color(), red);
    // The frame, after the margins, in the pressure axis's pen.
    EXPECT_EQ(lines[35].Points, (std::vector<QPoint>{{65, 40}, {519, 40}}));
    EXPECT_EQ(lines[38].Points, (std::vector<QPoint>{{65, 399}, {65, 40}}));
    EXPECT_EQ(lines[38].Pen.color(), navy);

    const auto polylines = canvas.OfKind("Polyline");
    ASSERT_EQ(polylines.size(), 21u + 12u + 10u + 2u);
    EXPECT_EQ(polylines[43].Points, (std::vector<QPoint>{{292, 399}})); // temperature
    EXPECT_EQ(polylines[44].Points, (std::vector<QPoint>{{247, 399}})); // dewpoint

    const auto texts = TextOrigins(canvas);
    EXPECT_EQ(texts.at("100"), QPoint(37, 34));
    EXPECT_EQ(texts.at("1000"), QPoint(31, 386)); // y 392 on the log scale
    EXPECT_EQ(texts.at("-40"), QPoint(101, 405)); // under the foot of its isotherm
    EXPECT_EQ(texts.at("C"), QPoint(516, 405));
    EXPECT_EQ(texts.at("g/kg"), QPoint(507, 420)); // the second row
    EXPECT_EQ(texts.at("meters"), QPoint(565, 33));
    EXPECT_EQ(texts.at("mbar"), QPoint(10, 33));
    EXPECT_EQ(texts.at("Kestrin - SkewT"), QPoint(70, 0));
}

TEST(SkewTGraph, TracesAndAltitudes)
{
    TSkewTGraph graph;
    TSkewTGraphParameters parameters;
    parameters.SetShowAltitude(false);
    TDataPacketList packets = SyntheticAscent(20);
    TDataPacket noDewpoint;
    noDewpoint.SetPressure(700);
    noDewpoint.SetTemperature(5);
    TDataPacket noPressure;
    noPressure.SetTemperature(5);
    noPressure.SetDewpoint(1);
    const TDataPacketList extra = {noDewpoint, noPressure};
    graph.ApplyParameters(parameters, luFeet, extra);
    EXPECT_EQ(graph.TemperaturePoints().size(), 1u);
    EXPECT_TRUE(graph.DewpointPoints().empty());

    graph.ApplyParameters(parameters, luFeet, {});
    EXPECT_FALSE(graph.Screen().AltitudeAxis().Visible());
    EXPECT_EQ(graph.Screen().GetTitleDimension(gsRight), 0);
    EXPECT_EQ(graph.Screen().GetTitle(1).Text(), "feet");
    // New packets update the altitude labels as they arrive, hidden or not.
    TDataPacketList growing(packets.begin(), packets.begin() + 2);
    graph.AddData(growing, 0);
    EXPECT_EQ(graph.Screen().AltitudeAxis().GetLabel(10).Text(), "394"); // 120 m
    EXPECT_EQ(graph.Screen().AltitudeAxis().GetLabel(9).Text(), "");
    growing.insert(growing.end(), packets.begin() + 2, packets.begin() + 6);
    graph.AddData(growing, 2);
    EXPECT_NE(graph.Screen().AltitudeAxis().GetLabel(9).Text(), "");
    EXPECT_EQ(graph.TemperaturePoints().size(), 6u);
    EXPECT_EQ(graph.DewpointPoints().size(), 6u);
    // Clearing drops the traces and keeps the reference curves.
    graph.Clear();
    EXPECT_TRUE(graph.TemperaturePoints().empty());
    EXPECT_EQ(graph.DryAdiabats().size(), 21u);
}

// The integer ranges keep their defaults in the program; values no diagram
// can be drawn from are refused before anything changes.
TEST(SkewTGraph, UnusableRangesAreRefused)
{
    TSkewTGraph graph;
    graph.ApplyParameters(Sized(300, 250), luMeters, SyntheticAscent(10));
    graph.Redraw();
    const QImage before = graph.Bitmap();

    TSkewTGraphParameters p = Sized();
    p.SetIsobarInterval(0);
    EXPECT_EQ(
        MessageOf<ESkewTGraphParametersValueError>([&] { graph.ApplyParameters(p, luFeet, {}); }),
        "SkewT:BuildFromParameters: IsobarInterval(0) <= 0");
    p = Sized();
    p.SetPressureMinimum(0);
    EXPECT_EQ(
        MessageOf<ESkewTGraphParametersValueError>([&] { graph.ApplyParameters(p, luFeet, {}); }),
        "SkewT:BuildFromParameters: PressureMinimum(0) must be > 0");
    p = Sized();
    p.SetTemperatureMaximum(-50);
    EXPECT_EQ(
        MessageOf<ESkewTGraphParametersRangeError>([&] { graph.ApplyParameters(p, luFeet, {}); }),
        "SkewT:BuildFromParameters: TemperatureMinimum(-50) >= TemperatureMaximum(-50)");
    p = Sized();
    p.SetAdiabatMaximum(2000000000);
    EXPECT_EQ(
        MessageOf<ESkewTGraphParametersValueError>([&] { graph.ApplyParameters(p, luFeet, {}); }),
        "SkewT:BuildFromParameters: Dry adiabats from -100 to 2000000000 in steps of 10 "
        "would be more than 1000");

    EXPECT_EQ(graph.Parameters(), Sized(300, 250));
    EXPECT_EQ(graph.TemperaturePoints().size(), 10u);
    graph.Redraw();
    EXPECT_EQ(graph.Bitmap(), before);
}
