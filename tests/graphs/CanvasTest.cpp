#include "graphs/Canvas.h"
#include "foundation/CustomUtilities.h"
#include "graphs/GraphErrors.h"
#include "graphs/MarkerDefinition.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

bool IsSet(const QImage &image, int x, int y)
{
    return image.pixel(x, y) != White;
}

} // namespace

TEST(Canvas, NewGraphImagesAreWhite96DpiRgb)
{
    const QImage image = NewGraphImage(30, 20);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(30, 20));
    EXPECT_EQ(image.dotsPerMeterX(), 3780);
    EXPECT_EQ(image.dotsPerMeterY(), 3780);
    EXPECT_EQ(image.pixel(29, 19), White);
    EXPECT_TRUE(NewGraphImage(0, 20).isNull());
    EXPECT_THROW(NewGraphImage(2000000000, 2000000000), EGraphImageError);
}

TEST(Canvas, LinesLeaveOutTheirEndPoint)
{
    QImage image = NewGraphImage(12, 12);
    {
        TCanvas canvas(image);
        canvas.MoveTo(2, 2);
        canvas.LineTo(8, 2);
        EXPECT_EQ(canvas.PenPos(), QPoint(8, 2));
        canvas.MoveTo(2, 4);
        canvas.LineTo(2, 10);
        // A zero-length line draws nothing.
        canvas.MoveTo(10, 10);
        canvas.LineTo(10, 10);
    }
    for (int x = 2; x <= 7; ++x)
        EXPECT_EQ(image.pixel(x, 2), Black) << x;
    EXPECT_FALSE(IsSet(image, 8, 2));
    EXPECT_FALSE(IsSet(image, 1, 2));
    EXPECT_TRUE(IsSet(image, 2, 9));
    EXPECT_FALSE(IsSet(image, 2, 10));
    EXPECT_FALSE(IsSet(image, 10, 10));

    // Whatever the direction, and also where the line leaves the image.
    QImage back = NewGraphImage(12, 12);
    {
        TCanvas canvas(back);
        canvas.MoveTo(8, 2);
        canvas.LineTo(2, 2);
        canvas.MoveTo(5, 11);
        canvas.LineTo(5, 4);
        canvas.MoveTo(3, 7);
        canvas.LineTo(-2000000000, 7);
    }
    EXPECT_TRUE(IsSet(back, 8, 2));
    EXPECT_TRUE(IsSet(back, 3, 2));
    EXPECT_FALSE(IsSet(back, 2, 2));
    EXPECT_TRUE(IsSet(back, 5, 11));
    EXPECT_FALSE(IsSet(back, 5, 4));
    for (int x = 0; x <= 3; ++x)
        EXPECT_TRUE(IsSet(back, x, 7)) << x;
    EXPECT_FALSE(IsSet(back, 4, 7));

    // A closed outline drawn line by line has all four corners.
    QImage frame = NewGraphImage(12, 12);
    {
        TCanvas canvas(frame);
        canvas.MoveTo(1, 1);
        canvas.LineTo(9, 1);
        canvas.LineTo(9, 9);
        canvas.LineTo(1, 9);
        canvas.LineTo(1, 1);
    }
    int set = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            set += IsSet(frame, x, y);
    EXPECT_EQ(set, 32);
    EXPECT_TRUE(IsSet(frame, 9, 9) && IsSet(frame, 1, 9) && IsSet(frame, 9, 1));

    // A polyline is the same chain of lines: only its last point is left out.
    QImage poly = NewGraphImage(12, 12);
    {
        TCanvas canvas(poly);
        const QPoint points[] = {{1, 1}, {8, 1}, {8, 8}};
        canvas.Polyline(points, 3);
        EXPECT_EQ(canvas.PenPos(), QPoint(8, 8));
    }
    EXPECT_TRUE(IsSet(poly, 1, 1));
    EXPECT_TRUE(IsSet(poly, 8, 1));
    EXPECT_TRUE(IsSet(poly, 8, 7));
    EXPECT_FALSE(IsSet(poly, 8, 8));
}

// A line that starts or ends far off the image covers the same pixels on it
// as the same line drawn whole on a larger image.
TEST(Canvas, ClippingDoesNotMoveLines)
{
    const QPoint offset(3000, 2000);
    const std::vector<std::pair<QPoint, QPoint>> lines = {
        {{-2900, -1700}, {25, 12}}, {{31, -1999}, {2, 19}},    {{-7, 5}, {2950, 31}},
        {{39, 39}, {-1003, -2000}}, {{-2999, 20}, {2999, 21}}, {{17, 1900}, {18, -1900}}};
    for (const auto &[from, to] : lines) {
        QImage small = NewGraphImage(40, 40), large = NewGraphImage(6040, 4040);
        {
            TCanvas canvas(small);
            canvas.MoveTo(from.x(), from.y());
            canvas.LineTo(to.x(), to.y());
        }
        {
            TCanvas canvas(large);
            canvas.MoveTo(from.x() + offset.x(), from.y() + offset.y());
            canvas.LineTo(to.x() + offset.x(), to.y() + offset.y());
        }
        EXPECT_EQ(small, large.copy(offset.x(), offset.y(), 40, 40))
            << from.x() << "," << from.y() << " -> " << to.x() << "," << to.y();
    }
}

