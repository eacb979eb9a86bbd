#include "graphs/MarkerDefinition.h"
#include "RecordingCanvas.h"
#include "foundation/LocalUtilities.h"
#include "graphs/GraphErrors.h"

#include <QDomDocument>
#include <gtest/gtest.h>

TEST(MarkerDefinition, Defaults)
{
    TMarkerDefinition m;
    EXPECT_EQ(m.Shape(), dmCircle);
    EXPECT_EQ(m.Size(), 15);
    EXPECT_EQ(m.HalfSize(), 7);
    EXPECT_EQ(m.LegendLineStart(), -10);
    EXPECT_EQ(m.LegendLineEnd(), 20);
    EXPECT_EQ(m.LinePen(), DefaultPen());
    EXPECT_EQ(m.MarkerBrush(), DefaultBrush());
}

TEST(MarkerDefinition, ShapesAndTheirBoxes)
{
    TRecordingCanvas canvas;
    TMarkerDefinition m;
    m.SetMarkerPen(QPen(Qt::blue, 2));
    m.SetMarkerBrush(QBrush(Qt::yellow));
    m.DrawMarker(canvas, QPoint(100, 50));
    m.SetSize(16);
    EXPECT_EQ(m.HalfSize(), 8);
    m.DrawMarker(canvas, QPoint(100, 50));
    m.SetShape(dmSquare);
    m.DrawMarker(canvas, QPoint(10, 20));
    ASSERT_EQ(canvas.Ops.size(), 3u);
    EXPECT_EQ(canvas.Ops[0].Kind, "Ellipse");
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{93, 43}, {107, 57}}));
    EXPECT_EQ(canvas.Ops[1].Points, (std::vector<QPoint>{{92, 42}, {108, 58}}));
    EXPECT_EQ(canvas.Ops[2].Kind, "Rectangle");
    EXPECT_EQ(canvas.Ops[2].Points, (std::vector<QPoint>{{2, 12}, {18, 28}}));
    // Drawn with the marker's pen and brush; the canvas's own are put back.
    EXPECT_EQ(canvas.Ops[0].Pen, QPen(Qt::blue, 2));
    EXPECT_EQ(canvas.Ops[0].Brush, QBrush(Qt::yellow));
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));
    EXPECT_EQ(canvas.Brush(), QBrush(Qt::white));
}

TEST(MarkerDefinition, TrianglePointsRoundHalfToEven)
{
    TRecordingCanvas canvas;
    TMarkerDefinition m;
    m.SetShape(dmTriangle);
    m.DrawMarker(canvas, QPoint(100, 50)); // r = 7: 6.06 -> 6, 3.5 -> 4
    m.SetSize(11);                         // r = 5: 4.33 -> 4, 2.5 -> 2
    m.DrawMarker(canvas, QPoint(100, 50));
    ASSERT_EQ(canvas.Ops.size(), 2u);
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{100, 43}, {94, 54}, {106, 54}}));
    EXPECT_EQ(canvas.Ops[1].Points, (std::vector<QPoint>{{100, 45}, {96, 52}, {104, 52}}));
}

TEST(MarkerDefinition, NoneDrawsNothingAndItsLegendSampleIsTheLineAlone)
{
    TRecordingCanvas canvas;
    TMarkerDefinition m;
    m.SetShape(dmNone);
    m.DrawMarker(canvas, QPoint(5, 5));
    m.DrawMarkers(canvas, {QPoint(5, 5), QPoint(6, 6)});
    EXPECT_TRUE(canvas.Ops.empty());

    m.SetLinePen(QPen(Qt::green, 3));
    canvas.MoveTo(1, 2);
    m.DrawLegendSample(canvas, QPoint(100, 40));
    ASSERT_EQ(canvas.Ops.size(), 1u);
    EXPECT_EQ(canvas.Ops[0].Kind, "LineTo");
    EXPECT_EQ(canvas.Ops[0].Points, (std::vector<QPoint>{{90, 40}, {120, 40}}));
    EXPECT_EQ(canvas.Ops[0].Pen, QPen(Qt::green, 3));
    EXPECT_EQ(canvas.PenPos(), QPoint(1, 2));
    EXPECT_EQ(canvas.Pen(), QPen(Qt::black));

    // With a shape: the line first, the marker on top.
    m.SetShape(dmSquare);
    canvas.Ops.clear();
    m.DrawLegendSample(canvas, QPoint(100, 40));
    ASSERT_EQ(canvas.Ops.size(), 2u);
    EXPECT_EQ(canvas.Ops[1].Kind, "Rectangle");
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
    EXPECT_EQ(m.LinePen().width(), 3);

    const TMarkerDefinition before = m;
    try {
        m.Scale(0);
        FAIL() << "Scale(0) accepted";
    } catch (const EInvalidScaleError &e) {
        EXPECT_EQ(e.Message(), "TMarkerDefinition: Scale factor 0 is invalid.");
    }
    EXPECT_THROW(m.Scale(-3), EInvalidScaleError);
    EXPECT_TRUE(m == before);

    // An overflow in any product leaves the marker whole.
    m.SetLegendLineEnd(1000000000);
    const TMarkerDefinition big = m;
    EXPECT_THROW(m.Scale(5), EIntOverflow);
    EXPECT_TRUE(m == big);
}

