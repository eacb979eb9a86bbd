#include "graphs/TimeGraph.h"
#include "GraphKindsSupport.h"
#include "RecordedTexts.h"
#include "support/TestSupport.h"

namespace {

TTimeGraphParameters Sized(int32_t width = 600, int32_t height = 450)
{
    TTimeGraphParameters parameters;
    parameters.SetWidth(width);
    parameters.SetHeight(height);
    return parameters;
}

TDataPacket At(double time, double value = 1.0)
{
    TDataPacket packet;
    packet.SetTime(time);
    for (int c = 1; c <= 10; ++c)
        packet.SetValue(c, value * c);
    return packet;
}

} // namespace

TEST(TimeGraph, DefaultLabelsAndLayoutPixels)
{
    LocaleGuard locale("C");
    TTimeGraph graph;
    graph.ApplyParameters(AscentDataParameters(), Sized(), {});
    const TTimeGraphDefinition &d = graph.Screen();
    EXPECT_EQ(LabelTexts(d.TimeAxis()).join(' '), "0 10 20 30 40 50 60");
    EXPECT_EQ(d.TimeAxis().GridlineCount(), 7);
    EXPECT_EQ(d.GetDependentAxis(1).GridlineCount(), 11);
    EXPECT_EQ(LabelTexts(d.GetDependentAxis(2)).last(), "1000.0");
    EXPECT_EQ(d.GetDependentAxis(3).Range(), TDoubleRect(1, 10, 2, 0));
    EXPECT_EQ(d.GetSeries(4).Range(), TDoubleRect(0, 100, 60, 0));

    // Plot area (50, 40, 499, 404) with text 6 pixels a character, 13 high.
    TRecordingCanvas canvas;
    graph.Context().Draw(canvas, graph.ScreenDefinition(), graph.PointLists());
    EXPECT_EQ(graph.Context().DeviceRect(), (TRect{50, 40, 499, 404}));
    const auto texts = TextOrigins(canvas);
    EXPECT_EQ(texts.at("20"), QPoint(194, 410)); // x 200 (50 + 449 / 3)
    EXPECT_EQ(texts.at("60"), QPoint(493, 410));
    EXPECT_EQ(texts.at("50.0"), QPoint(16, 216)); // A at the left: y 222
    EXPECT_EQ(texts.at("500.0"), QPoint(510, 216));
    EXPECT_EQ(texts.at("5.0"), QPoint(560, 216)); // C in the outer column
    EXPECT_EQ(texts.at("A"), QPoint(34, 20));
    EXPECT_EQ(texts.at("B"), QPoint(510, 20));
    EXPECT_EQ(texts.at("C"), QPoint(560, 20));
    EXPECT_EQ(texts.at("Kestrin - Time Graph"), QPoint(70, 0));
    EXPECT_EQ(texts.at("Time (Min)"), QPoint(50, 430));
    const auto lines = canvas.OfKind("LineTo");
    ASSERT_EQ(lines.size(), 7u + 11u);
    EXPECT_EQ(lines[2].Points,
              (std::vector<QPoint>{{200, 0}, {200, 450}})); // time gridlines vertical
    EXPECT_EQ(lines[12].Points, (std::vector<QPoint>{{0, 222}, {600, 222}})); // A's horizontal
}

