#include "graphs/GraphContext.h"
#include "RecordingCanvas.h"
#include "foundation/CustomUtilities.h"
#include "graphs/Transformers.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The worked layout: 400 x 300, left label 40, left title 20, bottom label 30,
// bottom title 20, all others 0: DeviceRect (60, 0, 399, 249).
void WorkedBands(TGraphDefinition &d)
{
    d.SetWidth(400);
    d.SetHeight(300);
    d.SetLabelDimension(gsLeft, 40);
    d.SetTitleDimension(gsLeft, 20);
    d.SetLabelDimension(gsBottom, 30);
    d.SetTitleDimension(gsBottom, 20);
}

TAxisDefinition &AddAxis(TGraphDefinition &d, TGraphSide side, const TDoubleRect &range)
{
    auto axis = std::make_unique<TAxisDefinition>();
    axis->SetSide(side);
    axis->SetRange(range);
    axis->SetLabelOffset(5);
    TAxisDefinition &result = *axis;
    d.AddDependentAxis(std::move(axis));
    return result;
}

TSeriesDefinition &AddSeries(TGraphDefinition &d, const TDoubleRect &range, const QColor &colour)
{
    auto series = std::make_unique<TSeriesDefinition>();
    series->SetRange(range);
    series->Marker().SetLinePen(QPen(colour, 1));
    series->Marker().SetMarkerPen(QPen(colour, 1));
    series->Marker().SetMarkerBrush(QBrush(colour));
    TSeriesDefinition &result = *series;
    d.AddSeries(std::move(series));
    return result;
}

QImage DrawWith(TGraphContext &context, const TGraphDefinition &d, const TDataPointLists &lists)
{
    QImage image = NewGraphImage(d.Width(), d.Height());
    TCanvas canvas(image);
    context.Draw(canvas, d, lists);
    return image;
}

} // namespace

TEST(GraphContext, DeviceRectAtScaleOneAndFive)
{
    TGraphDefinition d;
    WorkedBands(d);
    TGraphContext context;
    TRecordingCanvas canvas;
    context.Draw(canvas, d, {});
    EXPECT_EQ(context.DeviceRect(), (TRect{60, 0, 399, 249}));
    const auto fills = canvas.OfKind("FillRect"); // margins: x < 60 and y >= 250
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[1].Points, (std::vector<QPoint>{{0, 0}, {60, 300}}));
    EXPECT_EQ(fills[4].Points, (std::vector<QPoint>{{0, 250}, {400, 300}}));
    d.Scale(5); // 2000 x 1500; left 200 + 100, bottom 150 + 100
    context.Draw(canvas, d, {});
    EXPECT_EQ(context.DeviceRect(), (TRect{302, 2, 1997, 1247}));
}

TEST(GraphContext, PassOrderAndWhatEachStepDraws)
{
    TGraphDefinition d;
    WorkedBands(d);
    TAxisDefinition &values = AddAxis(d, gsBottom, TDoubleRect(0, 1, 100, 2));
    values.AddGridline(50);
    values.AddLabel("50.0", 50);
    auto pressure = std::make_unique<TAxisDefinition>(); // independent: drawn first
    pressure->SetSide(gsLeft);
    pressure->SetRange(TDoubleRect(0, 100, 1, 1000));
    pressure->SetLabelOffset(5);
    pressure->AddGridline(1000);
    pressure->AddLabel("100", 100);
    d.AddIndependentAxis(std::move(pressure));
    AddSeries(d, TDoubleRect(0, 100, 100, 1000), Qt::red).Marker().SetShape(dmNone);

    TGraphContext context;
    context.SetTransformer(std::make_unique<TLogPTransformer>());
    TRecordingCanvas canvas;
    context.Draw(canvas, d, {{{50, 100}, {100, 1000}}});
    QStringList kinds;
    for (const TRecordedOp &op : canvas.Ops)
        kinds << op.Kind;
    EXPECT_EQ(
        kinds.join(' '),
        "FillRect LineTo LineTo Polyline FillRect FillRect FillRect FillRect TextOut TextOut");
    EXPECT_EQ(canvas.Ops[1].Points, (std::vector<QPoint>{{0, 249}, {400, 249}}));
    EXPECT_EQ(canvas.Ops[2].Points, (std::vector<QPoint>{{230, 0}, {230, 300}})); // 229.5
    EXPECT_EQ(canvas.Ops[3].Points, (std::vector<QPoint>{{230, 0}, {399, 249}}));
    // "100" is 18 x 13: right-aligned at 60 - 5, centred on y 0 (6.5 -> 6).
    EXPECT_EQ(canvas.Ops[8].Points[0], QPoint(37, -6));
    EXPECT_EQ(canvas.Ops[9].Points[0], QPoint(230 - 12, 255)); // "50.0" is 24 wide
    // The canvas is left as it was found.
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));
    EXPECT_EQ(canvas.Brush(), QBrush(Qt::white));
    EXPECT_EQ(canvas.Font(), TFont());
}

