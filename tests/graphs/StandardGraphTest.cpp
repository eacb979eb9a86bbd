#include "graphs/StandardGraph.h"
#include "GraphKindsSupport.h"
#include "RecordedTexts.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/TimeGraph.h"
#include "support/TestSupport.h"

namespace {

TStandardGraphParameters Sized(int32_t width = 600, int32_t height = 450)
{
    TStandardGraphParameters parameters;
    parameters.SetWidth(width);
    parameters.SetHeight(height);
    return parameters;
}

} // namespace

TEST(StandardGraph, DefaultLabelsAndGridlines)
{
    LocaleGuard locale("C");
    TStandardGraphDefinition d;
    d.BuildFromParameters(TStandardGraphParameters(), luMeters);
    const TAxisDefinition &pressure = d.PressureAxis();
    EXPECT_EQ(LabelTexts(pressure).join(' '), "100 200 300 400 500 600 700 800 900 1000");
    EXPECT_EQ(pressure.Gridlines(),
              (std::vector<double>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(LabelValues(d.AltitudeAxis()), pressure.Gridlines());
    EXPECT_EQ(LabelTexts(d.AltitudeAxis()).join(""), "");
    const TAxisDefinition &a = d.GetDependentAxis(1);
    ASSERT_EQ(a.GridlineCount(), 11);
    EXPECT_EQ(a.GetGridline(11), 100.0);
    EXPECT_EQ(LabelTexts(a).join(' '), "0.0 10.0 20.0 30.0 40.0 50.0 60.0 70.0 80.0 90.0 100.0");
    // B and C read their own scale at A's gridlines.
    EXPECT_EQ(LabelTexts(d.GetDependentAxis(2)).join(' '),
              "0.0 100.0 200.0 300.0 400.0 500.0 600.0 700.0 800.0 900.0 1000.0");
    EXPECT_EQ(LabelTexts(d.GetDependentAxis(3)).join(' '),
              "0.0 1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0");
    EXPECT_EQ(d.GetDependentAxis(2).GridlineCount(), 0);
    EXPECT_EQ(d.GetSeries(7).Range(), TDoubleRect(0, 100, 100, 1000));
    EXPECT_EQ(d.GetTitle(1).Text(), "meters");
    d.BuildFromParameters(TStandardGraphParameters(), luFeet);
    EXPECT_EQ(d.GetTitle(1).Text(), "feet");
    EXPECT_EQ(d.LengthUnit(), luFeet);
}

// The layout of a 600 x 450 graph, read from a recorded pass with text 6
// pixels a character and 13 high: plot area (65, 50, 519, 399).
TEST(StandardGraph, LayoutPixels)
{
    LocaleGuard locale("C");
    TStandardGraph graph;
    TStandardGraphParameters parameters = Sized();
    parameters.SetSeriesAxis(2, 2);
    TDataPacket packet;
    packet.SetPressure(500);
    packet.SetValue(1, 50);
    packet.SetValue(2, 260);
    graph.ApplyParameters(AscentDataParameters(), parameters, {packet, packet}, luMeters);
    TRecordingCanvas canvas;
    graph.Context().Draw(canvas, graph.ScreenDefinition(), graph.PointLists());
    EXPECT_EQ(graph.Context().DeviceRect(), (TRect{65, 50, 519, 399}));

    const auto texts = TextOrigins(canvas);
    EXPECT_EQ(texts.at("100"), QPoint(37, 44));     // right-aligned at 65 - 10, centred on y 50
    EXPECT_EQ(texts.at("1000"), QPoint(31, 393));   // y 399
    EXPECT_EQ(texts.at("0.0"), QPoint(56, 410));    // A's labels come before B's and C's
    EXPECT_EQ(texts.at("50.0"), QPoint(280, 410));  // A: x 292 (65 + 454 / 2)
    EXPECT_EQ(texts.at("500.0"), QPoint(277, 425)); // B: a second row under A's
    EXPECT_EQ(texts.at("5.0"), QPoint(283, 27));    // C: above the plot
    EXPECT_EQ(texts.at("A"), QPoint(40, 410));
    EXPECT_EQ(texts.at("B"), QPoint(40, 425));
    EXPECT_EQ(texts.at("C"), QPoint(40, 27));
    EXPECT_EQ(texts.at("meters"), QPoint(565, 45));
    EXPECT_EQ(texts.at("mbar"), QPoint(10, 45));
    EXPECT_EQ(texts.at("Kestrin - Standard Graph"), QPoint(70, 0));
    EXPECT_EQ(canvas.OfKind("TextOut").size(), 10u + 10u + 33u + 3u + 3u);

    // Pressure 500 lies at y 294 (log scale); series 1 on A at x 292, series
    // 2 on B (0 .. 1000) at x 183.
    const auto lines = canvas.OfKind("Polyline");
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].Points, (std::vector<QPoint>{{292, 294}}));
    EXPECT_EQ(lines[1].Points, (std::vector<QPoint>{{183, 294}}));

    // Without the altitude axis the plot is 45 pixels wider and the altitude
    // labels are not drawn.
    parameters.SetShowAltitude(false);
    graph.ApplyParameters(AscentDataParameters(), parameters, {}, luMeters);
    canvas.Ops.clear();
    graph.Context().Draw(canvas, graph.ScreenDefinition(), graph.PointLists());
    EXPECT_EQ(graph.Context().DeviceRect(), (TRect{65, 50, 564, 399}));
    EXPECT_EQ(canvas.OfKind("TextOut").size(), 10u + 33u + 3u + 3u);
}

