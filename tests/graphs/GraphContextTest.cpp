#include "graphs/GraphContext.h"
#include "RecordingCanvas.h"
#include "foundation/CustomUtilities.h"
#include "graphs/Transformers.h"

#include <QDir>
#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The worked layout: 400 x 300, left label 40, left title 20, bottom label 30,
// bottom title 20, all others 0.
void WorkedBands(TGraphDefinition &d)
{
    d.SetWidth(400);
    d.SetHeight(300);
    d.SetLabelDimension(gsLeft, 40);
    d.SetTitleDimension(gsLeft, 20);
    d.SetLabelDimension(gsBottom, 30);
    d.SetTitleDimension(gsBottom, 20);
}

std::unique_ptr<TAxisDefinition> NewAxis(TGraphSide side, const TDoubleRect &range)
{
    auto axis = std::make_unique<TAxisDefinition>();
    axis->SetSide(side);
    axis->SetRange(range);
    axis->SetLabelOffset(5);
    return axis;
}

std::unique_ptr<TSeriesDefinition> NewSeries(const TDoubleRect &range, const QColor &colour)
{
    auto series = std::make_unique<TSeriesDefinition>();
    series->SetRange(range);
    series->Marker().SetLinePen(QPen(colour, 1));
    series->Marker().SetMarkerPen(QPen(colour, 1));
    series->Marker().SetMarkerBrush(QBrush(colour));
    return series;
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
    // The margins: x < 60 and y >= 250.
    const auto fills = canvas.OfKind("FillRect");
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[0].Points, (std::vector<QPoint>{{0, 0}, {400, 300}})); // background
    EXPECT_EQ(fills[1].Points, (std::vector<QPoint>{{0, 0}, {60, 300}}));
    EXPECT_EQ(fills[4].Points, (std::vector<QPoint>{{0, 250}, {400, 300}}));

    d.Scale(5);
    EXPECT_EQ(d.Width(), 2000);
    EXPECT_EQ(d.Height(), 1500);
    EXPECT_EQ(d.GetLabelDimension(gsLeft), 200);
    EXPECT_EQ(d.GetTitleDimension(gsLeft), 100);
    EXPECT_EQ(d.GetLabelDimension(gsBottom), 150);
    EXPECT_EQ(d.GetTitleDimension(gsBottom), 100);
    context.Draw(canvas, d, {});
    EXPECT_EQ(context.DeviceRect(), (TRect{302, 2, 1997, 1247}));
}

