#include "graphs/DataGraph.h"

#include "foundation/CustomUtilities.h"
#include "graphs/GraphErrors.h"

namespace {

// Keeps the canvas's pen, brush or font and puts it back when the drawing is done.
class TPenKeeper
{
  public:
    TPenKeeper(TCanvas &canvas, const QPen *pen) : FCanvas(canvas), FSaved(canvas.Pen())
    {
        if (pen)
            canvas.SetPen(*pen);
    }
    ~TPenKeeper() { FCanvas.SetPen(FSaved); }

  private:
    TCanvas &FCanvas;
    QPen FSaved;
};

class TBrushKeeper
{
  public:
    TBrushKeeper(TCanvas &canvas, const QBrush *brush) : FCanvas(canvas), FSaved(canvas.Brush())
    {
        if (brush)
            canvas.SetBrush(*brush);
    }
    ~TBrushKeeper() { FCanvas.SetBrush(FSaved); }

  private:
    TCanvas &FCanvas;
    QBrush FSaved;
};

class TFontKeeper
{
  public:
    TFontKeeper(TCanvas &canvas, const TFont *font) : FCanvas(canvas), FSaved(canvas.Font())
    {
        if (font)
            canvas.SetFont(*font);
    }
    ~TFontKeeper() { FCanvas.SetFont(FSaved); }

  private:
    TCanvas &FCanvas;
    TFont FSaved;
};

// Half of a text measure, rounded half to even (6.5 gives 6, 7.5 gives 8).
int32_t Half(int32_t v)
{
    return RoundToInt32(v / 2.0L);
}

} // namespace

int32_t TDataGraph::LabelDimension(TGraphSide side) const
{
    return FLabelDimension[SideSlot(side)];
}

int32_t TDataGraph::TitleDimension(TGraphSide side) const
{
    return FTitleDimension[SideSlot(side)];
}

void TDataGraph::SetWidth(int32_t width)
{
    if (width < 0)
        throw EGraphDimensionException(QStringLiteral("Width must be >= 0"));
    FWidth = width;
}

void TDataGraph::SetHeight(int32_t height)
{
    if (height < 0)
        throw EGraphDimensionException(QStringLiteral("Height must be >= 0"));
    FHeight = height;
}

void TDataGraph::SetLabelDimension(TGraphSide side, int32_t value)
{
    const size_t slot = SideSlot(side);
    if (value < 0)
        throw EGraphDimensionException(QStringLiteral("Label dimension must be >= 0"));
    FLabelDimension[slot] = value;
}

void TDataGraph::SetTitleDimension(TGraphSide side, int32_t value)
{
    const size_t slot = SideSlot(side);
    if (value < 0)
        throw EGraphDimensionException(QStringLiteral("Title dimension must be >= 0"));
    FTitleDimension[slot] = value;
}

int32_t TDataGraph::InnerLeft() const
{
    return CheckedAdd(TitleDimension(gsLeft), LabelDimension(gsLeft));
}

int32_t TDataGraph::InnerTop() const
{
    return CheckedAdd(TitleDimension(gsTop), LabelDimension(gsTop));
}

int32_t TDataGraph::InnerRight() const
{
    return CheckedSubtract(CheckedSubtract(FWidth, TitleDimension(gsRight)),
                           LabelDimension(gsRight));
}

int32_t TDataGraph::InnerBottom() const
{
    return CheckedSubtract(CheckedSubtract(FHeight, TitleDimension(gsBottom)),
                           LabelDimension(gsBottom));
}

TRect TDataGraph::ImageRect() const
{
    return TRect{0, 0, FWidth, FHeight};
}

TRect TDataGraph::PlotRect(int32_t penWidth) const
{
    // A centred line of width w reaches w div 2 pixels to the left/top of its
    // centre and the rest to the right/bottom: w / 2 rounded up.
    const int32_t before = penWidth / 2;
    const int32_t after = RoundToInt32((penWidth + 0.5L) / 2);
    return TRect{CheckedAdd(InnerLeft(), before), CheckedAdd(InnerTop(), before),
                 CheckedSubtract(InnerRight(), after), CheckedSubtract(InnerBottom(), after)};
}

void TDataGraph::FillBackground(TCanvas &canvas, const QBrush *brush) const
{
    TBrushKeeper keep(canvas, brush);
    canvas.FillRect(0, 0, FWidth, FHeight);
}

void TDataGraph::FillMargins(TCanvas &canvas, const QBrush *brush) const
{
    const TRect p = PlotRect(0);
    TBrushKeeper keep(canvas, brush);
    canvas.FillRect(0, 0, p.Left, FHeight);
    canvas.FillRect(0, 0, FWidth, p.Top);
    canvas.FillRect(p.Right, 0, FWidth, FHeight);
    canvas.FillRect(0, p.Bottom, FWidth, FHeight);
}

void TDataGraph::DrawFrame(TCanvas &canvas, const QPen &pen) const
{
    const TRect r = PlotRect(pen.width());
    TPenKeeper keep(canvas, &pen);
    canvas.MoveTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Top);
    canvas.LineTo(r.Right, r.Bottom);
    canvas.LineTo(r.Left, r.Bottom);
    canvas.LineTo(r.Left, r.Top);
}

