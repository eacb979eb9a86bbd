#include "pipeline/Graph.h"
#include "foundation/CustomUtilities.h"
#include "pipeline/GraphParameters.h"

#include <QDomDocument>
#include <gtest/gtest.h>

namespace {

// A minimal graph kind: one series of (channel 1, pressure) on a linear
// context, with a legend cell for it.
class TTestGraph : public TGraph
{
  public:
    TTestGraph() : FPointLists(1)
    {
        TGraphDefinition &d = ScreenDefinition();
        d.SetWidth(500);
        d.SetHeight(400);
        d.SetLabelDimension(gsLeft, 40);
        d.SetLabelDimension(gsBottom, 30);
        auto series = std::make_unique<TSeriesDefinition>();
        series->SetRange(TDoubleRect(0, 1000, 100, 0));
        series->Marker().SetMarkerBrush(QBrush(Qt::red));
        d.AddSeries(std::move(series));
        TLegendDefinition &legend = d.Legend();
        legend.SetTop(70), legend.SetWidth(120), legend.SetRowHeight(30);
        legend.SetMarkerX(10), legend.SetMarkerY(10), legend.SetTextX(40);
        auto cell = std::make_unique<TLegendCellDefinition>();
        cell->SetText("A Temperature");
        cell->SetVisible(true);
        cell->Marker().SetMarkerBrush(QBrush(Qt::blue));
        legend.AddCell(std::move(cell));
        Clear();
    }
    void AddData(const TDataPacketList &packets, int32_t first) override
    {
        for (size_t i = size_t(std::max(first, 0)); i < packets.size(); ++i)
            FPointLists[0].push_back(TDataPoint(packets[i].Value(1), packets[i].Pressure()));
    }
    void Clear() override { FPointLists[0].clear(); }
    void Redraw() override { DrawScreenImage(FContext, FPointLists); }
    std::unique_ptr<QImage> CreatePrintImage() override
    {
        return DrawPrintImage(FContext, FPointLists);
    }

  private:
    TGraphContext FContext;
    TDataPointLists FPointLists;
};

bool HasColour(const QImage &image, const QRect &area, QRgb colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

} // namespace

TEST(Graph, RedrawDrawsTheScreenDefinitionWithoutLegend)
{
    TTestGraph graph;
    EXPECT_TRUE(graph.Bitmap().isNull());
    TDataPacket packet;
    packet.SetValue(1, 50);
    packet.SetPressure(500);
    graph.AddData({packet}, 0);
    graph.Redraw();
    const QImage &bitmap = graph.Bitmap();
    ASSERT_EQ(bitmap.size(), QSize(500, 400));
    EXPECT_EQ(bitmap.dotsPerMeterX(), 3780);
    EXPECT_TRUE(HasColour(bitmap, QRect(260, 170, 30, 30), qRgb(255, 0, 0)));
    EXPECT_FALSE(HasColour(bitmap, QRect(0, 0, 500, 400), qRgb(0, 0, 255)));
}

TEST(Graph, PrintImagesAreFiveTimesLargerWithTheLegend)
{
    TTestGraph graph;
    TDataPacket packet;
    packet.SetValue(1, 50);
    packet.SetPressure(500);
    graph.AddData({packet}, 0);
    graph.Redraw();
    const std::unique_ptr<QImage> print = graph.CreatePrintImage();
    ASSERT_TRUE(print);
    EXPECT_EQ(print->size(), QSize(3100, 2000));
    EXPECT_EQ(print->dotsPerMeterX(), 3780);
    // The legend strip (x >= 2500) shows the cell's blue marker; the series'
    // red marker is in the plot area.
    EXPECT_TRUE(HasColour(*print, QRect(2500, 350, 600, 200), qRgb(0, 0, 255)));
    EXPECT_TRUE(HasColour(*print, QRect(1200, 900, 200, 200), qRgb(255, 0, 0)));
    EXPECT_EQ(graph.PrintDefinition().ScaleFactor(), 5);
    EXPECT_TRUE(graph.PrintDefinition().LegendVisible());
    // The screen keeps its layout; its bitmap is empty until the next redraw.
    EXPECT_EQ(graph.ScreenDefinition().Width(), 500);
    EXPECT_EQ(graph.ScreenDefinition().ScaleFactor(), 1);
    EXPECT_FALSE(graph.ScreenDefinition().LegendVisible());
    EXPECT_TRUE(graph.Bitmap().isNull());
    graph.Redraw();
    EXPECT_EQ(graph.Bitmap().size(), QSize(500, 400));
}

TEST(Graph, AFailedPrintLeavesTheBitmapAsItWas)
{
    TTestGraph graph;
    graph.Redraw();
    const QImage before = graph.Bitmap();
    graph.ScreenDefinition().Legend().SetWidth(500000000); // 5 x 500000500 overflows
    EXPECT_THROW(graph.CreatePrintImage(), EIntOverflow);
    EXPECT_EQ(graph.Bitmap(), before);
    EXPECT_FALSE(graph.Bitmap().isNull());

    // A transformer error in the print pass: the bitmap is kept as well.
    graph.ScreenDefinition().Legend().SetWidth(120);
    TDataPacket far;
    far.SetValue(1, 1e12);
    far.SetPressure(500);
    graph.AddData({far}, 0);
    EXPECT_THROW(graph.CreatePrintImage(), ERangeError);
    EXPECT_EQ(graph.Bitmap(), before);
}

TEST(Graph, PaintTargetCopiesIntoTheTargetAtScreenSize)
{
    TTestGraph graph;
    graph.PaintTarget(); // no target: nothing to do
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::green);
    graph.SetTarget(&target);
    graph.PaintTarget(); // nothing drawn yet: resized, old content kept where it fits
    ASSERT_EQ(target.size(), QSize(500, 400));
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 255, 0));

    graph.Redraw();
    graph.PaintTarget();
    EXPECT_EQ(target.convertToFormat(QImage::Format_RGB32), graph.Bitmap());

    // After a print image the screen bitmap is empty: the target keeps its picture.
    const QImage shown = target;
    graph.CreatePrintImage();
    graph.PaintTarget();
    EXPECT_EQ(target, shown);
}

