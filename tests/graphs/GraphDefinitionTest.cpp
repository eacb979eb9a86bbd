#include "graphs/GraphDefinition.h"

#include <gtest/gtest.h>

namespace {

template <class E, class F> QString MessageOf(F &&f)
{
    try {
        f();
    } catch (const E &e) {
        return e.Message();
    }
    return QStringLiteral("<no exception>");
}

std::unique_ptr<TAxisDefinition> Axis(const QString &caption)
{
    auto axis = std::make_unique<TAxisDefinition>();
    axis->SetCaption(caption);
    return axis;
}

} // namespace

TEST(GraphDefinition, DimensionRule)
{
    TGraphDefinition d; // 100 x 100, all bands 0
    d.SetLabelDimension(gsLeft, 30);
    d.SetTitleDimension(gsLeft, 20);
    d.SetLabelDimension(gsRight, 30);
    d.SetTitleDimension(gsRight, 20); // sum 100: fits exactly
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetTitleDimension(gsRight, 21); }),
              "Title Dimension too large for current graph");
    EXPECT_EQ(d.GetTitleDimension(gsRight), 20);
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetWidth(99); }),
              "Width is too small for label and title dimensions");
    EXPECT_EQ(d.Width(), 100);
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetLabelDimension(gsLeft, 31); }),
              "Label Dimension too large for current graph");
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetLabelDimension(gsTop, -1); }),
              "Label Dimension must be >= 0");
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetTitleDimension(gsTop, -1); }),
              "Title Dimension must be >= 0");
    d.SetTitleDimension(gsTop, 60);
    d.SetLabelDimension(gsBottom, 40);
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetHeight(99); }),
              "Height is too small for label and title dimensions");
    EXPECT_EQ(d.Height(), 100);
    EXPECT_THROW(TGraphDefinition().SetWidth(-1), EGraphDimensionException);
    // Band sums beyond 32 bits are refused, not wrapped.
    TGraphDefinition huge;
    huge.SetWidth(2147483647);
    huge.SetLabelDimension(gsLeft, 2000000000);
    EXPECT_THROW(huge.SetLabelDimension(gsRight, 2000000000), EGraphDimensionException);
}

TEST(GraphDefinition, LookupsAreOneBasedWithTheirMessages)
{
    TGraphDefinition d;
    for (const char *name : {"I1", "I2"})
        d.AddIndependentAxis(Axis(name));
    for (const char *name : {"D1", "D2", "D3"})
        d.AddDependentAxis(Axis(name));
    EXPECT_EQ(d.GetAnyAxis(2).Caption(), "I2");
    EXPECT_EQ(d.GetAnyAxis(3).Caption(), "D1");
    EXPECT_EQ(d.GetAnyAxis(5).Caption(), "D3");
    EXPECT_EQ(MessageOf<EInvalidAxisError>([&] { d.GetAnyAxis(0); }),
              "\"Any axis\" index 0 is invalid");
    EXPECT_EQ(MessageOf<EInvalidAxisError>([&] { d.GetAnyAxis(6); }),
              "\"Any axis\" index 6 is invalid");
    EXPECT_EQ(MessageOf<EInvalidAxisError>([&] { d.GetDependentAxis(4); }),
              "Dependent axis index 4 is invalid");
    EXPECT_EQ(MessageOf<EInvalidAxisError>([&] { d.GetIndependentAxis(-1); }),
              "Independent axis index -1 is invalid");
    EXPECT_EQ(MessageOf<EInvalidSeriesError>([&] { d.GetSeries(1); }), "Series index 1 is invalid");
    EXPECT_EQ(MessageOf<EInvalidTitleError>([&] { d.GetTitle(0); }), "Title index 0 is invalid");
    TAxisDefinition &a = d.GetAnyAxis(1);
    a.AddLabel("100", 100.0);
    a.AddGridline(250.0);
    EXPECT_EQ(a.GetGridline(1), 250.0);
    EXPECT_EQ(MessageOf<EInvalidLabelError>([&] { a.GetLabel(2); }), "Label index 2 is invalid");
    EXPECT_EQ(MessageOf<EInvalidGridlineError>([&] { a.GetGridline(0); }),
              "Gridline index 0 is invalid");
    EXPECT_EQ(MessageOf<EInvalidLegendIndexError>([&] { d.Legend().GetCell(1); }),
              "Legend Cell 1 is invalid");
}

namespace {

// One of each element, with measures that every Scale must change.
void Populate(TGraphDefinition &d)
{
    d.SetWidth(600);
    d.SetHeight(400);
    d.SetLabelDimension(gsLeft, 35);
    d.SetTitleDimension(gsTop, 50);
    auto axis = Axis("A");
    axis->SetLabelOffset(10);
    axis->SetCaptionPosition(40);
    axis->SetPen(QPen(Qt::red, 2));
    axis->SetRange(TDoubleRect(0, 100, 50, 1000));
    axis->AddLabel("x", 3.0);
    d.AddDependentAxis(std::move(axis));
    auto series = std::make_unique<TSeriesDefinition>();
    series->SetName("S");
    series->Marker().SetLinePen(QPen(Qt::blue, 2));
    d.AddSeries(std::move(series));
    auto title = std::make_unique<TTitleDefinition>();
    title->SetX(70);
    title->Font().SetPixelSize(20);
    d.AddTitle(std::move(title));
    d.Legend().SetRowHeight(30);
    d.Legend().SetWidth(120);
    auto cell = std::make_unique<TLegendCellDefinition>();
    cell->SetText("A Temperature");
    d.Legend().AddCell(std::move(cell));
}

} // namespace