TEST(MarkerDefinition, ShapeNames)
{
    EXPECT_EQ(TMarkerDefinition::ShapeName(dmCircle), "Circle");
    EXPECT_EQ(TMarkerDefinition::ShapeName(dmSquare), "Square");
    EXPECT_EQ(TMarkerDefinition::ShapeName(dmTriangle), "Triangle");
    EXPECT_EQ(TMarkerDefinition::ShapeName(dmNone), "None");
    for (TDataMarker s : {dmCircle, dmSquare, dmTriangle, dmNone})
        EXPECT_EQ(TMarkerDefinition::ShapeFromName(TMarkerDefinition::ShapeName(s)), s);
    EXPECT_EQ(TMarkerDefinition::ShapeFromName("circle"), dmCircle);
    EXPECT_EQ(TMarkerDefinition::ShapeFromName("square"), dmCircle);
    EXPECT_EQ(TMarkerDefinition::ShapeFromName(""), dmCircle);
}

namespace {

QDomElement NewRoot(QDomDocument &doc)
{
    QDomElement root = doc.createElement("Series");
    doc.appendChild(root);
    return root;
}

} // namespace

TEST(MarkerDefinition, XmlLayoutAndRoundTrip)
{
    TMarkerDefinition m;
    m.SetShape(dmTriangle);
    m.SetSize(9);
    m.SetMarkerPen(QPen(QColor(1, 2, 3), 4));
    m.SetMarkerBrush(QBrush(QColor(10, 20, 30)));
    m.SetLinePen(QPen(QColor(0, 0, 128), 2));
    m.SetLineBrush(QBrush(QColor(255, 0, 0)));
    m.Scale(2); // offsets are not stored
    QDomDocument doc;
    QDomElement root = NewRoot(doc);
    m.SaveToXML(root);

    const QDomElement marker = root.firstChildElement();
    EXPECT_EQ(marker.tagName(), "Marker");
    EXPECT_EQ(marker.nextSiblingElement().tagName(), "Line");
    QStringList names;
    for (QDomElement c = marker.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
        names << c.tagName();
    EXPECT_EQ(names, QStringList({"Symbol", "Size", "Pen", "Brush"}));
    EXPECT_EQ(marker.firstChildElement("Symbol").text(), "Triangle");
    EXPECT_EQ(marker.firstChildElement("Size").text(), "18");
    EXPECT_EQ(marker.firstChildElement("Pen").firstChildElement("Width").text(), "8");

    TMarkerDefinition loaded;
    loaded.SetShape(dmSquare);
    loaded.LoadFromXML(root);
    EXPECT_EQ(loaded.Shape(), dmTriangle);
    EXPECT_EQ(loaded.Size(), 18);
    EXPECT_EQ(loaded.HalfSize(), 9);
    EXPECT_EQ(loaded.MarkerPen(), m.MarkerPen());
    EXPECT_EQ(loaded.MarkerBrush(), m.MarkerBrush());
    EXPECT_EQ(loaded.LinePen(), m.LinePen());
    EXPECT_EQ(loaded.LineBrush(), m.LineBrush());
    EXPECT_EQ(loaded.LegendLineStart(), -10);
    EXPECT_EQ(loaded.LegendLineEnd(), 20);
}

TEST(MarkerDefinition, XmlLoadingStartsFromDefaultsAndStopsAtABadSize)
{
    QDomDocument doc;
    QDomElement root = NewRoot(doc);
    root.appendChild(doc.createElement("Unknown"));
    QDomElement marker = doc.createElement("Marker");
    root.appendChild(marker);
    for (auto [name, text] : {std::pair{"Symbol", "Square"}, {"Size", "big"}, {"Symbol", "None"}}) {
        QDomElement e = doc.createElement(name);
        e.appendChild(doc.createTextNode(text));
        marker.appendChild(e);
    }
    TMarkerDefinition m;
    m.SetSize(40);
    m.SetLinePen(QPen(Qt::red, 7));
    EXPECT_THROW(m.LoadFromXML(root), EConvertError);
    // Defaults plus what came before the bad child.
    EXPECT_EQ(m.Shape(), dmSquare);
    EXPECT_EQ(m.Size(), 15);
    EXPECT_EQ(m.LinePen(), DefaultPen());

    // An empty element gives the defaults.
    QDomElement empty = doc.createElement("Empty");
    m.LoadFromXML(empty);
    EXPECT_TRUE(m == TMarkerDefinition());
}
