#pragma once
// A canvas that draws nothing and records every primitive with the pen,
// brush and font current at the time. Text measures are fixed so that layout
// arithmetic can be checked to the pixel.
#include "graphs/Canvas.h"

#include <QString>
#include <vector>

struct TRecordedOp
{
    QString Kind; // "LineTo", "Polyline", "Ellipse", "Rectangle", "Polygon", "FillRect", "TextOut"
    std::vector<QPoint> Points; // LineTo: from, to; boxes: corners; polygons: vertices
    QString Text;
    QPen Pen;
    QBrush Brush;
    TFont Font;
};

class TRecordingCanvas : public TCanvas
{
  public:
    TRecordingCanvas() = default;

    std::vector<TRecordedOp> Ops;
    // TextExtent gives CharWidth pixels per character and TextHeight pixels of height.
    int32_t CharWidth = 6;
    int32_t TextHeight = 13;

    void LineTo(int32_t x, int32_t y) override
    {
        Record("LineTo", {PenPos(), QPoint(x, y)});
        TCanvas::LineTo(x, y);
    }
    void Polyline(const QPoint *points, int32_t count) override
    {
        Record("Polyline", std::vector<QPoint>(points, points + count));
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
        Record("Polygon", std::vector<QPoint>(points, points + count));
    }
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        Record("FillRect", {QPoint(x1, y1), QPoint(x2, y2)});
    }
    void TextOut(int32_t x, int32_t y, const QString &text) override
    {
        Record("TextOut", {QPoint(x, y)}, text);
    }
    QSize TextExtent(const QString &text) override
    {
        return QSize(CharWidth * int32_t(text.size()), TextHeight);
    }

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