namespace {

class TOtherParameters : public TGraphParameters
{
  public:
    QString ClassName() const override { return QStringLiteral("TOtherParameters"); }
    std::unique_ptr<TGraphParameters> Clone() const override
    {
        auto copy = std::make_unique<TOtherParameters>();
        copy->Assign(*this);
        return copy;
    }
    void Assign(const TGraphParameters &source) override
    {
        CheckSameClass(source);
        TGraphParameters::Assign(source);
        Extra = dynamic_cast<const TOtherParameters &>(source).Extra;
    }
    int Extra = 0;
};

} // namespace

TEST(GraphParameters, DefaultsXmlAndAssignment)
{
    TGraphParameters p;
    EXPECT_EQ(p.Width(), 200);
    EXPECT_EQ(p.Height(), 200);
    p.SetWidth(640);
    p.SetHeight(480);
    QDomDocument doc;
    QDomElement root = doc.createElement("StandardGraph");
    doc.appendChild(root);
    p.SaveToXML(root);
    EXPECT_EQ(root.firstChildElement().tagName(), "Height");
    EXPECT_EQ(root.firstChildElement().text(), "480");
    EXPECT_EQ(root.lastChildElement().tagName(), "Width");
    TGraphParameters loaded;
    loaded.LoadFromXML(root);
    EXPECT_EQ(loaded.Width(), 640);
    EXPECT_EQ(loaded.Height(), 480);
    root.lastChildElement().firstChild().setNodeValue("wide");
    EXPECT_THROW(loaded.LoadFromXML(root), EConvertError);

    TOtherParameters other;
    other.Extra = 7;
    other.SetWidth(10);
    const std::unique_ptr<TGraphParameters> clone = other.Clone();
    EXPECT_EQ(clone->ClassName(), "TOtherParameters");
    EXPECT_EQ(clone->Width(), 10);
    EXPECT_EQ(static_cast<TOtherParameters &>(*clone).Extra, 7);
    try {
        other.Assign(p);
        FAIL() << "assignment across classes accepted";
    } catch (const EGraphAssignmentError &e) {
        EXPECT_EQ(e.Message(), "Cannot assign TGraphParameters to TOtherParameters");
    }
    EXPECT_EQ(other.Width(), 10);
}