TEST(StandardGraph, SetterChecksAndMessages)
{
    LocaleGuard locale("C");
    TStandardGraphParameters p;
    using EIndex = EStandardGraphParametersIndexError;
    using ERange = EStandardGraphParametersRangeError;
    using EValue = EStandardGraphParametersValueError;
    EXPECT_EQ(MessageOf<ERange>([&] { p.SetPressureAxis(1000, 100); }),
              "Std:SetPressureAxis: Min(1000.0) >= Max(100.0)");
    EXPECT_EQ(MessageOf<EValue>([&] { p.SetPressureAxis(0, 500); }),
              "Std:SetPressureAxis: Min(0.0) must be > 0");
    EXPECT_EQ(MessageOf<ERange>([&] { p.SetPressureAxis(500, 500); }),
              "Std:SetPressureAxis: Min(500.0) >= Max(500.0)");
    EXPECT_EQ(MessageOf<EValue>([&] { p.SetDependentAxis(std::nan("")); }),
              "Std:SetDependentAxis: Interval(NAN) <= 0");
    EXPECT_EQ(MessageOf<ERange>([&] { p.SetDependentAxis(2, 7, 3); }),
              "Std:SetDependentAxis: Axis 2: Min(7.0) >= Max(3.0)");
    EXPECT_EQ(MessageOf<EIndex>([&] { p.SetDependentAxis(4, 1, 2); }),
              "Std:SetDependentAxis: Axis index 4 is out of range");
    EXPECT_EQ(MessageOf<EIndex>([&] { p.SetDependentAxisShown(1, false); }),
              "Std:SetDependentAxisShown: Axis index 1 is out of range");
    EXPECT_EQ(MessageOf<EIndex>([&] { p.GetDataMarker(11); }),
              "Std:GetDataMarker: Marker index 11 is out of range");
    EXPECT_TRUE(p.GetDependentAxisShown(1));
    // Refusals change nothing.
    EXPECT_EQ(p, TStandardGraphParameters());
    EXPECT_NO_THROW(p.SetSeriesAxis(3, 7)); // not checked until the next build

    LocaleGuard comma("de_DE.UTF-8");
    EXPECT_EQ(MessageOf<ERange>([&] { p.SetPressureAxis(1000.25, 100); }),
              "Std:SetPressureAxis: Min(1000,3) >= Max(100,0)");

    EXPECT_EQ(MessageOf<EGraphAssignmentError>([&] { p.Assign(TSkewTGraphParameters()); }),
              "Cannot assign TSkewTGraphParameters to TStandardGraphParameters");
}

