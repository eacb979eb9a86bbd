#include "graphs/Canvas.h"

#include "foundation/CustomUtilities.h"
#include "graphs/GraphErrors.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------- TFont

TFont::TFont() : FFont(DefaultFont()), FColor(Qt::black) {}

TFont::TFont(const QFont &font, const QColor &color) : FFont(font), FColor(color) {}

int32_t TFont::PixelSize() const
{
    if (FFont.pixelSize() > 0)
        return FFont.pixelSize();
    // A point-sized font: its height at 96 dots per inch.
    return int32_t(FFont.pointSizeF() * 96.0 / 72.0 + 0.5);
}

void TFont::SetPixelSize(int32_t pixels)
{
    FFont.setPixelSize(std::max(pixels, 1));
}

void TFont::Scale(int32_t factor)
{
    if (FFont.pixelSize() > 0)
        FFont.setPixelSize(CheckedMultiply(FFont.pixelSize(), factor));
    else
        FFont.setPointSizeF(FFont.pointSizeF() * factor);
}

// ---------------------------------------------------------------- TCanvasStamp

TCanvasStamp::TCanvasStamp(const QImage &image, QPoint hotSpot)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const auto *row = reinterpret_cast<const uint32_t *>(source.constScanLine(y));
        int x = 0;
        while (x < source.width()) {
            while (x < source.width() && qAlpha(row[x]) == 0)
                ++x;
            const int start = x;
            while (x < source.width() && qAlpha(row[x]) != 0)
                ++x;
            if (x > start) {
                TRun run{start - hotSpot.x(), y - hotSpot.y(), x - start, uint32_t(FPixels.size())};
                // The target is opaque RGB: store the colour with full alpha.
                for (int i = start; i < x; ++i)
                    FPixels.push_back(row[i] | 0xFF000000u);
                if (FRuns.empty()) {
                    FMinDX = run.DX, FMaxDX = run.DX + run.Length - 1;
                    FMinDY = FMaxDY = run.DY;
                } else {
                    FMinDX = std::min(FMinDX, run.DX);
                    FMaxDX = std::max(FMaxDX, run.DX + run.Length - 1);
                    FMaxDY = run.DY;
                }
                FRuns.push_back(run);
            }
        }
    }
}

// ---------------------------------------------------------------- TCanvas

TCanvas::TCanvas() : FPen(Qt::black), FBrush(Qt::white, Qt::SolidPattern) {}

TCanvas::TCanvas(QImage &image) : TCanvas()
{
    FImage = &image;
    if (!image.isNull()) {
        FPainter = std::make_unique<QPainter>(&image);
        FPainter->setRenderHint(QPainter::Antialiasing, false);
        // Text is smoothed for reading; its extents are the same either way,
        // so the layout still lands on the pixels it computed.
        FPainter->setRenderHint(QPainter::TextAntialiasing, true);
        ApplyPen();
        FPainter->setBrush(FBrush);
        FPainter->setFont(FFont.Font());
    }
}

TCanvas::~TCanvas()
{
    if (FPainter)
        FPainter->end();
}