TEST(Canvas, ShapesStayInsideTheirBoxLessRightAndBottomEdge)
{
    QImage image = NewGraphImage(24, 12);
    {
        TCanvas canvas(image);
        canvas.SetBrush(QBrush(Qt::red));
        canvas.Rectangle(2, 2, 9, 9);
        canvas.Ellipse(12, 2, 19, 9);
    }
    // Rectangle: outline on columns and rows 2 and 8, filled inside.
    EXPECT_EQ(image.pixel(2, 2), Black);
    EXPECT_EQ(image.pixel(8, 8), Black);
    EXPECT_EQ(image.pixel(5, 2), Black);
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_FALSE(IsSet(image, 9, 5));
    EXPECT_FALSE(IsSet(image, 5, 9));
    // Ellipse: touches columns 12 and 18 and rows 2 and 8, nothing beyond.
    bool left = false, right = false, top = false, bottom = false;
    for (int i = 0; i < 12; ++i) {
        left |= IsSet(image, 12, i);
        right |= IsSet(image, 18, i);
        top |= IsSet(image, 12 + i % 8, 2);
        bottom |= IsSet(image, 12 + i % 8, 8);
        EXPECT_FALSE(IsSet(image, 11, i));
        EXPECT_FALSE(IsSet(image, 19, i));
        EXPECT_FALSE(IsSet(image, 12 + i % 8, 9));
        EXPECT_FALSE(IsSet(image, 12 + i % 8, 1));
    }
    EXPECT_TRUE(left && right && top && bottom);
    EXPECT_EQ(image.pixel(15, 5), qRgb(255, 0, 0));
}

TEST(Canvas, FillRectCoversLeftAndTopEdgesOnly)
{
    QImage image = NewGraphImage(10, 10);
    {
        TCanvas canvas(image);
        canvas.SetPen(QPen(Qt::NoPen));
        canvas.SetBrush(QBrush(Qt::blue));
        canvas.FillRect(2, 3, 5, 7);
        canvas.FillRect(6, 6, 6, 9);                     // empty
        canvas.FillRect(-2000000000, 9, 2000000000, 10); // huge: clamped to the image
    }
    int count = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 10; ++x)
            if (IsSet(image, x, y)) {
                ++count;
                EXPECT_TRUE(x >= 2 && x < 5 && y >= 3 && y < 7) << x << "," << y;
            }
    EXPECT_EQ(count, 12);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 9), qRgb(0, 0, 255));
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
    EXPECT_GT(extent.width(), 20);
    EXPECT_GE(extent.height(), 11);
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_TRUE(p == qRgb(255, 0, 0) || p == qRgb(255, 255, 0)) << x << "," << y;
            if (p == qRgb(255, 0, 0)) {
                ++red;
                EXPECT_TRUE(x >= 10 && x < 10 + extent.width() && y >= 5 && y < 5 + extent.height())
                    << x << "," << y;
            }
        }
    EXPECT_GT(red, 20);
}

TEST(Canvas, FontScalingMultipliesPixels)
{
    TFont font;
    EXPECT_EQ(font.PixelSize(), 11);
    font.Scale(5);
    EXPECT_EQ(font.PixelSize(), 55);
    font.SetPixelSize(20);
    EXPECT_EQ(font.Font().pixelSize(), 20);
    TFont big;
    big.SetPixelSize(1000000000);
    EXPECT_THROW(big.Scale(5), EIntOverflow);
    EXPECT_EQ(big.PixelSize(), 1000000000);
}

// Stamped markers must give exactly the pixels of markers drawn one by one,
// over a background that shows through unfilled shapes, and cut at the edges.
TEST(Canvas, StampedMarkersMatchMarkersDrawnOneByOne)
{
    const std::vector<QPoint> centres = {{20, 20}, {24, 22}, {24, 22}, {0, 5},   {59, 39},
                                         {-3, 20}, {30, 43}, {45, 10}, {200, 9}, {31, 30}};
    const QPen pens[] = {QPen(QColor(0, 0, 128), 1), QPen(QColor(200, 0, 0), 3),
                         QPen(QColor(0, 120, 0), 5, Qt::DotLine), QPen(Qt::NoPen),
                         QPen(QColor(10, 20, 30), 0)};
    const QBrush brushes[] = {QBrush(QColor(0, 255, 0)), QBrush(Qt::NoBrush)};
    int compared = 0;
    for (TDataMarker shape : {dmCircle, dmSquare, dmTriangle})
        for (int size : {1, 2, 5, 15, 16, 40})
            for (const QPen &pen : pens)
                for (const QBrush &brush : brushes) {
                    TMarkerDefinition marker;
                    marker.SetShape(shape);
                    marker.SetSize(size);
                    marker.SetMarkerPen(pen);
                    marker.SetMarkerBrush(brush);
                    QImage direct = NewGraphImage(60, 40), stamped = NewGraphImage(60, 40);
                    for (QImage *image : {&direct, &stamped})
                        for (int y = 0; y < 40; ++y)
                            for (int x = 0; x < 60; ++x)
                                image->setPixel(x, y, qRgb(x * 4, y * 6, 99));
                    {
                        TCanvas canvas(direct);
                        for (const QPoint &c : centres)
                            marker.DrawMarker(canvas, c);
                    }
                    {
                        TCanvas canvas(stamped);
                        ASSERT_TRUE(canvas.CanStamp());
                        marker.DrawMarkers(canvas, centres);
                        // The canvas keeps its own pen and brush.
                        EXPECT_EQ(canvas.Pen(), QPen(Qt::black));
                    }
                    ASSERT_EQ(direct, stamped)
                        << "shape " << int(shape) << " size " << size << " pen " << pen.width()
                        << " brush " << int(brush.style());
                    ++compared;
                }
    EXPECT_EQ(compared, 180);
}
