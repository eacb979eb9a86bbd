// Whole images of the three graph kinds at their default settings with the
// series looks the program starts with, against stored references, so that
// a drawing regression is caught.
#include "GraphKindsSupport.h"
#include "graphs/SkewTGraph.h"
#include "graphs/StandardGraph.h"
#include "graphs/TimeGraph.h"
#include "support/TestSupport.h"

namespace {

constexpr int32_t ImageWidth = 600;
constexpr int32_t ImageHeight = 450;

template <class TParameters> TParameters SizedParameters()
{
    TParameters parameters;
    parameters.SetWidth(ImageWidth);
    parameters.SetHeight(ImageHeight);
    StartupMarkers(parameters);
    return parameters;
}

} // namespace

TEST(GraphKindImages, StandardGraphMatchesItsReference)
{
    TStandardGraph graph;
    graph.ApplyParameters(AscentDataParameters(), SizedParameters<TStandardGraphParameters>(),
                          SyntheticAscent(), luMeters);
    graph.Redraw();
    ExpectMatchesReference(graph.Bitmap(), QStringLiteral("standard_graph"));
}

TEST(GraphKindImages, SkewTGraphMatchesItsReference)
{
    TSkewTGraph graph;
    graph.ApplyParameters(SizedParameters<TSkewTGraphParameters>(), luMeters, SyntheticAscent());
    graph.Redraw();
    ExpectMatchesReference(graph.Bitmap(), QStringLiteral("skewt_graph"));
}

// Every analysis overlay over an ascent with a convective layer.
TEST(GraphKindImages, SkewTGraphWithOverlaysMatchesItsReference)
{
    LocaleGuard locale("C");
    auto parameters = SizedParameters<TSkewTGraphParameters>();
    parameters.SetShowParcel(true);
    parameters.SetShowStandardAtmosphere(true);
    parameters.SetShowAnalysis(true);
    TSkewTGraph graph;
    graph.ApplyParameters(parameters, luMeters, ConvectiveAscent());
    graph.Redraw();
    ExpectMatchesReference(graph.Bitmap(), QStringLiteral("skewt_overlays"));
}

TEST(GraphKindImages, TimeGraphMatchesItsReference)
{
    TTimeGraph graph;
    graph.ApplyParameters(AscentDataParameters(), SizedParameters<TTimeGraphParameters>(),
                          SyntheticAscent());
    graph.Redraw();
    ExpectMatchesReference(graph.Bitmap(), QStringLiteral("time_graph"));
}

// The graph thread may draw, print or add packets before any settings
// arrive: the built-in layout must carry that.
TEST(GraphKindImages, FreshGraphsDrawBeforeAnySettings)
{
    TStandardGraph standard;
    TSkewTGraph skewT;
    TTimeGraph time;
    const TDataPacketList packets = SyntheticAscent(5);
    for (TGraph *graph : std::initializer_list<TGraph *>{&standard, &skewT, &time}) {
        graph->AddData(packets, 0);
        EXPECT_NO_THROW(graph->Redraw());
        EXPECT_EQ(graph->Bitmap().size(), QSize(200, 200));
        EXPECT_EQ(graph->CreatePrintImage()->size(), QSize(320 * 5, 200 * 5));
    }
    EXPECT_EQ(standard.PointLists()[0].size(), 5u);
    EXPECT_EQ(skewT.TemperaturePoints().size(), 5u);
}
