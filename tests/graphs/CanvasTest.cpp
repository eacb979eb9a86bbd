#include "graphs/Canvas.h"
#include "foundation/CustomUtilities.h"
#include "graphs/GraphErrors.h"
#include "graphs/MarkerDefinition.h"

#include <gtest/gtest.h>

namespace {

bool IsSet(const QImage &image, int x, int y)
{
    return image.pixel(x, y) != qRgb(255, 255, 255);
}

int CountSet(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += IsSet(image, x, y);
    return n;
}

} // namespace

TEST(Canvas, GraphImages)
{
    const QImage image = NewGraphImage(30, 20);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.dotsPerMeterX(), 3780);
    EXPECT_EQ(CountSet(image), 0);
    EXPECT_THROW(NewGraphImage(2000000000, 2000000000), EGraphImageError);
}

TEST(Canvas, LinesLeaveOutTheirEndPointInEveryDirection)
{
    QImage image = NewGraphImage(12, 12);
    {
        TCanvas canvas(image);
        canvas.MoveTo(8, 2);
        canvas.LineTo(2, 2); // leftwards: 8 .. 3
        canvas.MoveTo(5, 11);
        canvas.LineTo(5, 4); // upwards: 11 .. 5
        canvas.MoveTo(3, 7);
        canvas.LineTo(-2000000000, 7); // off the image: 3 .. 0
        EXPECT_EQ(canvas.PenPos(), QPoint(-2000000000, 7));
    }
    EXPECT_TRUE(IsSet(image, 8, 2) && IsSet(image, 3, 2) && !IsSet(image, 2, 2));
    EXPECT_TRUE(IsSet(image, 5, 11) && IsSet(image, 5, 5) && !IsSet(image, 5, 4));
    EXPECT_TRUE(IsSet(image, 0, 7) && IsSet(image, 3, 7) && !IsSet(image, 4, 7));
    EXPECT_EQ(CountSet(image), 6 + 7 + 4);

    // A closed outline drawn line by line has all four corners.
    QImage frame = NewGraphImage(12, 12);
    {
        TCanvas canvas(frame);
        const QPoint points[] = {{1, 1}, {9, 1}, {9, 9}, {1, 9}, {1, 1}};
        canvas.Polyline(points, 5);
    }
    EXPECT_EQ(CountSet(frame), 32);
}

// Lines that start or end far off the image cover the same pixels on it as
// the same lines drawn whole on a larger image.
TEST(Canvas, ClippingDoesNotMoveLines)
{
    const QPoint offset(3000, 2000);
    const std::pair<QPoint, QPoint> lines[] = {
        {{-2900, -1700}, {25, 12}}, {{31, -1999}, {2, 19}},    {{-7, 5}, {2950, 31}},
        {{39, 39}, {-1003, -2000}}, {{-2999, 20}, {2999, 21}}, {{17, 1900}, {18, -1900}}};
    for (const auto &[from, to] : lines) {
        QImage small = NewGraphImage(40, 40), large = NewGraphImage(6040, 4040);
        for (auto [image, shift] : {std::pair{&small, QPoint()}, {&large, offset}}) {
            TCanvas canvas(*image);
            canvas.MoveTo(from.x() + shift.x(), from.y() + shift.y());
            canvas.LineTo(to.x() + shift.x(), to.y() + shift.y());
        }
        EXPECT_EQ(small, large.copy(offset.x(), offset.y(), 40, 40)) << from.x() << "," << from.y();
    }
}

TEST(Canvas, ShapesAndFillsStayInsideTheirBoxLessRightAndBottomEdge)
{
    QImage image = NewGraphImage(30, 12);
    {
        TCanvas canvas(image);
        canvas.SetBrush(QBrush(Qt::red));
        canvas.Rectangle(2, 2, 9, 9);
        canvas.Ellipse(12, 2, 19, 9);
        canvas.FillRect(22, 3, 25, 7);
    }
    // Outlines on columns and rows 2 .. 8 (12 .. 18), filled inside; the
    // fill covers columns 22 .. 24 and rows 3 .. 6.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool box = x >= 2 && x <= 8 && y >= 2 && y <= 8;
            const bool oval = x >= 12 && x <= 18 && y >= 2 && y <= 8;
            const bool fill = x >= 22 && x <= 24 && y >= 3 && y <= 6;
            if (!box && !oval && !fill) {
                EXPECT_FALSE(IsSet(image, x, y)) << x << "," << y;
            }
        }
    EXPECT_TRUE(IsSet(image, 2, 2) && IsSet(image, 8, 8) && IsSet(image, 12, 5) &&
                IsSet(image, 18, 5) && IsSet(image, 15, 2) && IsSet(image, 15, 8));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(15, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(22, 3), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(24, 6), qRgb(255, 0, 0));
}

TEST(Canvas, TextHasATransparentBackgroundAndStartsAtItsCorner)
{
    QImage image = NewGraphImage(80, 30);
    image.fill(Qt::yellow);
    QSize extent;
    {
        TCanvas canvas(image);
        canvas.SetFont(TFont(DefaultFont(), Qt::red));
        extent = canvas.TextExtent("Wmbar");
        canvas.TextOut(10, 5, "Wmbar");
    }
    // Text is antialiased: its edges blend red into the yellow background,
    // which shows through everywhere else. A blended edge may reach one
    // pixel past the advance width.
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_TRUE(qRed(p) == 255 && qBlue(p) == 0) << x << "," << y;
            if (qGreen(p) < 255) {
                EXPECT_TRUE(QRect(QPoint(10, 5), extent).adjusted(-1, 0, 1, 0).contains(x, y))
                    << x << "," << y;
            }
            red += qGreen(p) < 64;
        }
    EXPECT_GT(red, 20);
}

// Stamped markers give exactly the pixels of markers drawn one by one, over a
// background that shows through unfilled shapes, and cut at the image edges.
TEST(Canvas, StampedMarkersMatchMarkersDrawnOneByOne)
{
    const std::vector<QPoint> centres = {{20, 20}, {24, 22}, {24, 22}, {0, 5},   {59, 39},
                                         {-3, 20}, {30, 43}, {45, 10}, {200, 9}, {31, 30}};
    const QPen pens[] = {QPen(QColor(0, 0, 128), 1), QPen(QColor(200, 0, 0), 3),
                         QPen(QColor(0, 120, 0), 5, Qt::DotLine), QPen(Qt::NoPen)};
    for (TDataMarker shape : {dmCircle, dmSquare, dmTriangle})
        for (int size : {1, 2, 5, 15, 16, 40})
            for (const QPen &pen : pens)
                for (const QBrush &brush : {QBrush(QColor(0, 255, 0)), QBrush(Qt::NoBrush)}) {
                    TMarkerDefinition marker;
                    marker.SetShape(shape);
                    marker.SetSize(size);
                    marker.SetMarkerPen(pen);
                    marker.SetMarkerBrush(brush);
                    QImage direct(60, 40, QImage::Format_RGB32);
                    for (int y = 0; y < 40; ++y)
                        for (int x = 0; x < 60; ++x)
                            direct.setPixel(x, y, qRgb(x * 4, y * 6, 99));
                    QImage stamped = direct.copy();
                    {
                        TCanvas canvas(direct);
                        for (const QPoint &c : centres)
                            marker.DrawMarker(canvas, c);
                    }
                    {
                        TCanvas canvas(stamped);
                        ASSERT_TRUE(canvas.CanStamp());
                        marker.DrawMarkers(canvas, centres);
                    }
                    ASSERT_EQ(direct, stamped)
                        << "shape " << int(shape) << " size " << size << " pen " << pen.width();
                }
}
