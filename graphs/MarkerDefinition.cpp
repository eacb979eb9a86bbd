#include "graphs/MarkerDefinition.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/GraphErrors.h"

#include <cstdlib>
#include <limits>

TMarkerDefinition::TMarkerDefinition()
{
    SetDefaults();
}

void TMarkerDefinition::SetDefaults()
{
    FLinePen = DefaultPen();
    FMarkerPen = DefaultPen();
    FLineBrush = DefaultBrush();
    FMarkerBrush = DefaultBrush();
    FShape = dmCircle;
    SetSize(15);
    FLegendLineStart = -10;
    FLegendLineEnd = 20;
    FReadColors = {};
}

void TMarkerDefinition::SetSize(int32_t size)
{
    FSize = size;
    FHalfSize = size / 2;
}

bool TMarkerDefinition::operator==(const TMarkerDefinition &other) const
{
    return FShape == other.FShape && FSize == other.FSize && FHalfSize == other.FHalfSize &&
           FLinePen == other.FLinePen && FMarkerPen == other.FMarkerPen &&
           FLineBrush == other.FLineBrush && FMarkerBrush == other.FMarkerBrush &&
           FLegendLineStart == other.FLegendLineStart && FLegendLineEnd == other.FLegendLineEnd &&
           StoredColors() == other.StoredColors();
}

TMarkerDefinition::TColorValues TMarkerDefinition::StoredColors() const
{
    return {StoredColorValue(FLinePen.color(), FReadColors.LinePen),
            StoredColorValue(FMarkerPen.color(), FReadColors.MarkerPen),
            StoredColorValue(FLineBrush.color(), FReadColors.LineBrush),
            StoredColorValue(FMarkerBrush.color(), FReadColors.MarkerBrush)};
}

void TMarkerDefinition::Scale(int32_t factor)
{
    if (factor < 1)
        throw EInvalidScaleError(
            QStringLiteral("TMarkerDefinition: Scale factor %1 is invalid.").arg(factor));
    // Every product first, so that an overflow changes nothing.
    const int32_t size = CheckedMultiply(FSize, factor);
    const int32_t penWidth = CheckedMultiply(FMarkerPen.width(), factor);
    const int32_t start = CheckedMultiply(FLegendLineStart, factor);
    const int32_t end = CheckedMultiply(FLegendLineEnd, factor);
    SetSize(size);
    FMarkerPen.setWidth(penWidth);
    FLegendLineStart = start;
    FLegendLineEnd = end;
}

void TMarkerDefinition::DrawMarker(TCanvas &canvas, QPoint centre) const
{
    if (FShape == dmNone)
        return;
    const int32_t x = centre.x(), y = centre.y(), r = FHalfSize;
    const QPen savedPen = canvas.Pen();
    const QBrush savedBrush = canvas.Brush();
    canvas.SetBrush(FMarkerBrush);
    canvas.SetPen(FMarkerPen);
    switch (FShape) {
    case dmCircle:
        canvas.Ellipse(CheckedSubtract(x, r), CheckedSubtract(y, r), CheckedAdd(x, r),
                       CheckedAdd(y, r));
        break;
    case dmSquare:
        canvas.Rectangle(CheckedSubtract(x, r), CheckedSubtract(y, r), CheckedAdd(x, r),
                         CheckedAdd(y, r));
        break;
    case dmTriangle: {
        const int32_t halfWidth = RoundToInt32(0.866L * r);
        const int32_t drop = RoundToInt32(r / 2.0L);
        const QPoint points[3] = {
            QPoint(x, CheckedSubtract(y, r)),
            QPoint(CheckedSubtract(x, halfWidth), CheckedAdd(y, drop)),
            QPoint(CheckedAdd(x, halfWidth), CheckedAdd(y, drop)),
        };
        canvas.Polygon(points, 3);
        break;
    }
    case dmNone:
        break;
    }
    canvas.SetPen(savedPen);
    canvas.SetBrush(savedBrush);
}

bool TMarkerDefinition::CanStampMarker() const
{
    // A stamp reproduces the drawing exactly only for opaque, position-free
    // paint: solid colours (no patterns anchored to the image) without alpha.
    const bool brushOk =
        FMarkerBrush.style() == Qt::NoBrush ||
        (FMarkerBrush.style() == Qt::SolidPattern && FMarkerBrush.color().alpha() == 255);
    const bool penOk =
        FMarkerPen.style() == Qt::NoPen ||
        (FMarkerPen.brush().style() == Qt::SolidPattern && FMarkerPen.color().alpha() == 255);
    // Very large markers are drawn directly: a stamp would be bigger than the work.
    const int64_t extent = int64_t(std::abs(int64_t(FHalfSize))) + FMarkerPen.width();
    return brushOk && penOk && extent < 512;
}