TEST(GraphContext, PassOrderAndWhatEachStepUses)
{
    TGraphDefinition d;
    WorkedBands(d);
    d.SetBrush(QBrush(Qt::lightGray));
    auto pressure = NewAxis(gsLeft, TDoubleRect(0, 100, 1, 1000));
    pressure->AddGridline(100);
    pressure->AddGridline(1000);
    pressure->AddLabel("100", 100);
    pressure->SetPen(QPen(Qt::blue, 1));
    d.AddIndependentAxis(std::move(pressure));
    auto values = NewAxis(gsBottom, TDoubleRect(0, 1, 100, 2));
    values->AddGridline(50);
    values->AddLabel("50.0", 50);
    values->SetCaption("A");
    values->SetCaptionPosition(40);
    d.AddDependentAxis(std::move(values));
    d.AddSeries(NewSeries(TDoubleRect(0, 100, 100, 1000), Qt::red));
    auto title = std::make_unique<TTitleDefinition>();
    title->SetText("mbar");
    title->SetSide(gsBottom);
    title->SetX(10);
    title->SetY(2);
    d.AddTitle(std::move(title));

    TGraphContext context;
    context.SetTransformer(std::make_unique<TLogPTransformer>());
    TRecordingCanvas canvas;
    context.Draw(canvas, d, {{{50, 100}, {100, 1000}}});

    QStringList kinds;
    for (const TRecordedOp &op : canvas.Ops)
        kinds << op.Kind;
    EXPECT_EQ(kinds.join(' '),
              "FillRect LineTo LineTo LineTo Polyline Ellipse Ellipse "
              "FillRect FillRect FillRect FillRect TextOut TextOut TextOut TextOut");
    // Gridlines: independent axis first, in its own pen, through the log mapping.
    EXPECT_EQ(canvas.Ops[0].Brush, QBrush(Qt::lightGray));
    EXPECT_EQ(canvas.Ops[1].Points, (std::vector<QPoint>{{0, 0}, {400, 0}}));
    EXPECT_EQ(canvas.Ops[2].Points, (std::vector<QPoint>{{0, 249}, {400, 249}}));
    EXPECT_EQ(canvas.Ops[1].Pen, QPen(Qt::blue, 1));
    // 60 + 339 / 2 = 229.5 -> 230 (ties to even)
    EXPECT_EQ(canvas.Ops[3].Points, (std::vector<QPoint>{{230, 0}, {230, 300}}));
    // The series in its own range.
    EXPECT_EQ(canvas.Ops[4].Points, (std::vector<QPoint>{{230, 0}, {399, 249}}));
    // Labels: "100" (3 x 6 wide, 13 high) right-aligned at 60 - 5, centred on y 0.
    EXPECT_EQ(canvas.Ops[11].Points[0], QPoint(60 - 5 - 18, 0 - 6));
    EXPECT_EQ(canvas.Ops[12].Points[0], QPoint(230 - 12, 250 + 5)); // "50.0" 24 wide
    EXPECT_EQ(canvas.Ops[13].Points[0], QPoint(40, 255));           // caption
    EXPECT_EQ(canvas.Ops[14].Points[0], QPoint(10, 282));           // bottom title
    // The canvas is left as it was found.
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));
    EXPECT_EQ(canvas.Brush(), QBrush(Qt::white));
    EXPECT_EQ(canvas.Font(), TFont());
}

TEST(GraphContext, InvisibleAxesAndSeriesDrawNothing)
{
    TGraphDefinition d;
    WorkedBands(d);
    auto axis = NewAxis(gsRight, TDoubleRect(0, 10, 1, 0));
    axis->AddGridline(5);
    axis->AddLabel("5", 5);
    axis->SetCaption("C");
    axis->SetVisible(false);
    d.AddDependentAxis(std::move(axis));
    auto hidden = NewSeries(TDoubleRect(0, 10, 10, 0), Qt::red);
    hidden->SetVisible(false);
    d.AddSeries(std::move(hidden));
    d.AddSeries(NewSeries(TDoubleRect(0, 10, 10, 0), Qt::blue));

    TGraphContext context;
    TRecordingCanvas canvas;
    // The hidden series still takes its place in the point lists.
    context.Draw(canvas, d, {{{1, 1}, {2, 2}}, {{5, 5}, {6, 6}}});
    const auto lines = canvas.OfKind("Polyline");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Pen.color(), QColor(Qt::blue));
    EXPECT_TRUE(canvas.OfKind("LineTo").empty());
    EXPECT_TRUE(canvas.OfKind("TextOut").empty());
}

