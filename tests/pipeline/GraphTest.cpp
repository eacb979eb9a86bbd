#include "pipeline/Graph.h"
#include "pipeline/GraphParameters.h"

#include <QDomDocument>
#include <gtest/gtest.h>

namespace {

// A minimal graph kind: one series of (channel 1, pressure), red markers on
// screen, a blue legend marker.
class TTestGraph : public TGraph
{
  public:
    TTestGraph() : FPointLists(1)
    {
        TGraphDefinition &d = ScreenDefinition();
        d.SetWidth(500);
        d.SetHeight(400);
        d.SetLabelDimension(gsLeft, 40);
        auto series = std::make_unique<TSeriesDefinition>();
        series->SetRange(TDoubleRect(0, 1000, 100, 0));
        series->Marker().SetMarkerBrush(QBrush(Qt::red));
        d.AddSeries(std::move(series));
        d.Legend().SetTop(70), d.Legend().SetWidth(120), d.Legend().SetMarkerX(10);
        auto cell = std::make_unique<TLegendCellDefinition>();
        cell->SetVisible(true);
        cell->Marker().SetMarkerBrush(QBrush(Qt::blue));
        d.Legend().AddCell(std::move(cell));
    }
    void AddData(const TDataPacketList &packets, int32_t first) override
    {
        for (size_t i = size_t(first); i < packets.size(); ++i)
            FPointLists[0].push_back(TDataPoint(packets[i].Value(1), packets[i].Pressure()));
    }
    void Clear() override { FPointLists[0].clear(); }
    void Redraw() override { DrawScreenImage(FContext, FPointLists); }
    std::unique_ptr<QImage> CreatePrintImage() override
    {
        return DrawPrintImage(FContext, FPointLists);
    }
    void AddPoint(double value, double pressure)
    {
        TDataPacket packet;
        packet.SetValue(1, value);
        packet.SetPressure(pressure);
        AddData({packet}, 0);
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

TEST(Graph, ScreenAndPrintImages)
{
    TTestGraph graph;
    graph.AddPoint(50, 500);
    graph.Redraw();
    ASSERT_EQ(graph.Bitmap().size(), QSize(500, 400));
    EXPECT_EQ(graph.Bitmap().dotsPerMeterX(), 3780);
    EXPECT_TRUE(HasColour(graph.Bitmap(), QRect(260, 190, 30, 30), qRgb(255, 0, 0)));
    EXPECT_FALSE(HasColour(graph.Bitmap(), graph.Bitmap().rect(), qRgb(0, 0, 255)));

    const std::unique_ptr<QImage> print = graph.CreatePrintImage();
    ASSERT_TRUE(print);
    EXPECT_EQ(print->size(), QSize(3100, 2000)); // (500 + 120) x 400, five times
    EXPECT_TRUE(HasColour(*print, QRect(2500, 0, 600, 2000), qRgb(0, 0, 255)));
    EXPECT_TRUE(HasColour(*print, QRect(1300, 950, 200, 200), qRgb(255, 0, 0)));
    // The screen keeps its layout, hidden legend and size; its bitmap is
    // empty until the next Redraw.
    EXPECT_EQ(graph.ScreenDefinition().Width(), 500);
    EXPECT_EQ(graph.ScreenDefinition().ScaleFactor(), 1);
    EXPECT_FALSE(graph.ScreenDefinition().LegendVisible());
    EXPECT_TRUE(graph.Bitmap().isNull());
}

TEST(Graph, AFailedPrintLeavesTheBitmapAsItWas)
{
    TTestGraph graph;
    graph.Redraw();
    const QImage before = graph.Bitmap();
    graph.ScreenDefinition().Legend().SetWidth(500000000); // five times 500000500 overflows
    EXPECT_THROW(graph.CreatePrintImage(), EIntOverflow);
    EXPECT_EQ(graph.Bitmap(), before);
    graph.ScreenDefinition().Legend().SetWidth(120);
    graph.AddPoint(1e12, 500); // a pixel beyond 32 bits in the print pass
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
    graph.PaintTarget(); // nothing drawn yet: resized, the old picture kept
    ASSERT_EQ(target.size(), QSize(500, 400));
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 255, 0));
    graph.Redraw();
    graph.PaintTarget();
    EXPECT_EQ(target, graph.Bitmap());
    const QImage shown = target; // after a print image there is nothing new to show
    graph.CreatePrintImage();
    graph.PaintTarget();
    EXPECT_EQ(target, shown);
}

namespace {

class TOtherParameters : public TGraphParameters
{
  public:
    QString ClassName() const override { return QStringLiteral("TOtherParameters"); }
    void Assign(const TGraphParameters &source) override
    {
        CheckSameClass(source);
        TGraphParameters::Assign(source);
    }
};

} // namespace

TEST(GraphParameters, XmlAndAssignment)
{
    TGraphParameters p;
    EXPECT_EQ(p.Width(), 200);
    EXPECT_EQ(p.Height(), 200);
    p.SetWidth(640);
    QDomDocument doc;
    QDomElement root = doc.createElement("StandardGraph");
    doc.appendChild(root);
    p.SaveToXML(root);
    EXPECT_EQ(doc.toString(-1),
              "<StandardGraph><Height>200</Height><Width>640</Width></StandardGraph>");
    TGraphParameters loaded;
    loaded.LoadFromXML(root);
    EXPECT_EQ(loaded.Width(), 640);
    root.lastChildElement().firstChild().setNodeValue("wide");
    EXPECT_THROW(loaded.LoadFromXML(root), EConvertError);

    TOtherParameters other;
    try {
        other.Assign(p);
        FAIL() << "assignment across classes accepted";
    } catch (const EGraphAssignmentError &e) {
        EXPECT_EQ(e.Message(), "Cannot assign TGraphParameters to TOtherParameters");
    }
    EXPECT_EQ(other.Width(), 200);
}
