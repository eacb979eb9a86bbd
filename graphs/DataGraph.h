#pragma once
// TDataGraph: the pixel layout of one graph image (its size and the title and
// label bands on its four sides, from the image edge inwards) and the drawing
// of background, margins, frame, gridlines, labels, captions, titles, free
// lines and series in it.
//
// Every operation that takes a pen, brush or font makes it current for the
// drawing (or keeps the canvas's own when given none) and puts the canvas's
// previous one back, so a pass leaves the canvas as it found it.
#include "graphs/Canvas.h"
#include "graphs/GraphTypes.h"
#include "graphs/MarkerDefinition.h"
#include "graphs/Transformer2D.h"

#include <QPoint>
#include <array>
#include <cstdint>
#include <vector>

// One data point in world units. A plain value, so that long series are
// compact arrays.
struct TDataPoint
{
    double X = 0.0;
    double Y = 0.0;

    TDataPoint() = default;
    TDataPoint(double x, double y) : X(x), Y(y) {}
};

// The points of one series in the order they are joined.
using TDataPointList = std::vector<TDataPoint>;
// One point list per series of a definition, in series order.
using TDataPointLists = std::vector<TDataPointList>;

enum TGridDirection : uint8_t
{
    gdVertical = 0,
    gdHorizontal = 1
};

class TDataGraph : public TObject
{
  public:
    TDataGraph() = default;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int32_t LabelDimension(TGraphSide side) const;
    int32_t TitleDimension(TGraphSide side) const;
    // Negative values are refused with EGraphDimensionException; nothing else
    // is checked here.
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);
    void SetLabelDimension(TGraphSide side, int32_t value);
    void SetTitleDimension(TGraphSide side, int32_t value);

    // (0, 0, Width, Height).
    TRect ImageRect() const;
    // The plot area inset for a frame pen of width w, so that a frame line
    // centred on its edges stays inside the bands.
    TRect PlotRect(int32_t penWidth) const;

    void FillBackground(TCanvas &canvas, const QBrush *brush) const;
    // Repaints the four bands around PlotRect(0): the engine's only clipping.
    void FillMargins(TCanvas &canvas, const QBrush *brush) const;
    void DrawFrame(TCanvas &canvas, const QPen &pen) const;
    // A line across the whole image at the world value (x for vertical
    // lines, y for horizontal ones).
    void DrawGridline(TCanvas &canvas, TGridDirection direction, const TTransformer2D &transformer,
                      const QPen *pen, double value) const;
    void DrawAxisLabel(TCanvas &canvas, const QString &text, const TFont *font,
                       const TTransformer2D &transformer, int32_t offset, TGraphSide side,
                       double value) const;
    void DrawAxisCaption(TCanvas &canvas, const QString &text, const TFont *font, TGraphSide side,
                         int32_t offset, int32_t position) const;
    void DrawTitle(TCanvas &canvas, const QString &text, const TFont *font, int32_t x, int32_t y,
                   TGraphSide side) const;
    void DrawLine(TCanvas &canvas, const QPen *pen, double x1, double y1, double x2, double y2,
                  const TTransformer2D &transformer) const;
    // The points joined by one polyline with the marker's line pen, then the
    // marker on every point. An empty list draws nothing.
    void DrawSeries(TCanvas &canvas, const TDataPointList &points, const TMarkerDefinition &marker,
                    const TTransformer2D &transformer);

    // Where DrawAxisLabel puts the top-left corner of a text of the given
    // size, and DrawAxisCaption and DrawTitle likewise.
    QPoint AxisLabelOrigin(QSize textSize, const TTransformer2D &transformer, int32_t offset,
                           TGraphSide side, double value) const;
    QPoint AxisCaptionOrigin(QSize textSize, TGraphSide side, int32_t offset,
                             int32_t position) const;
    QPoint TitleOrigin(int32_t x, int32_t y, TGraphSide side) const;

  private:
    // The inner edges of the label bands: where the plot area starts.
    int32_t InnerLeft() const;
    int32_t InnerTop() const;
    int32_t InnerRight() const;
    int32_t InnerBottom() const;

    int32_t FWidth = 100;
    int32_t FHeight = 100;
    std::array<int32_t, 4> FLabelDimension{}; // left, right, top, bottom
    std::array<int32_t, 4> FTitleDimension{};
    // Pixels of the series being drawn, kept between calls to save allocations.
    std::vector<QPoint> FPixels;
    std::vector<QPoint> FLinePixels;
};