TEST(GraphContext, LegendRowsSkipHiddenCellsAndNarrowTheDataGraph)
{
    TGraphDefinition d;
    WorkedBands(d);
    d.SetLabelDimension(gsRight, 30);
    AddAxis(d, gsRight, TDoubleRect(0, 10, 1, 0)).AddLabel("5", 5);
    TLegendDefinition &legend = d.Legend();
    legend.SetTop(70), legend.SetWidth(120), legend.SetRowHeight(30);
    legend.SetMarkerX(10), legend.SetMarkerY(10), legend.SetTextX(40);
    for (int i = 1; i <= 3; ++i) {
        auto cell = std::make_unique<TLegendCellDefinition>();
        cell->SetText(QStringLiteral("cell %1").arg(i));
        cell->SetVisible(i != 2);
        legend.AddCell(std::move(cell));
    }
    TGraphContext context;
    TRecordingCanvas canvas;
    context.Draw(canvas, d, {});
    EXPECT_TRUE(canvas.OfKind("Ellipse").empty()); // hidden legend

    d.SetLegendVisible(true);
    canvas.Ops.clear();
    context.Draw(canvas, d, {});
    const auto texts = canvas.OfKind("TextOut");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].Points[0], QPoint(280 - 30 + 5, 125 - 6)); // right label moved left
    EXPECT_EQ(texts[1].Points[0], QPoint(320, 70));
    EXPECT_EQ(texts[2].Text, "cell 3");
    EXPECT_EQ(texts[2].Points[0], QPoint(320, 100)); // one row below cell 1
    const auto markers = canvas.OfKind("Ellipse");
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[1].Points, (std::vector<QPoint>{{283, 103}, {297, 117}}));
    EXPECT_EQ(canvas.OfKind("FillRect").back().Points,
              (std::vector<QPoint>{{280, 0}, {400, 300}})); // the strip
}

TEST(GraphContext, HiddenElementsAndPassesThatCannotStart)
{
    TGraphDefinition d;
    WorkedBands(d);
    TAxisDefinition &axis = AddAxis(d, gsRight, TDoubleRect(0, 10, 1, 0));
    axis.AddGridline(5);
    axis.AddLabel("5", 5);
    axis.SetCaption("C");
    axis.SetVisible(false);
    AddSeries(d, TDoubleRect(0, 10, 10, 0), Qt::red).SetVisible(false);
    AddSeries(d, TDoubleRect(0, 10, 10, 0), Qt::blue);
    TGraphContext context;
    TRecordingCanvas canvas;
    // The hidden series still takes its place in the point lists.
    context.Draw(canvas, d, {{{1, 1}, {2, 2}}, {{5, 5}, {6, 6}}});
    ASSERT_EQ(canvas.OfKind("Polyline").size(), 1u);
    EXPECT_EQ(canvas.OfKind("Polyline")[0].Pen.color(), QColor(Qt::blue));
    EXPECT_TRUE(canvas.OfKind("LineTo").empty() && canvas.OfKind("TextOut").empty());

    canvas.Ops.clear();
    EXPECT_THROW(context.Draw(canvas, d, {{{1, 1}}}), EListIndexError);
    d.Legend().SetWidth(401);
    d.SetLegendVisible(true);
    try {
        context.Draw(canvas, d, {{}, {}});
        FAIL() << "a legend wider than the image was drawn";
    } catch (const EGraphDimensionException &e) {
        EXPECT_EQ(e.Message(), "Width must be >= 0");
    }
    EXPECT_TRUE(canvas.Ops.empty());
}