TEST(GraphContext, LegendRowsSkipHiddenCellsAndNarrowTheDataGraph)
{
    TGraphDefinition d;
    WorkedBands(d);
    d.SetLabelDimension(gsRight, 30);
    auto right = NewAxis(gsRight, TDoubleRect(0, 10, 1, 0));
    right->AddLabel("5", 5);
    d.AddDependentAxis(std::move(right));
    TLegendDefinition &legend = d.Legend();
    legend.SetTop(70), legend.SetWidth(120), legend.SetRowHeight(30);
    legend.SetMarkerX(10), legend.SetMarkerY(10), legend.SetTextX(40), legend.SetTextY(0);
    for (int i = 1; i <= 3; ++i) {
        auto cell = std::make_unique<TLegendCellDefinition>();
        cell->SetText(QStringLiteral("cell %1").arg(i));
        cell->SetVisible(i != 2);
        legend.AddCell(std::move(cell));
    }
    legend.Font().SetPixelSize(14);

    TGraphContext context;
    TRecordingCanvas canvas;
    context.Draw(canvas, d, {});
    EXPECT_TRUE(canvas.OfKind("Ellipse").empty()); // legend hidden on screen

    d.SetLegendVisible(true);
    canvas.Ops.clear();
    context.Draw(canvas, d, {});
    EXPECT_EQ(context.DataGraph().Width(), 280);
    EXPECT_EQ(context.DeviceRect().Right, 280 - 30 - 1);
    const auto texts = canvas.OfKind("TextOut");
    ASSERT_EQ(texts.size(), 3u);
    // The right label moved left with the narrower data graph.
    EXPECT_EQ(texts[0].Points[0], QPoint(280 - 30 + 5, 125 - 6));
    EXPECT_EQ(texts[1].Text, "cell 1");
    EXPECT_EQ(texts[1].Points[0], QPoint(320, 70));
    EXPECT_EQ(texts[2].Text, "cell 3");
    EXPECT_EQ(texts[2].Points[0], QPoint(320, 100));
    EXPECT_EQ(texts[2].Font.PixelSize(), 14);
    const auto markers = canvas.OfKind("Ellipse");
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[1].Points, (std::vector<QPoint>{{283, 103}, {297, 117}}));
    // The strip is filled with the background brush.
    const auto fills = canvas.OfKind("FillRect");
    EXPECT_EQ(fills.back().Points, (std::vector<QPoint>{{280, 0}, {400, 300}}));
    EXPECT_EQ(canvas.Font(), TFont());
}

TEST(GraphContext, PassesThatCannotStartDrawNothing)
{
    TGraphDefinition d;
    d.AddSeries(NewSeries(TDoubleRect(0, 10, 10, 0), Qt::red));
    d.AddSeries(NewSeries(TDoubleRect(0, 10, 10, 0), Qt::red));
    TGraphContext context;
    TRecordingCanvas canvas;
    EXPECT_THROW(context.Draw(canvas, d, {{{1, 1}}}), EListIndexError);
    EXPECT_TRUE(canvas.Ops.empty());

    TGraphDefinition narrow;
    narrow.Legend().SetWidth(120);
    narrow.SetLegendVisible(true);
    try {
        context.Draw(canvas, narrow, {});
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
    d.SetLabelDimension(gsBottom, 20);
    d.SetBrush(QBrush(Qt::white));
    // A horizontal line across the whole world and beyond, with a marker on
    // the left plot edge and one far outside.
    d.AddSeries(NewSeries(TDoubleRect(0, 10, 10, 0), Qt::red));
    TGraphContext context;
    const QImage image = DrawWith(context, d, {{{-5, 5}, {0, 5}, {15, 5}, {5, -4}}});
    const QRect plot(30, 0, 169, 129); // DeviceRect (30, 0, 199, 129)
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0);
    const int y = 64; // world 5: 64.5 rounds to even
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(image.pixel(x, y), white) << x;
    for (int x = 38; x < 199; ++x)
        EXPECT_EQ(image.pixel(x, y), red) << x;
    // The marker on the edge is cut at the band edge.
    EXPECT_EQ(image.pixel(30, 59), red);
    EXPECT_EQ(image.pixel(29, 59), white);
    // Nothing below the plot area.
    for (int yy = 130; yy < 150; ++yy)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(image.pixel(x, yy), white) << x << "," << yy;
    // The line towards (5, -4) reaches the last row of the plot area.
    bool reached = false;
    for (int x = plot.left(); x <= plot.right(); ++x)
        reached |= image.pixel(x, 129) == red;
    EXPECT_TRUE(reached);

    // An invisible series leaves exactly the empty graph.
    d.GetSeries(1).SetVisible(false);
    const QImage hidden = DrawWith(context, d, {{{-5, 5}, {0, 5}, {15, 5}}});
    TGraphDefinition empty;
    empty.Assign(d);
    empty.ClearSeries();
    EXPECT_EQ(hidden, DrawWith(context, empty, {}));
}