TEST(GraphDefinition, AssignIsADeepCopyThatKeepsTheTargetsLegendVisibility)
{
    TGraphDefinition source;
    Populate(source);
    source.SetLegendVisible(true);
    TGraphDefinition target;
    target.AddSeries(std::make_unique<TSeriesDefinition>());
    target.AddSeries(std::make_unique<TSeriesDefinition>());
    target.Assign(source);
    EXPECT_FALSE(target.LegendVisible());
    EXPECT_EQ(target.Width(), 600);
    EXPECT_EQ(target.GetTitleDimension(gsTop), 50);
    EXPECT_EQ(target.SeriesCount(), 1);
    EXPECT_EQ(target.GetAnyAxis(1).Range(), TDoubleRect(0, 100, 50, 1000));
    EXPECT_EQ(target.Legend().RowHeight(), 30);
    // The copy owns its own elements.
    source.GetAnyAxis(1).GetLabel(1).SetText("changed");
    source.GetSeries(1).Marker().SetSize(3);
    source.Legend().GetCell(1).SetText("changed");
    EXPECT_EQ(target.GetAnyAxis(1).GetLabel(1).Text(), "x");
    EXPECT_EQ(target.GetSeries(1).Marker().Size(), 15);
    EXPECT_EQ(target.Legend().GetCell(1).Text(), "A Temperature");
    target.Assign(target); // onto itself: nothing lost
    EXPECT_EQ(target.GetAnyAxis(1).LabelCount(), 1);
}

TEST(GraphDefinition, ScaleMultipliesEveryPixelMeasure)
{
    TGraphDefinition d;
    Populate(d);
    d.Scale(1);
    EXPECT_EQ(d.Width(), 600);
    TAxisDefinition &axis = d.GetDependentAxis(1);
    d.Scale(5);
    EXPECT_EQ(&axis, &d.GetDependentAxis(1)); // elements keep their identity
    EXPECT_EQ(d.Width(), 3000);
    EXPECT_EQ(d.Height(), 2000);
    EXPECT_EQ(d.GetLabelDimension(gsLeft), 175);
    EXPECT_EQ(d.GetTitleDimension(gsTop), 250);
    EXPECT_EQ(d.ScaleFactor(), 5);
    EXPECT_EQ(axis.LabelOffset(), 50);
    EXPECT_EQ(axis.CaptionPosition(), 200);
    EXPECT_EQ(axis.LabelFont().PixelSize(), 55);
    EXPECT_EQ(axis.Pen().width(), 2); // gridline pens keep their width
    EXPECT_EQ(axis.GetLabel(1).Value(), 3.0);
    const TMarkerDefinition &marker = d.GetSeries(1).Marker();
    EXPECT_EQ(marker.Size(), 75);
    EXPECT_EQ(marker.HalfSize(), 37);
    EXPECT_EQ(marker.MarkerPen().width(), 5);
    EXPECT_EQ(marker.LinePen().width(), 2); // series line pens too
    EXPECT_EQ(d.GetTitle(1).X(), 350);
    EXPECT_EQ(d.GetTitle(1).Font().PixelSize(), 100);
    EXPECT_EQ(d.Legend().RowHeight(), 150);
    EXPECT_EQ(d.Legend().Font().PixelSize(), 55);
    EXPECT_EQ(d.Legend().GetCell(1).Marker().Size(), 75);
    d.Scale(2);
    EXPECT_EQ(d.ScaleFactor(), 10);
}

TEST(GraphDefinition, RefusedScalesChangeNothing)
{
    TGraphDefinition d;
    Populate(d);
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { d.Scale(0); }),
              "TGraphDefinition: Scale factor 0 is invalid.");
    EXPECT_EQ(d.Width(), 600);
    EXPECT_EQ(d.GetSeries(1).Marker().Size(), 15);
    // An overflow late in the walk (the legend) leaves the axes unscaled too.
    d.Legend().SetRowHeight(1000000000);
    EXPECT_THROW(d.Scale(5), EIntOverflow);
    EXPECT_EQ(d.GetDependentAxis(1).LabelOffset(), 10);
    EXPECT_EQ(d.GetSeries(1).Marker().Size(), 15);
    EXPECT_EQ(d.ScaleFactor(), 1);

    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { TAxisDefinition().Scale(0); }),
              "TAxisDefinition: Scale factor 0 is invalid.");
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { TTitleDefinition().Scale(-2); }),
              "TTitleDefinition: Scale factor -2 is invalid.");
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { TSeriesDefinition().Scale(0); }),
              "TMarkerDefinition: Scale factor 0 is invalid.");
}
