#include "graphs/MarkerDefinition.h"
#include "RecordingCanvas.h"
#include "foundation/LocalUtilities.h"
#include "graphs/GraphErrors.h"

#include <QDomDocument>
#include <gtest/gtest.h>

TEST(MarkerDefinition, ShapeGeometry)
{
    TRecordingCanvas canvas;
    TMarkerDefinition m; // a circle of size 15, radius 7
    EXPECT_EQ(m.HalfSize(), 7);
    m.SetMarkerPen(QPen(Qt::blue, 2));
    m.SetMarkerBrush(QBrush(Qt::yellow));
    m.DrawMarker(canvas, QPoint(100, 50));
    m.SetSize(16);
    m.DrawMarker(canvas, QPoint(100, 50));
    m.SetShape(dmSquare);
    m.DrawMarker(canvas, QPoint(10, 20));
    m.SetShape(dmTriangle);
    m.SetSize(15);
    m.DrawMarker(canvas, QPoint(100, 50)); // r = 7: 6.06 -> 6 across, 3.5 -> 4 down
    m.SetSize(11);
    m.DrawMarker(canvas, QPoint(100, 50)); // r = 5: 4.33 -> 4 across, 2.5 -> 2 down
    m.SetShape(dmNone);
    m.DrawMarker(canvas, QPoint(100, 50));

    ASSERT_EQ(canvas.Ops.size(), 5u);
    EXPECT_EQ(canvas.Ops[0].Kind, "Ellipse");
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{93, 43}, {107, 57}}));
    EXPECT_EQ(canvas.Ops[1].Points, (std::vector<QPoint>{{92, 42}, {108, 58}}));
    EXPECT_EQ(canvas.Ops[2].Kind, "Rectangle");
    EXPECT_EQ(canvas.Ops[2].Points, (std::vector<QPoint>{{2, 12}, {18, 28}}));
    EXPECT_EQ(canvas.Ops[3].Points, (std::vector<QPoint>{{100, 43}, {94, 54}, {106, 54}}));
    EXPECT_EQ(canvas.Ops[4].Points, (std::vector<QPoint>{{100, 45}, {96, 52}, {104, 52}}));
    // Drawn with the marker's pen and brush; the canvas's own are put back.
    EXPECT_EQ(canvas.Ops[0].Pen, QPen(Qt::blue, 2));
    EXPECT_EQ(canvas.Ops[0].Brush, QBrush(Qt::yellow));
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));
    EXPECT_EQ(canvas.Brush(), QBrush(Qt::white));
}

TEST(MarkerDefinition, LegendSample)
{
    TRecordingCanvas canvas;
    TMarkerDefinition m;
    m.SetShape(dmNone);
    m.SetLinePen(QPen(Qt::green, 3));
    canvas.MoveTo(1, 2);
    m.DrawLegendSample(canvas, QPoint(100, 40)); // the line alone
    m.SetShape(dmSquare);
    m.DrawLegendSample(canvas, QPoint(100, 40)); // line, then marker on top
    ASSERT_EQ(canvas.Ops.size(), 3u);
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{90, 40}, {120, 40}}));
    EXPECT_EQ(canvas.Ops[0].Pen, QPen(Qt::green, 3));
    EXPECT_EQ(canvas.Ops[2].Kind, "Rectangle");
    EXPECT_EQ(canvas.PenPos(), QPoint(1, 2));
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));
}

TEST(MarkerDefinition, ScaleForPrint)
{
    TMarkerDefinition m;
    m.SetMarkerPen(QPen(Qt::red, 2));
    m.SetLinePen(QPen(Qt::blue, 3));
    m.Scale(5);
    EXPECT_EQ(m.Size(), 75);
    EXPECT_EQ(m.HalfSize(), 37);
    EXPECT_EQ(m.LegendLineStart(), -50);
    EXPECT_EQ(m.LegendLineEnd(), 100);
    EXPECT_EQ(m.MarkerPen().width(), 10);
    EXPECT_EQ(m.LinePen().width(), 3); // printed lines keep their width

    const TMarkerDefinition before = m;
    try {
        m.Scale(0);
        FAIL();
    } catch (const EInvalidScaleError &e) {
        EXPECT_EQ(e.Message(), "TMarkerDefinition: Scale factor 0 is invalid.");
    }
    EXPECT_TRUE(m == before);
    m.SetLegendLineEnd(1000000000); // the last product overflows: nothing changes
    const TMarkerDefinition big = m;
    EXPECT_THROW(m.Scale(5), EIntOverflow);
    EXPECT_TRUE(m == big);
}

TEST(MarkerDefinition, ShapeNames)
{
    for (TDataMarker s : {dmCircle, dmSquare, dmTriangle, dmNone})
        EXPECT_EQ(TMarkerDefinition::ShapeFromName(TMarkerDefinition::ShapeName(s)), s);
    EXPECT_EQ(TMarkerDefinition::ShapeName(dmTriangle), "Triangle");
    EXPECT_EQ(TMarkerDefinition::ShapeFromName("square"), dmCircle);
}

TEST(MarkerDefinition, Xml)
{
    TMarkerDefinition m;
    m.SetShape(dmTriangle);
    m.SetSize(9);
    m.SetMarkerPen(QPen(QColor(1, 2, 3), 4));
    m.SetMarkerBrush(QBrush(QColor(10, 20, 30)));
    m.SetLinePen(QPen(QColor(0, 0, 128), 2));
    m.SetLineBrush(QBrush(QColor(255, 0, 0)));
    m.Scale(2); // the legend line offsets are not stored
    QDomDocument doc;
    QDomElement root = doc.createElement("Series");
    doc.appendChild(root);
    m.SaveToXML(root);
    EXPECT_EQ(doc.toString(-1),
              "<Series><Marker><Symbol>Triangle</Symbol><Size>18</Size><Pen><Color>197121</Color>"
              "<Width>8</Width></Pen><Brush><Color>1971210</Color></Brush></Marker><Line><Pen>"
              "<Color>8388608</Color><Width>2</Width></Pen><Brush><Color>255</Color></Brush>"
              "</Line></Series>");
    TMarkerDefinition loaded;
    loaded.LoadFromXML(root);
    m.SetLegendLineStart(-10);
    m.SetLegendLineEnd(20);
    EXPECT_TRUE(loaded == m);

    // Loading starts from the defaults and stops at a Size that is no integer.
    QDomElement symbol = root.firstChildElement().firstChildElement("Symbol");
    symbol.firstChild().setNodeValue("Square");
    root.firstChildElement().firstChildElement("Size").firstChild().setNodeValue("big");
    EXPECT_THROW(loaded.LoadFromXML(root), EConvertError);
    EXPECT_EQ(loaded.Shape(), dmSquare);
    EXPECT_EQ(loaded.Size(), 15);
    EXPECT_EQ(loaded.LinePen(), DefaultPen());
}
