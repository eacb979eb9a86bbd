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

TEST(GraphDefinition, NewDefinition)
{
    TGraphDefinition d;
    EXPECT_EQ(d.Width(), 100);
    EXPECT_EQ(d.Height(), 100);
    for (TGraphSide s : {gsLeft, gsTop, gsRight, gsBottom}) {
        EXPECT_EQ(d.GetLabelDimension(s), 0);
        EXPECT_EQ(d.GetTitleDimension(s), 0);
    }
    EXPECT_EQ(d.ScaleFactor(), 1);
    EXPECT_EQ(d.AxisCount() + d.SeriesCount() + d.TitleCount(), 0);
    EXPECT_FALSE(d.LegendVisible());
    EXPECT_EQ(d.Brush(), QBrush(Qt::white));

    TAxisDefinition a;
    EXPECT_EQ(a.Range(), TDoubleRect(1, 1, 10, 10));
    EXPECT_EQ(a.Side(), gsBottom);
    EXPECT_TRUE(a.Visible());
    EXPECT_FALSE(TLegendCellDefinition().Visible());
    EXPECT_EQ(TTitleDefinition().Side(), gsTop);
}

TEST(GraphDefinition, DimensionRule)
{
    TGraphDefinition d;
    d.SetLabelDimension(gsLeft, 30);
    d.SetTitleDimension(gsLeft, 20);
    d.SetLabelDimension(gsRight, 30);
    d.SetTitleDimension(gsRight, 20); // sum 100: fits exactly
    EXPECT_TRUE(d.DimensionsFit());
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetTitleDimension(gsRight, 21); }),
              "Title Dimension too large for current graph");
    EXPECT_EQ(d.GetTitleDimension(gsRight), 20);
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetWidth(99); }),
              "Width is too small for label and title dimensions");
    EXPECT_EQ(d.Width(), 100);
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetLabelDimension(gsLeft, 31); }),
              "Label Dimension too large for current graph");
    EXPECT_EQ(d.GetLabelDimension(gsLeft), 30);

    // Negative values are refused before the rule is looked at.
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetLabelDimension(gsTop, -1); }),
              "Label Dimension must be >= 0");
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetTitleDimension(gsBottom, -1); }),
              "Title Dimension must be >= 0");
    d.SetTitleDimension(gsTop, 60);
    d.SetLabelDimension(gsBottom, 40);
    EXPECT_EQ(MessageOf<EGraphDimensionException>([&] { d.SetHeight(99); }),
              "Height is too small for label and title dimensions");
    EXPECT_EQ(d.Height(), 100);

    TGraphDefinition empty;
    EXPECT_THROW(empty.SetWidth(-1), EGraphDimensionException);
    EXPECT_THROW(empty.SetHeight(-1), EGraphDimensionException);
    empty.SetWidth(0);
    EXPECT_EQ(empty.Width(), 0);
    // Bands that would overflow a 32-bit sum are still refused, not wrapped.
    TGraphDefinition huge;
    huge.SetWidth(2147483647);
    huge.SetLabelDimension(gsLeft, 2000000000);
    EXPECT_THROW(huge.SetLabelDimension(gsRight, 2000000000), EGraphDimensionException);
}

TEST(GraphDefinition, LookupsAreOneBasedWithTheirMessages)
{
    TGraphDefinition d;
    d.AddIndependentAxis(Axis("I1"));
    d.AddIndependentAxis(Axis("I2"));
    d.AddDependentAxis(Axis("D1"));
    d.AddDependentAxis(Axis("D2"));
    d.AddDependentAxis(Axis("D3"));
    EXPECT_EQ(d.AxisCount(), 5);
    EXPECT_EQ(d.GetAnyAxis(2).Caption(), "I2");
    EXPECT_EQ(d.GetAnyAxis(3).Caption(), "D1");
    EXPECT_EQ(d.GetAnyAxis(5).Caption(), "D3");
    EXPECT_EQ(d.GetDependentAxis(3).Caption(), "D3");
    EXPECT_EQ(d.GetIndependentAxis(1).Caption(), "I1");

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
    EXPECT_EQ(a.GetLabel(1).Text(), "100");
    EXPECT_EQ(a.GetGridline(1), 250.0);
    EXPECT_EQ(MessageOf<EInvalidLabelError>([&] { a.GetLabel(2); }), "Label index 2 is invalid");
    EXPECT_EQ(MessageOf<EInvalidGridlineError>([&] { a.GetGridline(0); }),
              "Gridline index 0 is invalid");
    EXPECT_EQ(MessageOf<EInvalidLegendIndexError>([&] { d.Legend().GetCell(1); }),
              "Legend Cell 1 is invalid");

    d.ClearDependentAxes();
    EXPECT_EQ(d.AxisCount(), 2);
    EXPECT_THROW(d.GetAnyAxis(3), EInvalidAxisError);
}