void TCanvas::ApplyPen()
{
    FPenPixel = 0xFF000000u | (FPen.color().rgb() & 0x00FFFFFFu);
    if (!FPainter)
        return;
    QPen pen = FPen;
    if (pen.width() <= 1) {
        // One-pixel lines leave out their end point.
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    FPainter->setPen(pen);
}

void TCanvas::SetPen(const QPen &pen)
{
    FPen = pen;
    ApplyPen();
}

void TCanvas::SetBrush(const QBrush &brush)
{
    FBrush = brush;
    if (FPainter)
        FPainter->setBrush(brush);
}

void TCanvas::SetFont(const TFont &font)
{
    FFont = font;
    if (FPainter)
        FPainter->setFont(FFont.Font());
}

void TCanvas::MoveTo(int32_t x, int32_t y)
{
    FPenPos = QPoint(x, y);
}

bool TCanvas::ThinPen() const
{
    return FPen.width() <= 1 && FPen.style() == Qt::SolidLine &&
           FPen.brush().style() == Qt::SolidPattern && FPen.color().alpha() == 255 && CanStamp();
}

void TCanvas::ThinLine(QPoint from, QPoint to)
{
    // Pixels from `from` up to but excluding `to`, stepping along the longer
    // axis; only those on the image are visited, so lines of any length cost
    // at most one image width or height.
    const int64_t dx = int64_t(to.x()) - from.x(), dy = int64_t(to.y()) - from.y();
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0)
        return;
    const bool xMajor = adx >= ady;
    const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorStart = xMajor ? from.x() : from.y();
    const int64_t minorStart = xMajor ? from.y() : from.x();
    const int64_t majorLimit = xMajor ? FImage->width() : FImage->height();
    const int64_t minorLimit = xMajor ? FImage->height() : FImage->width();

    // The steps i in [0, major) whose major coordinate lies on the image.
    int64_t first, last;
    if (majorStep > 0)
        first = std::max<int64_t>(0, -majorStart),
        last = std::min(major - 1, majorLimit - 1 - majorStart);
    else
        first = std::max<int64_t>(0, majorStart - (majorLimit - 1)),
        last = std::min(major - 1, majorStart);
    if (first > last)
        return;

    // Minor offset of step i: round(i * minor / major), halves towards the end,
    // i.e. floor((2 i minor + major) / (2 major)), carried on incrementally.
    const int64_t twoMajor = 2 * major;
    int64_t offset = 0, remainder = major;
    if (first > 0) {
#if defined(__SIZEOF_INT128__)
        const __int128 numerator = (__int128)2 * first * minor + major;
        offset = int64_t(numerator / twoMajor);
        remainder = int64_t(numerator % twoMajor);
#else
        const long double exact = ((long double)2 * first * minor + major) / twoMajor;
        offset = int64_t(std::floor(exact));
        remainder = int64_t(2 * first * minor + major - offset * twoMajor);
#endif
    }
    auto *bits = reinterpret_cast<uint32_t *>(FImage->bits());
    const qsizetype stride = FImage->bytesPerLine() / 4;
    const uint32_t colour = FPenPixel;
    for (int64_t i = first; i <= last; ++i) {
        const int64_t m = majorStart + majorStep * i;
        const int64_t n = minorStart + minorStep * offset;
        if (n >= 0 && n < minorLimit) {
            const int64_t x = xMajor ? m : n, y = xMajor ? n : m;
            bits[y * stride + x] = colour;
        }
        remainder += 2 * minor;
        if (remainder >= twoMajor)
            remainder -= twoMajor, ++offset;
    }
}

void TCanvas::ThinOutline(const QPoint *points, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        ThinLine(points[i], points[(i + 1) % count]);
}

void TCanvas::LineTo(int32_t x, int32_t y)
{
    const QPoint end(x, y);
    if (FPainter && end != FPenPos) {
        if (ThinPen())
            ThinLine(FPenPos, end);
        else if (FPen.style() != Qt::NoPen)
            FPainter->drawLine(FPenPos, end);
    }
    FPenPos = end;
}

void TCanvas::Polyline(const QPoint *points, int32_t count)
{
    if (count <= 0)
        return;
    if (FPainter && count > 1) {
        if (ThinPen())
            for (int32_t i = 1; i < count; ++i)
                ThinLine(points[i - 1], points[i]);
        else if (FPen.style() != Qt::NoPen)
            FPainter->drawPolyline(points, count);
    }
    FPenPos = points[count - 1];
}

namespace {

// The QRect whose one-pixel outline covers x1 .. x2 - 1 and y1 .. y2 - 1, or
// nothing for an empty box or one that lies wholly off the image.
bool OutlineRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const QImage *image, int penWidth,
                 QRect &rect)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    const int64_t w = int64_t(x2) - x1 - 1;
    const int64_t h = int64_t(y2) - y1 - 1;
    if (w < 0 || h < 0 || w > std::numeric_limits<int>::max() / 2 ||
        h > std::numeric_limits<int>::max() / 2)
        return false;
    if (image) {
        const int64_t m = penWidth + 1;
        if (int64_t(x2) + m < 0 || int64_t(y2) + m < 0 || int64_t(x1) - m > image->width() ||
            int64_t(y1) - m > image->height())
            return false;
    }
    rect = QRect(x1, y1, int(w), int(h));
    return true;
}

} // namespace

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    QRect r;
    if (FPainter && OutlineRect(x1, y1, x2, y2, FImage, FPen.width(), r))
        FPainter->drawEllipse(r);
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    QRect r;
    if (!FPainter || !OutlineRect(x1, y1, x2, y2, FImage, FPen.width(), r))
        return;
    if (!ThinPen()) {
        FPainter->drawRect(r);
        return;
    }
    if (FBrush.style() != Qt::NoBrush && r.width() > 1 && r.height() > 1)
        FPainter->fillRect(r.adjusted(1, 1, 0, 0), FBrush);
    const QPoint corners[4] = {r.topLeft(), QPoint(r.left() + r.width(), r.top()),
                               QPoint(r.left() + r.width(), r.top() + r.height()),
                               QPoint(r.left(), r.top() + r.height())};
    ThinOutline(corners, 4);
}

