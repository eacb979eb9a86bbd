#pragma once
// TMarkerDefinition: the look of one data series or legend row: the pen and
// brush of the line joining the points, the shape, size, pen and brush of the
// marker on each point, and where the legend's sample line runs.
#include "foundation/RootObject.h"
#include "graphs/Canvas.h"

#include <QBrush>
#include <QDomElement>
#include <QPen>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

enum TDataMarker : uint8_t
{
    dmCircle = 0,
    dmSquare = 1,
    dmTriangle = 2,
    dmNone = 3
};

class TMarkerDefinition : public TObject
{
  public:
    TMarkerDefinition(); // SetDefaults

    // Default pens and brushes, a circle of size 15, legend line from -10 to 20.
    void SetDefaults();
    void Assign(const TMarkerDefinition &source) { *this = source; }

    TDataMarker Shape() const { return FShape; }
    void SetShape(TDataMarker shape) { FShape = shape; }
    int32_t Size() const { return FSize; }
    // Also sets HalfSize to size / 2 (truncated).
    void SetSize(int32_t size);
    // The marker radius.
    int32_t HalfSize() const { return FHalfSize; }

    const QPen &LinePen() const { return FLinePen; }
    QPen &LinePen() { return FLinePen; }
    void SetLinePen(const QPen &pen) { FLinePen = pen; }
    const QPen &MarkerPen() const { return FMarkerPen; }
    QPen &MarkerPen() { return FMarkerPen; }
    void SetMarkerPen(const QPen &pen) { FMarkerPen = pen; }
    const QBrush &LineBrush() const { return FLineBrush; }
    QBrush &LineBrush() { return FLineBrush; }
    void SetLineBrush(const QBrush &brush) { FLineBrush = brush; }
    const QBrush &MarkerBrush() const { return FMarkerBrush; }
    QBrush &MarkerBrush() { return FMarkerBrush; }
    void SetMarkerBrush(const QBrush &brush) { FMarkerBrush = brush; }

    // x offsets from the marker centre where the legend sample line starts and ends.
    int32_t LegendLineStart() const { return FLegendLineStart; }
    void SetLegendLineStart(int32_t x) { FLegendLineStart = x; }
    int32_t LegendLineEnd() const { return FLegendLineEnd; }
    void SetLegendLineEnd(int32_t x) { FLegendLineEnd = x; }

    // Print magnification: size, marker pen width and legend line offsets are
    // multiplied; the line pen keeps its width. A factor below 1 raises
    // EInvalidScaleError, an overflow EIntOverflow; either leaves the marker
    // unchanged.
    void Scale(int32_t factor);

    // Draws the marker centred on the point; the canvas's pen and brush are
    // put back afterwards. dmNone draws nothing.
    void DrawMarker(TCanvas &canvas, QPoint centre) const;
    // Draws the marker on every point, in order: the same pixels as calling
    // DrawMarker for each, but fast for long series.
    void DrawMarkers(TCanvas &canvas, const std::vector<QPoint> &centres) const;
    // The legend row sample: the line from LegendLineStart to LegendLineEnd
    // with the marker on the point. Pen, brush and pen position are put back.
    void DrawLegendSample(TCanvas &canvas, QPoint point) const;

    QString ShapeName() const;
    static QString ShapeName(TDataMarker shape);
    // "Circle", "Square", "Triangle", "None" (exact); any other text is a circle.
    static TDataMarker ShapeFromName(const QString &name);

    // Appends "Marker" (Symbol, Size, Pen, Brush) and "Line" (Pen, Brush).
    // A colour read as a system colour is written back as read while the pen
    // or brush still shows it.
    void SaveToXML(QDomElement &element) const;
    // Starts from the defaults and reads what the element holds; a Size that
    // is not an integer raises EConvertError.
    void LoadFromXML(const QDomElement &element);

    // Equal when they draw alike and would be saved alike.
    bool operator==(const TMarkerDefinition &other) const;

  private:
    bool CanStampMarker() const;
    // Colour values of the four pens and brushes as a file holds them.
    struct TColorValues
    {
        int32_t LinePen = 0;
        int32_t MarkerPen = 0;
        int32_t LineBrush = 0;
        int32_t MarkerBrush = 0;
        bool operator==(const TColorValues &) const = default;
    };
    TColorValues StoredColors() const;

    TDataMarker FShape = dmCircle;
    int32_t FSize = 15;
    int32_t FHalfSize = 7;
    QPen FLinePen;
    QPen FMarkerPen;
    QBrush FLineBrush;
    QBrush FMarkerBrush;
    int32_t FLegendLineStart = -10;
    int32_t FLegendLineEnd = 20;
    // The values the pens and brushes were last read with.
    TColorValues FReadColors;
};