namespace {

// A definition with one of everything, all measures non-trivial.
void Populate(TGraphDefinition &d)
{
    d.SetWidth(600);
    d.SetHeight(400);
    d.SetLabelDimension(gsLeft, 35);
    d.SetTitleDimension(gsTop, 50);
    d.SetLabelDimension(gsBottom, 50);
    d.SetTitleDimension(gsRight, 45);
    d.SetBrush(QBrush(Qt::cyan));
    auto axis = Axis("A");
    axis->SetLabelOffset(10);
    axis->SetCaptionPosition(40);
    axis->SetPen(QPen(Qt::red, 2));
    axis->SetRange(TDoubleRect(0, 100, 50, 1000));
    axis->AddLabel("x", 3.0);
    axis->AddGridline(7.0);
    d.AddDependentAxis(std::move(axis));
    d.AddIndependentAxis(Axis("P"));
    auto series = std::make_unique<TSeriesDefinition>();
    series->SetName("S");
    series->Marker().SetLinePen(QPen(Qt::blue, 2));
    series->Marker().SetMarkerPen(QPen(Qt::blue, 1));
    d.AddSeries(std::move(series));
    auto title = std::make_unique<TTitleDefinition>();
    title->SetText("T");
    title->SetX(70);
    title->SetY(3);
    title->Font().SetPixelSize(20);
    d.AddTitle(std::move(title));
    TLegendDefinition &legend = d.Legend();
    legend.SetTop(70), legend.SetWidth(120), legend.SetRowHeight(30);
    legend.SetMarkerX(10), legend.SetMarkerY(10), legend.SetTextX(40), legend.SetTextY(1);
    auto cell = std::make_unique<TLegendCellDefinition>();
    cell->SetText("A Temperature");
    cell->SetVisible(true);
    legend.AddCell(std::move(cell));
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
    EXPECT_EQ(target.GetTitleDimension(gsRight), 45);
    EXPECT_EQ(target.Brush(), QBrush(Qt::cyan));
    EXPECT_EQ(target.SeriesCount(), 1);
    EXPECT_EQ(target.GetSeries(1).Name(), "S");
    EXPECT_EQ(target.GetAnyAxis(1).Caption(), "P");
    EXPECT_EQ(target.GetAnyAxis(2).GetLabel(1).Text(), "x");
    EXPECT_EQ(target.GetAnyAxis(2).Range(), TDoubleRect(0, 100, 50, 1000));
    EXPECT_EQ(target.Legend().GetCell(1).Text(), "A Temperature");
    EXPECT_EQ(target.Legend().TextY(), 1);

    // The copy owns its own elements.
    source.GetAnyAxis(2).GetLabel(1).SetText("changed");
    source.GetSeries(1).Marker().SetSize(3);
    source.Legend().GetCell(1).SetText("changed");
    EXPECT_EQ(target.GetAnyAxis(2).GetLabel(1).Text(), "x");
    EXPECT_EQ(target.GetSeries(1).Marker().Size(), 15);
    EXPECT_EQ(target.Legend().GetCell(1).Text(), "A Temperature");

    // Assigning a definition to itself keeps everything.
    target.Assign(target);
    EXPECT_EQ(target.SeriesCount(), 1);
    EXPECT_EQ(target.GetAnyAxis(2).LabelCount(), 1);
}

TEST(GraphDefinition, ScaleMultipliesEveryPixelMeasure)
{
    TGraphDefinition d;
    Populate(d);
    d.Scale(1);
    EXPECT_EQ(d.Width(), 600);
    EXPECT_EQ(d.ScaleFactor(), 1);

    TAxisDefinition &axis = d.GetDependentAxis(1);
    TSeriesDefinition &series = d.GetSeries(1);
    d.Scale(5);
    EXPECT_EQ(d.Width(), 3000);
    EXPECT_EQ(d.Height(), 2000);
    EXPECT_EQ(d.GetLabelDimension(gsLeft), 175);
    EXPECT_EQ(d.GetTitleDimension(gsTop), 250);
    EXPECT_EQ(d.ScaleFactor(), 5);
    // Elements keep their identity across a Scale.
    EXPECT_EQ(&axis, &d.GetDependentAxis(1));
    EXPECT_EQ(&series, &d.GetSeries(1));
    EXPECT_EQ(axis.LabelOffset(), 50);
    EXPECT_EQ(axis.CaptionPosition(), 200);
    EXPECT_EQ(axis.LabelFont().PixelSize(), 55);
    EXPECT_EQ(axis.Pen().width(), 2); // gridline pens keep their width
    EXPECT_EQ(axis.Range(), TDoubleRect(0, 100, 50, 1000));
    EXPECT_EQ(axis.GetLabel(1).Value(), 3.0);
    EXPECT_EQ(series.Marker().Size(), 75);
    EXPECT_EQ(series.Marker().HalfSize(), 37);
    EXPECT_EQ(series.Marker().MarkerPen().width(), 5);
    EXPECT_EQ(series.Marker().LinePen().width(), 2);
    EXPECT_EQ(d.GetTitle(1).X(), 350);
    EXPECT_EQ(d.GetTitle(1).Font().PixelSize(), 100);
    const TLegendDefinition &legend = d.Legend();
    EXPECT_EQ(legend.Top(), 350);
    EXPECT_EQ(legend.Width(), 600);
    EXPECT_EQ(legend.RowHeight(), 150);
    EXPECT_EQ(legend.TextY(), 5);
    EXPECT_EQ(legend.Font().PixelSize(), 55);
    EXPECT_EQ(legend.GetCell(1).Marker().Size(), 75);
    EXPECT_TRUE(d.DimensionsFit());

    d.Scale(2);
    EXPECT_EQ(d.ScaleFactor(), 10);
    EXPECT_EQ(d.Width(), 6000);
}

TEST(GraphDefinition, RefusedScalesChangeNothing)
{
    TGraphDefinition d;
    Populate(d);
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { d.Scale(0); }),
              "TGraphDefinition: Scale factor 0 is invalid.");
    EXPECT_EQ(d.Width(), 600);
    EXPECT_EQ(d.GetSeries(1).Marker().Size(), 15);

    // An overflow late in the walk (the legend) must not leave the axes scaled.
    d.Legend().SetRowHeight(1000000000);
    EXPECT_THROW(d.Scale(5), EIntOverflow);
    EXPECT_EQ(d.GetDependentAxis(1).LabelOffset(), 10);
    EXPECT_EQ(d.GetSeries(1).Marker().Size(), 15);
    EXPECT_EQ(d.Width(), 600);
    EXPECT_EQ(d.ScaleFactor(), 1);

    TAxisDefinition axis;
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { axis.Scale(0); }),
              "TAxisDefinition: Scale factor 0 is invalid.");
    TTitleDefinition title;
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { title.Scale(-2); }),
              "TTitleDefinition: Scale factor -2 is invalid.");
    TSeriesDefinition series;
    EXPECT_EQ(MessageOf<EInvalidScaleError>([&] { series.Scale(0); }),
              "TMarkerDefinition: Scale factor 0 is invalid.");
    TLegendDefinition legend;
    legend.SetWidth(120);
    EXPECT_THROW(legend.Scale(0), EInvalidScaleError);
    EXPECT_EQ(legend.Width(), 120);
}