void TCanvas::Polygon(const QPoint *points, int32_t count)
{
    if (!FPainter || count <= 0)
        return;
    if (!ThinPen()) {
        FPainter->drawPolygon(points, count);
        return;
    }
    if (FBrush.style() != Qt::NoBrush) {
        FPainter->save();
        FPainter->setPen(Qt::NoPen);
        FPainter->drawPolygon(points, count);
        FPainter->restore();
    }
    ThinOutline(points, count);
}

void TCanvas::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!FPainter || x2 <= x1 || y2 <= y1)
        return;
    // Only the part on the image matters; clamping keeps the size in range.
    const int32_t w = FImage->width(), h = FImage->height();
    x1 = std::clamp(x1, -1, w + 1), x2 = std::clamp(x2, -1, w + 1);
    y1 = std::clamp(y1, -1, h + 1), y2 = std::clamp(y2, -1, h + 1);
    if (x2 > x1 && y2 > y1)
        FPainter->fillRect(QRect(x1, y1, x2 - x1, y2 - y1), FBrush);
}

void TCanvas::TextOut(int32_t x, int32_t y, const QString &text)
{
    if (!FPainter || text.isEmpty())
        return;
    const QFontMetrics metrics(FPainter->font(), FImage);
    FPainter->save();
    FPainter->setPen(QPen(FFont.Color()));
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawText(QPoint(x, y + metrics.ascent()), text);
    FPainter->restore();
}

QSize TCanvas::TextExtent(const QString &text)
{
    const QFontMetrics metrics(FFont.Font(), FImage);
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void TCanvas::Draw(int32_t x, int32_t y, const QImage &image)
{
    if (FPainter && !image.isNull())
        FPainter->drawImage(QPoint(x, y), image);
}

bool TCanvas::CanStamp() const
{
    if (!FPainter)
        return false;
    switch (FImage->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

void TCanvas::Stamp(const TCanvasStamp &stamp, const QPoint *centres, size_t count)
{
    if (!CanStamp() || stamp.IsEmpty())
        return;
    const int32_t width = FImage->width(), height = FImage->height();
    auto *bits = reinterpret_cast<uint32_t *>(FImage->bits());
    const qsizetype stride = FImage->bytesPerLine() / 4;
    const uint32_t *pixels = stamp.FPixels.data();
    for (size_t i = 0; i < count; ++i) {
        const QPoint c = centres[i];
        if (i > 0 && c == centres[i - 1])
            continue;
        const int64_t left = int64_t(c.x()) + stamp.FMinDX, right = int64_t(c.x()) + stamp.FMaxDX;
        const int64_t top = int64_t(c.y()) + stamp.FMinDY, bottom = int64_t(c.y()) + stamp.FMaxDY;
        if (right < 0 || bottom < 0 || left >= width || top >= height)
            continue;
        const bool inside = left >= 0 && top >= 0 && right < width && bottom < height;
        for (const TCanvasStamp::TRun &run : stamp.FRuns) {
            const int32_t y = c.y() + run.DY;
            int32_t x = c.x() + run.DX;
            int32_t n = run.Length;
            const uint32_t *src = pixels + run.Offset;
            if (!inside) {
                if (y < 0 || y >= height)
                    continue;
                if (x < 0) {
                    n += x, src -= x, x = 0;
                }
                if (x + n > width)
                    n = width - x;
                if (n <= 0)
                    continue;
            }
            uint32_t *dst = bits + y * stride + x;
            for (int32_t k = 0; k < n; ++k)
                dst[k] = src[k];
        }
    }
}

QImage NewGraphImage(int32_t width, int32_t height)
{
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    if (width > 0 && height > 0 && image.isNull())
        throw EGraphImageError(
            QStringLiteral("Cannot create an image of %1 x %2 pixels").arg(width).arg(height));
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    return image;
}