void TDataGraph::DrawGridline(TCanvas &canvas, TGridDirection direction,
                              const TTransformer2D &transformer, const QPen *pen,
                              double value) const
{
    // The other coordinate is 1.0, which every transformer accepts (ln 1 = 0).
    TPenKeeper keep(canvas, pen);
    if (direction == gdVertical) {
        const int32_t px = transformer.TransformPoint(value, 1.0).x();
        canvas.MoveTo(px, 0);
        canvas.LineTo(px, FHeight);
    } else {
        const int32_t py = transformer.TransformPoint(1.0, value).y();
        canvas.MoveTo(0, py);
        canvas.LineTo(FWidth, py);
    }
}

QPoint TDataGraph::AxisLabelOrigin(QSize textSize, const TTransformer2D &transformer,
                                   int32_t offset, TGraphSide side, double value) const
{
    const int32_t w = textSize.width(), h = textSize.height();
    switch (side) {
    case gsLeft: {
        const int32_t py = transformer.TransformPoint(1.0, value).y();
        return QPoint(CheckedSubtract(CheckedSubtract(InnerLeft(), offset), w),
                      CheckedSubtract(py, Half(h)));
    }
    case gsTop: {
        const int32_t px = transformer.TransformPoint(value, 1.0).x();
        return QPoint(CheckedSubtract(px, Half(w)),
                      CheckedSubtract(CheckedSubtract(InnerTop(), offset), h));
    }
    case gsRight: {
        const int32_t py = transformer.TransformPoint(1.0, value).y();
        return QPoint(CheckedAdd(InnerRight(), offset), CheckedSubtract(py, Half(h)));
    }
    case gsBottom: {
        const int32_t px = transformer.TransformPoint(value, 1.0).x();
        return QPoint(CheckedSubtract(px, Half(w)), CheckedAdd(InnerBottom(), offset));
    }
    }
    throw ERangeError(QStringLiteral("Range check error"));
}

void TDataGraph::DrawAxisLabel(TCanvas &canvas, const QString &text, const TFont *font,
                               const TTransformer2D &transformer, int32_t offset, TGraphSide side,
                               double value) const
{
    TFontKeeper keep(canvas, font);
    const QPoint origin =
        AxisLabelOrigin(canvas.TextExtent(text), transformer, offset, side, value);
    canvas.TextOut(origin.x(), origin.y(), text);
}

QPoint TDataGraph::AxisCaptionOrigin(QSize textSize, TGraphSide side, int32_t offset,
                                     int32_t position) const
{
    const int32_t w = textSize.width(), h = textSize.height();
    switch (side) {
    case gsLeft:
        return QPoint(CheckedSubtract(CheckedSubtract(InnerLeft(), offset), w), position);
    case gsTop:
        return QPoint(position, CheckedSubtract(CheckedSubtract(InnerTop(), offset), h));
    case gsRight:
        return QPoint(CheckedAdd(InnerRight(), offset), position);
    case gsBottom:
        return QPoint(position, CheckedAdd(InnerBottom(), offset));
    }
    throw ERangeError(QStringLiteral("Range check error"));
}

void TDataGraph::DrawAxisCaption(TCanvas &canvas, const QString &text, const TFont *font,
                                 TGraphSide side, int32_t offset, int32_t position) const
{
    TFontKeeper keep(canvas, font);
    const QPoint origin = AxisCaptionOrigin(canvas.TextExtent(text), side, offset, position);
    canvas.TextOut(origin.x(), origin.y(), text);
}

QPoint TDataGraph::TitleOrigin(int32_t x, int32_t y, TGraphSide side) const
{
    switch (side) {
    case gsLeft:
    case gsTop:
        return QPoint(x, y);
    case gsRight:
        return QPoint(CheckedAdd(CheckedSubtract(FWidth, TitleDimension(gsRight)), x), y);
    case gsBottom:
        return QPoint(x, CheckedAdd(CheckedSubtract(FHeight, TitleDimension(gsBottom)), y));
    }
    throw ERangeError(QStringLiteral("Range check error"));
}

void TDataGraph::DrawTitle(TCanvas &canvas, const QString &text, const TFont *font, int32_t x,
                           int32_t y, TGraphSide side) const
{
    const QPoint origin = TitleOrigin(x, y, side);
    TFontKeeper keep(canvas, font);
    canvas.TextOut(origin.x(), origin.y(), text);
}

void TDataGraph::DrawLine(TCanvas &canvas, const QPen *pen, double x1, double y1, double x2,
                          double y2, const TTransformer2D &transformer) const
{
    const QPoint from = transformer.TransformPoint(x1, y1);
    const QPoint to = transformer.TransformPoint(x2, y2);
    TPenKeeper keep(canvas, pen);
    canvas.MoveTo(from.x(), from.y());
    canvas.LineTo(to.x(), to.y());
}

void TDataGraph::DrawSeries(TCanvas &canvas, const TDataPointList &points,
                            const TMarkerDefinition &marker, const TTransformer2D &transformer)
{
    if (points.empty())
        return;
    // Every point goes through the checked transform; the drawing is batched.
    FPixels.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        FPixels[i] = transformer.TransformPoint(points[i].X, points[i].Y);
    // A repeated pixel adds no line: leave it out of the polyline.
    FLinePixels.clear();
    for (const QPoint &p : FPixels)
        if (FLinePixels.empty() || FLinePixels.back() != p)
            FLinePixels.push_back(p);

    TPenKeeper keepPen(canvas, &marker.LinePen());
    TBrushKeeper keepBrush(canvas, &marker.LineBrush());
    canvas.Polyline(FLinePixels.data(), int32_t(FLinePixels.size()));
    // Markers lie on top of all lines of the series.
    marker.DrawMarkers(canvas, FPixels);
}