TEST(GraphContext, MarginsCoverWhatStraysOutsideThePlotArea)
{
    TGraphDefinition d;
    d.SetWidth(200);
    d.SetHeight(150);
    d.SetLabelDimension(gsLeft, 30);
    d.SetLabelDimension(gsBottom, 20); // DeviceRect (30, 0, 199, 129)
    AddSeries(d, TDoubleRect(0, 10, 10, 0), Qt::red);
    TGraphContext context;
    // A line across the world and beyond at y 5 (64.5 -> 64), a marker on the
    // left edge, and a last segment down past the bottom.
    const QImage image = DrawWith(context, d, {{{-5, 5}, {0, 5}, {15, 5}, {5, -4}}});
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0);
    for (int x = 0; x < 200; ++x)
        EXPECT_EQ(image.pixel(x, 64), x < 30 ? white : red) << x;
    EXPECT_EQ(image.pixel(30, 59), red); // the edge marker is cut at the band edge
    EXPECT_EQ(image.pixel(29, 59), white);
    int belowPlot = 0, lastRow = 0;
    for (int x = 0; x < 200; ++x) {
        lastRow += image.pixel(x, 129) == red;
        for (int y = 130; y < 150; ++y)
            belowPlot += image.pixel(x, y) != white;
    }
    EXPECT_GT(lastRow, 0);
    EXPECT_EQ(belowPlot, 0);

    d.GetSeries(1).SetVisible(false); // an invisible series leaves the empty graph
    TGraphDefinition empty;
    empty.Assign(d);
    empty.ClearSeries();
    EXPECT_EQ(DrawWith(context, d, {{{-5, 5}, {15, 5}}}), DrawWith(context, empty, {}));
}

namespace {

// Pixels that differ noticeably, as a fraction of the image.
double DifferingFraction(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            differing += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                             std::abs(qBlue(p) - qBlue(q)) >
                         60;
        }
    return double(differing) / (a.width() * a.height());
}

} // namespace

// A small log-pressure graph with every kind of element. The tolerance
// allows for font rendering differing between machines.
TEST(GraphContext, SmallGraphMatchesItsReferenceImage)
{
    TGraphDefinition d;
    d.SetWidth(200);
    d.SetHeight(150);
    d.SetTitleDimension(gsTop, 22);
    d.SetLabelDimension(gsLeft, 30);
    d.SetLabelDimension(gsRight, 10);
    d.SetLabelDimension(gsBottom, 20);
    d.SetBrush(QBrush(QColor(240, 240, 240)));
    auto pressure = std::make_unique<TAxisDefinition>();
    pressure->SetSide(gsLeft);
    pressure->SetRange(TDoubleRect(0, 100, 1, 1000));
    pressure->SetLabelOffset(5);
    pressure->SetPen(QPen(QColor(0, 0, 128), 1));
    pressure->LabelFont().SetColor(QColor(0, 0, 128));
    for (int p = 100; p <= 1000; p += 300) {
        pressure->AddGridline(p);
        pressure->AddLabel(FormatFixed(p, 0), p);
    }
    d.AddIndependentAxis(std::move(pressure));
    TAxisDefinition &values = AddAxis(d, gsBottom, TDoubleRect(0, 1, 40, 2));
    values.SetPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
    for (int v = 0; v <= 40; v += 10) {
        values.AddGridline(v);
        values.AddLabel(FormatFixed(v, 0), v);
    }
    AddSeries(d, TDoubleRect(0, 100, 40, 1000), QColor(255, 0, 0)).Marker().SetSize(7);
    TMarkerDefinition &dew =
        AddSeries(d, TDoubleRect(0, 100, 40, 1000), QColor(0, 128, 0)).Marker();
    dew.SetShape(dmTriangle);
    dew.SetSize(9);
    dew.SetMarkerBrush(QBrush(Qt::NoBrush));
    dew.SetLinePen(QPen(QColor(0, 128, 0), 2));
    auto title = std::make_unique<TTitleDefinition>();
    title->SetText("Kestrin");
    title->Font().SetPixelSize(16);
    title->SetX(60);
    title->SetY(2);
    d.AddTitle(std::move(title));
    TDataPointLists points = {{{30, 1000}, {25, 850}, {18, 700}, {12, 500}, {5, 300}, {-4, 150}},
                              {{20, 1000}, {16, 800}, {9, 600}, {2, 400}}};

    TGraphContext context;
    context.SetTransformer(std::make_unique<TLogPTransformer>());
    const QImage image = DrawWith(context, d, points);
    const QString path =
        QStringLiteral(VENTREL_SOURCE_DIR "/tests/graphs/reference/small_graph.png");
    if (std::getenv("VENTREL_WRITE_REFERENCE")) {
        ASSERT_TRUE(image.save(path));
        GTEST_SKIP() << "reference written to " << path.toStdString();
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(reference.size(), image.size()) << path.toStdString();
    EXPECT_LT(DifferingFraction(image, reference), 0.02);
    // The comparison does notice a real change: the temperature one unit right.
    for (TDataPoint &p : points[0])
        p.X += 1.0;
    EXPECT_GT(DifferingFraction(DrawWith(context, d, points), reference), 0.002);
}