TEST(TimeGraph, MinutesSinceTheFirstPlottedPacket)
{
    TTimeGraph graph;
    const double start = 46000.25;
    TDataPacketList packets = {At(start), At(start + HalfMinute), At(start + 2 * HalfMinute)};
    graph.ApplyParameters(AscentDataParameters(), TTimeGraphParameters(), packets);
    ASSERT_EQ(graph.PointLists()[0].size(), 3u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(graph.PointLists()[0][k].X, 0.5 * k, 1e-6);
    EXPECT_EQ(graph.PointLists()[9][1].Y, 10.0);
    EXPECT_EQ(graph.StartTime(), start);

    // A packet without a valid pressure is plotted too.
    packets.push_back(At(start + 4 * HalfMinute));
    graph.AddData(packets, 3);
    EXPECT_NEAR(graph.PointLists()[0].back().X, 2.0, 1e-6);

    // A parameter change replots the buffer from its first packet: after the
    // start of a new buffer the origin moves there.
    const TDataPacketList later(packets.begin() + 2, packets.end());
    graph.ApplyParameters(AscentDataParameters(), TTimeGraphParameters(), later);
    EXPECT_EQ(graph.StartTime(), start + 2 * HalfMinute);
    EXPECT_NEAR(graph.PointLists()[0][0].X, 0.0, 1e-9);
    EXPECT_NEAR(graph.PointLists()[0][1].X, 1.0, 1e-6);

    // A packet stamped 0 cannot be the origin: the next packet becomes it.
    graph.Clear();
    EXPECT_EQ(graph.StartTime(), 0.0);
    graph.AddData({At(0.0), At(start)}, 0);
    EXPECT_EQ(graph.StartTime(), start);
    EXPECT_NEAR(graph.PointLists()[0][1].X, 0.0, 1e-9);
}

TEST(TimeGraph, SetterChecksAndMessages)
{
    LocaleGuard locale("C");
    TTimeGraphParameters p;
    EXPECT_NO_THROW(p.SetTimeAxis(0, 60));
    EXPECT_EQ(MessageOf<ETimeGraphParametersValueError>([&] { p.SetTimeAxis(-1, 60); }),
              "Time:SetTimeAxis: Min(-1.0) must be >= 0");
    EXPECT_EQ(MessageOf<ETimeGraphParametersRangeError>([&] { p.SetTimeAxis(60, 60); }),
              "Time:SetTimeAxis: Min(60.0) >= Max(60.0)");
    EXPECT_EQ(MessageOf<ETimeGraphParametersValueError>([&] { p.SetTimeAxis(0.0); }),
              "Time:SetTimeAxis: Interval(0.0) <= 0");
    EXPECT_EQ(MessageOf<ETimeGraphParametersIndexError>([&] { p.SetDependentAxisShown(4, true); }),
              "Time:SetDependentAxisShown: Axis index 4 is out of range");
    EXPECT_EQ(p, TTimeGraphParameters());
    LocaleGuard comma("de_DE.UTF-8");
    EXPECT_EQ(MessageOf<ETimeGraphParametersValueError>([&] { p.SetTimeAxis(-0.5, 60); }),
              "Time:SetTimeAxis: Min(-0,5) must be >= 0");
}

TEST(TimeGraph, BadSettingsFromAFileAreRefusedAndChangeNothing)
{
    LocaleGuard locale("C");
    TTimeGraph graph;
    const TTimeGraphParameters good = Sized(300, 250);
    graph.ApplyParameters(AscentDataParameters(), good, SyntheticAscent(20));
    graph.Redraw();
    const QImage before = graph.Bitmap();
    const QString name = QStringLiteral("TimeGraph");
    EXPECT_EQ(MessageOf<ETimeGraphParametersValueError>([&] {
                  graph.ApplyParameters(AscentDataParameters(),
                                        Edited(good, name, "TimeAxis/Minimum", "-5"), {});
              }),
              "Time:BuildFromParameters: Time Min(-5.0) must be >= 0");
    EXPECT_EQ(MessageOf<ETimeGraphParametersValueError>([&] {
                  graph.ApplyParameters(AscentDataParameters(),
                                        Edited(good, name, "TimeAxis/Maximum", "1E9"), {});
              }),
              "Time:BuildFromParameters: Time Interval(10.0) gives more than 100000 gridlines");
    EXPECT_EQ(MessageOf<ETimeGraphParametersIndexError>([&] {
                  graph.ApplyParameters(
                      AscentDataParameters(),
                      Edited(good, name, "SeriesGroup/Series[10]/AxisNumber", "0"), {});
              }),
              "Time:GetDependentAxisShown: Axis index 0 is out of range");
    EXPECT_EQ(MessageOf<ETimeGraphParametersValueError>([&] {
                  graph.ApplyParameters(AscentDataParameters(),
                                        Edited(good, name, "TimeAxis/Interval", "1E-9"), {});
              }),
              "Time:BuildFromParameters: Time Interval(1E-9) gives more than 100000 gridlines");
    EXPECT_EQ(graph.PointLists()[0].size(), 20u);
    graph.Redraw();
    EXPECT_EQ(graph.Bitmap(), before);

    // A line every 0.05 min over the hour, as documents carry it, draws.
    graph.ApplyParameters(AscentDataParameters(), Edited(good, name, "TimeAxis/Interval", "0.05"),
                          SyntheticAscent(20));
    EXPECT_EQ(graph.Screen().TimeAxis().GridlineCount(), 1201);
    graph.Redraw();
    EXPECT_NE(graph.Bitmap(), before);
}