TEST(StandardGraph, LegendHidesUnusedChannelsAndThePressureAxis)
{
    const auto shown = [](const TGraph &graph) {
        QString flags;
        for (int32_t i = 1; i <= 10; ++i)
            flags += graph.ScreenDefinition().Legend().GetCell(i).Visible() ? '1' : '0';
        return flags;
    };
    TStandardGraph graph;
    TStandardGraphParameters parameters;
    parameters.SetSeriesAxis(3, 3);
    graph.ApplyParameters(AscentDataParameters(), parameters, {}, luMeters);
    const TLegendDefinition &legend = graph.ScreenDefinition().Legend();
    EXPECT_EQ(legend.GetCell(1).Text(), "A Temperature");
    EXPECT_EQ(legend.GetCell(3).Text(), "C Humidity");
    EXPECT_EQ(legend.GetCell(9).Text(), "A Unavailable");
    // Channel 2 is the primary pressure channel: the vertical axis here, a
    // plotted value in the Time graph.
    EXPECT_EQ(shown(graph), "1011000100");
    TTimeGraph time;
    time.ApplyParameters(AscentDataParameters(), TTimeGraphParameters(), {});
    EXPECT_EQ(shown(time), "1111000100");
}

TEST(StandardGraph, PointsComeFromPacketsWithAValidPressure)
{
    TStandardGraph graph;
    TDataPacketList packets = SyntheticAscent(6);
    packets[2] = TDataPacket(); // no pressure
    packets[2].SetValue(1, 12.0);
    graph.ApplyParameters(AscentDataParameters(), TStandardGraphParameters(), packets, luMeters);
    for (const TDataPointList &list : graph.PointLists())
        EXPECT_EQ(list.size(), 5u); // every channel, used or not
    EXPECT_EQ(graph.PointLists()[7][2].X, packets[3].Value(8));
    EXPECT_EQ(graph.PointLists()[7][2].Y, packets[3].Pressure());

    packets.push_back(SyntheticAscent(8)[7]);
    graph.AddData(packets, 6);
    EXPECT_EQ(graph.PointLists()[0].size(), 6u);
    // The altitude labels follow the packets: the launch at 1000 mbar, nothing
    // above the highest packet.
    EXPECT_EQ(graph.Screen().AltitudeAxis().GetLabel(10).Text(), "120");
    EXPECT_EQ(graph.Screen().AltitudeAxis().GetLabel(1).Text(), "");
    graph.Clear();
    EXPECT_TRUE(graph.PointLists()[0].empty());
    EXPECT_FALSE(graph.Screen().LastPacket().has_value());
}