void TMarkerDefinition::DrawMarkers(TCanvas &canvas, const std::vector<QPoint> &centres) const
{
    if (FShape == dmNone || centres.empty())
        return;
    if (canvas.CanStamp() && CanStampMarker()) {
        // The marker drawn once around the centre of a small transparent image.
        const int32_t margin =
            int32_t(std::abs(int64_t(FHalfSize))) + std::max(FMarkerPen.width(), 1) + 2;
        QImage sprite(2 * margin + 1, 2 * margin + 1, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        {
            TCanvas spriteCanvas(sprite);
            DrawMarker(spriteCanvas, QPoint(margin, margin));
        }
        const TCanvasStamp stamp(sprite, QPoint(margin, margin));
        // Pixel arithmetic stays checked as it is for a single marker.
        const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) - std::abs(FHalfSize);
        for (const QPoint &c : centres)
            if (std::abs(int64_t(c.x())) > limit || std::abs(int64_t(c.y())) > limit)
                throw EIntOverflow(QStringLiteral("Integer overflow"));
        canvas.Stamp(stamp, centres.data(), centres.size());
        return;
    }
    for (size_t i = 0; i < centres.size(); ++i)
        if (i == 0 || centres[i] != centres[i - 1])
            DrawMarker(canvas, centres[i]);
}

void TMarkerDefinition::DrawLegendSample(TCanvas &canvas, QPoint point) const
{
    const QPoint savedPos = canvas.PenPos();
    const QPen savedPen = canvas.Pen();
    const QBrush savedBrush = canvas.Brush();
    canvas.SetBrush(FLineBrush);
    canvas.SetPen(FLinePen);
    canvas.MoveTo(CheckedAdd(point.x(), FLegendLineStart), point.y());
    canvas.LineTo(CheckedAdd(point.x(), FLegendLineEnd), point.y());
    DrawMarker(canvas, point);
    canvas.SetPen(savedPen);
    canvas.SetBrush(savedBrush);
    canvas.MoveTo(savedPos.x(), savedPos.y());
}

QString TMarkerDefinition::ShapeName() const
{
    return ShapeName(FShape);
}

QString TMarkerDefinition::ShapeName(TDataMarker shape)
{
    switch (shape) {
    case dmCircle:
        return QStringLiteral("Circle");
    case dmSquare:
        return QStringLiteral("Square");
    case dmTriangle:
        return QStringLiteral("Triangle");
    case dmNone:
        return QStringLiteral("None");
    }
    return QStringLiteral("Circle");
}

TDataMarker TMarkerDefinition::ShapeFromName(const QString &name)
{
    if (name == QLatin1String("Square"))
        return dmSquare;
    if (name == QLatin1String("Triangle"))
        return dmTriangle;
    if (name == QLatin1String("None"))
        return dmNone;
    return dmCircle;
}

void TMarkerDefinition::SaveToXML(QDomElement &element) const
{
    QDomElement marker = AddChildElement(element, QStringLiteral("Marker"));
    AddChildElement(marker, QStringLiteral("Symbol"), ShapeName());
    AddChildElement(marker, QStringLiteral("Size"), QString::number(FSize));
    QDomElement markerPen = AddChildElement(marker, QStringLiteral("Pen"));
    SavePenToXml(FMarkerPen, markerPen, FReadColors.MarkerPen);
    QDomElement markerBrush = AddChildElement(marker, QStringLiteral("Brush"));
    SaveBrushToXml(FMarkerBrush, markerBrush, FReadColors.MarkerBrush);

    QDomElement line = AddChildElement(element, QStringLiteral("Line"));
    QDomElement linePen = AddChildElement(line, QStringLiteral("Pen"));
    SavePenToXml(FLinePen, linePen, FReadColors.LinePen);
    QDomElement lineBrush = AddChildElement(line, QStringLiteral("Brush"));
    SaveBrushToXml(FLineBrush, lineBrush, FReadColors.LineBrush);
}

void TMarkerDefinition::LoadFromXML(const QDomElement &element)
{
    SetDefaults();
    for (QDomElement part = element.firstChildElement(); !part.isNull();
         part = part.nextSiblingElement()) {
        if (part.tagName() == QLatin1String("Marker")) {
            for (QDomElement child = part.firstChildElement(); !child.isNull();
                 child = child.nextSiblingElement()) {
                const QString name = child.tagName();
                if (name == QLatin1String("Symbol"))
                    FShape = ShapeFromName(child.text());
                else if (name == QLatin1String("Size"))
                    SetSize(StrToInt32(child.text()));
                else if (name == QLatin1String("Pen"))
                    FReadColors.MarkerPen = LoadPenFromXml(FMarkerPen, child);
                else if (name == QLatin1String("Brush"))
                    FReadColors.MarkerBrush = LoadBrushFromXml(FMarkerBrush, child);
            }
        } else if (part.tagName() == QLatin1String("Line")) {
            for (QDomElement child = part.firstChildElement(); !child.isNull();
                 child = child.nextSiblingElement()) {
                if (child.tagName() == QLatin1String("Pen"))
                    FReadColors.LinePen = LoadPenFromXml(FLinePen, child);
                else if (child.tagName() == QLatin1String("Brush"))
                    FReadColors.LineBrush = LoadBrushFromXml(FLineBrush, child);
            }
        }
    }
}
