#include "graphs/DataGraph.h"
#include "RecordingCanvas.h"
#include "graphs/GraphErrors.h"
#include "graphs/Transformers.h"

#include <gtest/gtest.h>

namespace {

// 400 x 300 with bands on every side: title 20/10/15/5, label 40/30/25/35
// (left/right/top/bottom). Plot area 60..360 x 40..260.
TDataGraph Layout()
{
    TDataGraph g;
    g.SetWidth(400);
    g.SetHeight(300);
    g.SetTitleDimension(gsLeft, 20);
    g.SetLabelDimension(gsLeft, 40);
    g.SetTitleDimension(gsRight, 10);
    g.SetLabelDimension(gsRight, 30);
    g.SetTitleDimension(gsTop, 15);
    g.SetLabelDimension(gsTop, 25);
    g.SetTitleDimension(gsBottom, 5);
    g.SetLabelDimension(gsBottom, 35);
    return g;
}

} // namespace

TEST(DataGraph, SettersRefuseNegativeValues)
{
    TDataGraph g;
    EXPECT_EQ(g.Width(), 100);
    EXPECT_EQ(g.Height(), 100);
    const auto message = [](auto f) {
        try {
            f();
        } catch (const EGraphDimensionException &e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { g.SetWidth(-1); }), "Width must be >= 0");
    EXPECT_EQ(message([&] { g.SetHeight(-5); }), "Height must be >= 0");
    EXPECT_EQ(message([&] { g.SetLabelDimension(gsTop, -1); }), "Label dimension must be >= 0");
    EXPECT_EQ(message([&] { g.SetTitleDimension(gsRight, -1); }), "Title dimension must be >= 0");
    EXPECT_EQ(g.Width(), 100);
    EXPECT_EQ(g.Height(), 100);
    // No band rule here: bands wider than the image are the definition's business.
    g.SetLabelDimension(gsLeft, 500);
    EXPECT_EQ(g.LabelDimension(gsLeft), 500);
}

TEST(DataGraph, PlotRectInsetsForTheFramePen)
{
    const TDataGraph g = Layout();
    EXPECT_EQ(g.ImageRect(), (TRect{0, 0, 400, 300}));
    EXPECT_EQ(g.PlotRect(0), (TRect{60, 40, 360, 260}));
    EXPECT_EQ(g.PlotRect(1), (TRect{60, 40, 359, 259}));
    EXPECT_EQ(g.PlotRect(2), (TRect{61, 41, 359, 259}));
    EXPECT_EQ(g.PlotRect(5), (TRect{62, 42, 357, 257}));
}

TEST(DataGraph, AxisLabelPlacementRoundsHalvesToEven)
{
    const TDataGraph g = Layout();
    TTransformer2D identity;
    // Left: right-aligned against the plot edge, centred on the value's y.
    // Height 13: 6.5 -> 6; height 15: 7.5 -> 8.
    EXPECT_EQ(g.AxisLabelOrigin(QSize(18, 13), identity, 10, gsLeft, 100), QPoint(32, 94));
    EXPECT_EQ(g.AxisLabelOrigin(QSize(18, 15), identity, 10, gsLeft, 100), QPoint(32, 92));
    // Right: left-aligned after the right plot edge.
    EXPECT_EQ(g.AxisLabelOrigin(QSize(18, 13), identity, 10, gsRight, 100), QPoint(370, 94));
    // Top and bottom: centred on the value's x (width 13 -> 6, 15 -> 8).
    EXPECT_EQ(g.AxisLabelOrigin(QSize(13, 11), identity, 5, gsTop, 200), QPoint(194, 24));
    EXPECT_EQ(g.AxisLabelOrigin(QSize(15, 11), identity, 5, gsBottom, 200), QPoint(192, 265));

    // Captions use the same distances and the given position along the side.
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsLeft, 10, 40), QPoint(32, 40));
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsTop, 10, 40), QPoint(40, 17));
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsRight, 10, 40), QPoint(370, 40));
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsBottom, 25, 40), QPoint(40, 285));

    // Titles from the origin of their side's title band.
    EXPECT_EQ(g.TitleOrigin(10, 45, gsLeft), QPoint(10, 45));
    EXPECT_EQ(g.TitleOrigin(70, 0, gsTop), QPoint(70, 0));
    EXPECT_EQ(g.TitleOrigin(10, 45, gsRight), QPoint(400, 45));
    EXPECT_EQ(g.TitleOrigin(50, 0, gsBottom), QPoint(50, 295));
}