// Settings a file can carry but no drawing can use are refused before the
// graph changes: it keeps its layout, points and image.
TEST(StandardGraph, BadSettingsFromAFileAreRefusedAndChangeNothing)
{
    LocaleGuard locale("C");
    TStandardGraph graph;
    const TStandardGraphParameters good = Sized(300, 250);
    const TDataPacketList packets = SyntheticAscent(30);
    graph.ApplyParameters(AscentDataParameters(), good, packets, luMeters);
    graph.Redraw();
    const QImage before = graph.Bitmap();

    const QString name = QStringLiteral("StandardGraph");
    struct TCase
    {
        QString Path, Text, Message;
    };
    const TCase values[] = {
        {"PressureAxis/Interval", "0", "Std:BuildFromParameters: Pressure Interval(0.0) <= 0"},
        {"PressureAxis/Interval", "-100",
         "Std:BuildFromParameters: Pressure Interval(-100.0) <= 0"},
        {"PressureAxis/Interval", "0.000000001",
         "Std:BuildFromParameters: Pressure Interval(1E-9) gives more than 100000 gridlines"},
        {"PressureAxis/Minimum", "0", "Std:BuildFromParameters: Pressure Min(0.0) must be > 0"},
        {"DependentInterval", "0", "Std:BuildFromParameters: Dependent Interval(0.0) <= 0"},
        {"DependentInterval", "1E-9",
         "Std:BuildFromParameters: Dependent Interval(1E-9) gives more than 100000 gridlines"},
    };
    for (const TCase &c : values)
        EXPECT_EQ(MessageOf<EStandardGraphParametersValueError>([&] {
                      graph.ApplyParameters(AscentDataParameters(),
                                            Edited(good, name, c.Path, c.Text), {}, luFeet);
                  }),
                  c.Message);
    const TCase ranges[] = {
        {"PressureAxis/Minimum", "1000",
         "Std:BuildFromParameters: Pressure Min(1000.0) >= Max(1000.0)"},
        {"DependentAxes/Axis[1]/Maximum", "0",
         "Std:BuildFromParameters: Axis 1: Min(0.0) >= Max(0.0)"},
        {"DependentAxes/Axis[3]/Minimum", "20",
         "Std:BuildFromParameters: Axis 3: Min(20.0) >= Max(10.0)"},
    };
    for (const TCase &c : ranges)
        EXPECT_EQ(MessageOf<EStandardGraphParametersRangeError>([&] {
                      graph.ApplyParameters(AscentDataParameters(),
                                            Edited(good, name, c.Path, c.Text), {}, luFeet);
                  }),
                  c.Message);
    // An axis number outside 1 .. 3 raises the lookup's own message.
    EXPECT_EQ(MessageOf<EStandardGraphParametersIndexError>([&] {
                  graph.ApplyParameters(AscentDataParameters(),
                                        Edited(good, name, "SeriesGroup/Series[3]/AxisNumber", "4"),
                                        {}, luFeet);
              }),
              "Std:GetDependentAxisShown: Axis index 4 is out of range");
    // A size the bands do not fit; the old size stays.
    EXPECT_THROW(graph.ApplyParameters(AscentDataParameters(), Sized(400, 99), {}, luFeet),
                 EGraphDimensionException);
    TStandardGraphParameters narrow = Sized(120, 250);
    narrow.SetShowAltitude(false);
    EXPECT_THROW(graph.ApplyParameters(AscentDataParameters(), narrow, {}, luFeet),
                 EGraphDimensionException);

    EXPECT_EQ(graph.PointLists()[0].size(), 30u);
    EXPECT_EQ(graph.Screen().GetTitle(1).Text(), "meters");
    EXPECT_EQ(graph.Screen().Width(), 300);
    graph.Redraw();
    EXPECT_EQ(graph.Bitmap(), before);

    // Dense gridlines as documents carry them load and draw: every 0.5 mbar
    // from 100 to 1000 and every 0.1 from 0 to 100; a hidden axis A too.
    TStandardGraphParameters dense = Edited(good, name, "PressureAxis/Interval", "0.5");
    dense = Edited(dense, name, "DependentInterval", "0.1");
    dense = Edited(dense, name, "DependentAxes/Axis[1]/Visible", "false");
    graph.ApplyParameters(AscentDataParameters(), dense, packets, luMeters);
    EXPECT_EQ(graph.Screen().PressureAxis().GridlineCount(), 1801);
    EXPECT_EQ(graph.Screen().AltitudeAxis().LabelCount(), 1801);
    EXPECT_EQ(graph.Screen().GetDependentAxis(1).GridlineCount(), 1001);
    EXPECT_EQ(graph.Screen().GetDependentAxis(2).LabelCount(), 1001);
    EXPECT_FALSE(graph.Screen().GetDependentAxis(1).Visible());
    EXPECT_FALSE(graph.Screen().GetSeries(1).Visible());
    graph.Redraw();
    EXPECT_NE(graph.Bitmap(), before);
}
