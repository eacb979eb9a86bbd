#pragma once
// A canvas that draws nothing and records every primitive with the pen,
// brush and font current at the time. Text measures are fixed (6 pixels a
// character, 13 high) so that layout arithmetic can be checked to the pixel.
#include "graphs/Canvas.h"

#include <vector>

struct TRecordedOp
{
    QString Kind;               // the primitive's name
    std::vector<QPoint> Points; // LineTo: from, to; boxes: corners; polygons: vertices
    QString Text;
    QPen Pen;
    QBrush Brush;
    TFont Font;
};

class TRecordingCanvas : public TCanvas
{
  public:
    std::vector<TRecordedOp> Ops;

    void LineTo(int32_t x, int32_t y) override
    {
        Record("LineTo", {PenPos(), QPoint(x, y)});
        TCanvas::LineTo(x, y);
    }
    void Polyline(const QPoint *points, int32_t count) override
    {
        Record("Polyline", {points, points + count});
        TCanvas::Polyline(points, count);
    }
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        Record("Ellipse", {QPoint(x1, y1), QPoint(x2, y2)});
    }
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        Record("Rectangle", {QPoint(x1, y1), QPoint(x2, y2)});
    }
    void Polygon(const QPoint *points, int32_t count) override
    {
        Record("Polygon", {points, points + count});
    }
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        Record("FillRect", {QPoint(x1, y1), QPoint(x2, y2)});
    }
    void TextOut(int32_t x, int32_t y, const QString &text) override
    {
        Record("TextOut", {QPoint(x, y)}, text);
    }
    QSize TextExtent(const QString &text) override { return QSize(6 * int(text.size()), 13); }

    std::vector<TRecordedOp> OfKind(const QString &kind) const
    {
        std::vector<TRecordedOp> result;
        for (const TRecordedOp &op : Ops)
            if (op.Kind == kind)
                result.push_back(op);
        return result;
    }

  private:
    void Record(const char *kind, std::vector<QPoint> points, const QString &text = QString())
    {
        Ops.push_back({QString::fromLatin1(kind), std::move(points), text, Pen(), Brush(), Font()});
    }
};