TEST(DataGraph, LabelsAreMeasuredInTheirFontAndDrawnThere)
{
    const TDataGraph g = Layout();
    TRecordingCanvas canvas;
    canvas.TextHeight = 15;
    TFont font;
    font.SetPixelSize(20);
    TTransformer2D identity;
    g.DrawAxisLabel(canvas, "1000", &font, identity, 10, gsLeft, 100);
    ASSERT_EQ(canvas.Ops.size(), 1u);
    EXPECT_EQ(canvas.Ops[0].Points[0], QPoint(60 - 10 - 24, 92));
    EXPECT_EQ(canvas.Ops[0].Font.PixelSize(), 20);
    EXPECT_EQ(canvas.Font().PixelSize(), 11); // put back

    // A log transformer gets 1.0 for the coordinate it does not need.
    TLogPTransformer logP;
    logP.SetMapping(TDoubleRect(0, 100, 10, 1000), TRect{60, 40, 360, 260});
    g.DrawAxisLabel(canvas, "500", nullptr, logP, 10, gsLeft, 1000);
    EXPECT_EQ(canvas.Ops[1].Points[0], QPoint(60 - 10 - 18, 260 - 8));
    g.DrawGridline(canvas, gdHorizontal, logP, nullptr, 100);
    EXPECT_EQ(canvas.Ops[2].Points, (std::vector<QPoint>{{0, 40}, {400, 40}}));
    g.DrawGridline(canvas, gdVertical, logP, nullptr, 5);
    EXPECT_EQ(canvas.Ops[3].Points, (std::vector<QPoint>{{210, 0}, {210, 300}}));
}

TEST(DataGraph, FillsFrameAndFreeLines)
{
    const TDataGraph g = Layout();
    TRecordingCanvas canvas;
    const QBrush grey(Qt::gray);
    g.FillMargins(canvas, &grey);
    const std::vector<std::vector<QPoint>> expected = {
        {{0, 0}, {60, 300}}, {{0, 0}, {400, 40}}, {{360, 0}, {400, 300}}, {{0, 260}, {400, 300}}};
    ASSERT_EQ(canvas.Ops.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(canvas.Ops[i].Points, expected[i]) << i;
        EXPECT_EQ(canvas.Ops[i].Brush, grey);
    }
    EXPECT_EQ(canvas.Brush(), QBrush(Qt::white));

    canvas.Ops.clear();
    g.DrawFrame(canvas, QPen(Qt::red, 3));
    ASSERT_EQ(canvas.Ops.size(), 4u);
    // PlotRect(3): 60 + 1, 40 + 1, 360 - 2, 260 - 2.
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{61, 41}, {358, 41}}));
    EXPECT_EQ(canvas.Ops[2].Points, (std::vector<QPoint>{{358, 258}, {61, 258}}));
    EXPECT_EQ(canvas.Ops[3].Points, (std::vector<QPoint>{{61, 258}, {61, 41}}));
    EXPECT_EQ(canvas.Ops[3].Pen.width(), 3);

    canvas.Ops.clear();
    TTransformer2D t;
    t.SetMapping(TDoubleRect(0, 10, 10, 0), TRect{60, 40, 360, 260});
    g.DrawLine(canvas, nullptr, 0, 0, 10, 10, t);
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{60, 260}, {360, 40}}));
}

TEST(DataGraph, SeriesAreOnePolylineWithMarkersOnTop)
{
    TDataGraph g = Layout();
    TRecordingCanvas canvas;
    TTransformer2D identity;
    TMarkerDefinition marker;
    marker.SetLinePen(QPen(Qt::blue, 2));
    marker.SetShape(dmSquare);
    g.DrawSeries(canvas, {}, marker, identity);
    EXPECT_TRUE(canvas.Ops.empty());

    g.DrawSeries(canvas, {{100, 100}, {120, 90}, {120.2, 90.1}, {150, 130}}, marker, identity);
    ASSERT_EQ(canvas.Ops.size(), 4u);
    EXPECT_EQ(canvas.Ops[0].Kind, "Polyline");
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{100, 100}, {120, 90}, {150, 130}}));
    EXPECT_EQ(canvas.Ops[0].Pen, QPen(Qt::blue, 2));
    // A marker per point; a second marker on the same pixel would change nothing.
    EXPECT_EQ(canvas.OfKind("Rectangle").size(), 3u);
    EXPECT_EQ(canvas.Ops[3].Points[0], QPoint(143, 123));
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));

    // One point: no visible line, one marker.
    canvas.Ops.clear();
    g.DrawSeries(canvas, {{10, 10}}, marker, identity);
    ASSERT_EQ(canvas.OfKind("Rectangle").size(), 1u);
    const auto lines = canvas.OfKind("Polyline");
    EXPECT_TRUE(lines.empty() || lines[0].Points.size() == 1);

    // A point beyond 32 bits ends the drawing with the range error.
    TTransformer2D steep;
    steep.Scale(1e9, 1);
    EXPECT_THROW(g.DrawSeries(canvas, {{1, 1}, {100, 1}}, marker, steep), ERangeError);
}