namespace {

// A small graph with every kind of element, as a log-pressure graph draws it.
void ReferenceDefinition(TGraphDefinition &d)
{
    d.SetWidth(200);
    d.SetHeight(150);
    d.SetTitleDimension(gsTop, 22);
    d.SetLabelDimension(gsLeft, 30);
    d.SetLabelDimension(gsRight, 10);
    d.SetLabelDimension(gsBottom, 20);
    d.SetBrush(QBrush(QColor(240, 240, 240)));
    auto pressure = NewAxis(gsLeft, TDoubleRect(0, 100, 1, 1000));
    pressure->SetPen(QPen(QColor(0, 0, 128), 1));
    pressure->LabelFont().SetColor(QColor(0, 0, 128));
    for (int p = 100; p <= 1000; p += 300) {
        pressure->AddGridline(p);
        pressure->AddLabel(FormatFixed(p, 0), p);
    }
    d.AddIndependentAxis(std::move(pressure));
    auto values = NewAxis(gsBottom, TDoubleRect(0, 1, 40, 2));
    values->SetPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
    for (int v = 0; v <= 40; v += 10) {
        values->AddGridline(v);
        values->AddLabel(FormatFixed(v, 0), v);
    }
    d.AddDependentAxis(std::move(values));
    auto temperature = NewSeries(TDoubleRect(0, 100, 40, 1000), QColor(255, 0, 0));
    temperature->Marker().SetSize(7);
    d.AddSeries(std::move(temperature));
    auto dewpoint = NewSeries(TDoubleRect(0, 100, 40, 1000), QColor(0, 128, 0));
    dewpoint->Marker().SetShape(dmTriangle);
    dewpoint->Marker().SetSize(9);
    dewpoint->Marker().SetMarkerBrush(QBrush(Qt::NoBrush));
    dewpoint->Marker().SetLinePen(QPen(QColor(0, 128, 0), 2));
    d.AddSeries(std::move(dewpoint));
    auto title = std::make_unique<TTitleDefinition>();
    title->SetText("Kestrin");
    title->Font().SetPixelSize(16);
    title->SetX(60);
    title->SetY(2);
    d.AddTitle(std::move(title));
}

TDataPointLists ReferencePoints()
{
    return {{{30, 1000}, {25, 850}, {18, 700}, {12, 500}, {5, 300}, {-4, 150}},
            {{20, 1000}, {16, 800}, {9, 600}, {2, 400}}};
}

// Differences from anti-aliasing-free font rendering across machines stay
// small: allow a few per cent of the pixels to differ noticeably.
double DifferingFraction(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) >
                60)
                ++differing;
        }
    return double(differing) / (a.width() * a.height());
}

} // namespace

TEST(GraphContext, SmallGraphMatchesItsReferenceImage)
{
    TGraphDefinition d;
    ReferenceDefinition(d);
    TGraphContext context;
    context.SetTransformer(std::make_unique<TLogPTransformer>());
    const QImage image = DrawWith(context, d, ReferencePoints());
    const QString path =
        QStringLiteral(VENTREL_SOURCE_DIR "/tests/graphs/reference/small_graph.png");
    if (std::getenv("VENTREL_WRITE_REFERENCE")) {
        ASSERT_TRUE(image.save(path));
        GTEST_SKIP() << "reference written to " << path.toStdString();
    }
    QImage reference(path);
    ASSERT_FALSE(reference.isNull()) << path.toStdString();
    reference = reference.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(reference.size(), image.size());
    EXPECT_LT(DifferingFraction(image, reference), 0.02);

    // The comparison does notice a real change: the series moved by a pixel.
    TDataPointLists shifted = ReferencePoints();
    for (TDataPoint &p : shifted[0])
        p.X += 1.0;
    EXPECT_GT(DifferingFraction(DrawWith(context, d, shifted), reference), 0.002);
}
