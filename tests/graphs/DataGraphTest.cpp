#include "graphs/DataGraph.h"
#include "RecordingCanvas.h"
#include "graphs/GraphErrors.h"

#include <gtest/gtest.h>

namespace {

// 400 x 300 with bands on every side: title 20/10/15/5, label 40/30/25/35
// (left/right/top/bottom). Plot area 60..360 x 40..260.
TDataGraph Layout()
{
    TDataGraph g;
    g.SetWidth(400);
    g.SetHeight(300);
    for (auto [side, title, label] :
         {std::tuple{gsLeft, 20, 40}, {gsRight, 10, 30}, {gsTop, 15, 25}, {gsBottom, 5, 35}}) {
        g.SetTitleDimension(side, title);
        g.SetLabelDimension(side, label);
    }
    return g;
}

} // namespace

TEST(DataGraph, SettersRefuseNegativeValues)
{
    TDataGraph g;
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
    EXPECT_EQ(g.TitleDimension(gsRight), 0);
}

TEST(DataGraph, PlotRectFrameAndTextOrigins)
{
    const TDataGraph g = Layout();
    EXPECT_EQ(g.PlotRect(0), (TRect{60, 40, 360, 260}));
    EXPECT_EQ(g.PlotRect(1), (TRect{60, 40, 359, 259}));
    EXPECT_EQ(g.PlotRect(2), (TRect{61, 41, 359, 259}));
    EXPECT_EQ(g.PlotRect(5), (TRect{62, 42, 357, 257}));

    TTransformer2D identity;
    // Labels: height 13 centres with 6.5 -> 6, height 15 with 7.5 -> 8.
    EXPECT_EQ(g.AxisLabelOrigin(QSize(18, 13), identity, 10, gsLeft, 100), QPoint(32, 94));
    EXPECT_EQ(g.AxisLabelOrigin(QSize(18, 15), identity, 10, gsLeft, 100), QPoint(32, 92));
    EXPECT_EQ(g.AxisLabelOrigin(QSize(18, 13), identity, 10, gsRight, 100), QPoint(370, 94));
    EXPECT_EQ(g.AxisLabelOrigin(QSize(13, 11), identity, 5, gsTop, 200), QPoint(194, 24));
    EXPECT_EQ(g.AxisLabelOrigin(QSize(15, 11), identity, 5, gsBottom, 200), QPoint(192, 265));
    // Captions: the labels' distance from the plot edge, the given position along it.
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsLeft, 10, 40), QPoint(32, 40));
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsTop, 10, 40), QPoint(40, 17));
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsRight, 10, 40), QPoint(370, 40));
    EXPECT_EQ(g.AxisCaptionOrigin(QSize(18, 13), gsBottom, 25, 40), QPoint(40, 285));
    // Titles: from the origin of their side's title band.
    EXPECT_EQ(g.TitleOrigin(10, 45, gsLeft), QPoint(10, 45));
    EXPECT_EQ(g.TitleOrigin(70, 0, gsTop), QPoint(70, 0));
    EXPECT_EQ(g.TitleOrigin(10, 45, gsRight), QPoint(400, 45));
    EXPECT_EQ(g.TitleOrigin(50, 0, gsBottom), QPoint(50, 295));

    TRecordingCanvas canvas;
    g.DrawFrame(canvas, QPen(Qt::red, 3)); // around PlotRect(3)
    ASSERT_EQ(canvas.Ops.size(), 4u);
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{61, 41}, {358, 41}}));
    EXPECT_EQ(canvas.Ops[3].Points, (std::vector<QPoint>{{61, 258}, {61, 41}}));
    EXPECT_EQ(canvas.Ops[3].Pen.width(), 3);
}

TEST(DataGraph, SeriesAreOnePolylineWithMarkersOnTop)
{
    TDataGraph g = Layout();
    TRecordingCanvas canvas;
    TTransformer2D identity;
    TMarkerDefinition marker;
    marker.SetShape(dmSquare);
    g.DrawSeries(canvas, {{100, 100}, {120, 90}, {120.2, 90.1}, {150, 130}}, marker, identity);
    ASSERT_EQ(canvas.Ops.size(), 4u);
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{100, 100}, {120, 90}, {150, 130}}));
    EXPECT_EQ(canvas.Ops[3].Points[0], QPoint(143, 123));

    canvas.Ops.clear(); // one point: no visible line, one marker
    g.DrawSeries(canvas, {{10, 10}}, marker, identity);
    ASSERT_EQ(canvas.OfKind("Rectangle").size(), 1u);
    EXPECT_LE(canvas.OfKind("Polyline").at(0).Points.size(), 1u);
}
