#include "graphs/SkewTOverlays.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <algorithm>

const char *const ParcelLegendText = "Parcel";
const char *const StandardAtmosphereLegendText = "Std. atmos.";

namespace {

// Screen measures of the box, in pixels.
constexpr int32_t BoxFontSize = 10;
constexpr int32_t BoxInset = 6;   // from the frame of the plot
constexpr int32_t BoxPadding = 4; // from the outline to the texts
constexpr int32_t ColumnGap = 8;  // between captions and values

const QColor DarkOrange(230, 110, 0);
const QColor Grey(128, 128, 128);

QString NotAvailable()
{
    return QStringLiteral("n/a");
}

QString Celsius(double t)
{
    return FormatFixed(t, 1) + QStringLiteral(" \u00B0C");
}

QString Millibars(double p)
{
    return FormatFixed(p, 0) + QStringLiteral(" mbar");
}

// The altitude (metres above sea level) and pressure of a level.
QString LevelText(const std::optional<TAnalysisLevel> &level, TLengthUnit unit)
{
    if (!level)
        return NotAvailable();
    const bool feet = unit == luFeet;
    const double height = feet ? MetersToFeet(level->Altitude) : level->Altitude;
    return FormatFixed(height, 0) + (feet ? QStringLiteral(" ft, ") : QStringLiteral(" m, ")) +
           Millibars(level->Pressure);
}

QString EnergyText(const std::optional<double> &value)
{
    return value ? FormatFixed(*value, 0) + QStringLiteral(" J/kg") : NotAvailable();
}

// A dashed line without markers. Printed, the line keeps its width, as every
// curve of the diagram does, so that it does not bury the measured traces;
// its dashes and legend sample grow with the print layout.
TMarkerDefinition LineOnly(const QColor &colour, int32_t width, int32_t scale)
{
    TMarkerDefinition marker;
    marker.SetShape(dmNone);
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    // Qt's dash line, in units of the pen width: dash 4, gap 2.
    const qreal dash = 4.0 * scale;
    const qreal gap = 2.0 * scale;
    pen.setDashPattern({dash, gap});
    marker.SetLinePen(pen);
    marker.Scale(scale);
    return marker;
}

} // namespace

TAnalysisBoxRows AnalysisBoxRows(const TSoundingAnalysis &analysis, TLengthUnit unit)
{
    TAnalysisBoxRows rows;
    rows.push_back({QStringLiteral("LCL"), analysis.Lcl ? Millibars(analysis.Lcl->Pressure) +
                                                              QStringLiteral(", ") +
                                                              Celsius(analysis.Lcl->Temperature)
                                                        : NotAvailable()});
    rows.push_back({QStringLiteral("CAPE"), EnergyText(analysis.Cape)});
    rows.push_back({QStringLiteral("CIN"), EnergyText(analysis.Cin)});
    rows.push_back({QStringLiteral("PW"),
                    analysis.PrecipitableWater
                        ? FormatFixed(*analysis.PrecipitableWater, 1) + QStringLiteral(" mm")
                        : NotAvailable()});
    rows.push_back({QStringLiteral("Freezing"), LevelText(analysis.FreezingLevel, unit)});
    rows.push_back({QStringLiteral("Tropopause"), LevelText(analysis.Tropopause, unit)});
    return rows;
}

TMarkerDefinition ParcelTraceMarker(int32_t scale)
{
    return LineOnly(DarkOrange, 2, scale);
}

TMarkerDefinition StandardAtmosphereMarker(int32_t scale)
{
    return LineOnly(Grey, 1, scale);
}

TFont AnalysisBoxFont(int32_t scale)
{
    TFont font;
    font.SetPixelSize(CheckedMultiply(BoxFontSize, scale));
    return font;
}

TAnalysisBoxLayout LayoutAnalysisBox(TCanvas &canvas, const TRect &plot,
                                     const TAnalysisBoxRows &rows, int32_t scale)
{
    TAnalysisBoxLayout layout;
    if (rows.empty())
        return layout;
    const int32_t inset = CheckedMultiply(BoxInset, scale);
    const int32_t padding = CheckedMultiply(BoxPadding, scale);
    const int32_t gap = CheckedMultiply(ColumnGap, scale);
    int32_t captionWidth = 0;
    int32_t valueWidth = 0;
    int32_t rowHeight = 0;
    for (const TAnalysisBoxRow &row : rows) {
        const QSize caption = canvas.TextExtent(row.Caption);
        const QSize value = canvas.TextExtent(row.Value);
        captionWidth = std::max(captionWidth, caption.width());
        valueWidth = std::max(valueWidth, value.width());
        rowHeight = std::max({rowHeight, caption.height(), value.height()});
    }
    // The outline's one-pixel column and row inside the box are part of the
    // padding.
    const int32_t width = CheckedAdd(CheckedAdd(captionWidth, gap),
                                     CheckedAdd(valueWidth, CheckedMultiply(padding, 2)));
    const int32_t height =
        CheckedAdd(CheckedMultiply(rowHeight, int32_t(rows.size())), CheckedMultiply(padding, 2));
    if (int64_t(width) * 2 > int64_t(plot.Right) - plot.Left ||
        int64_t(height) * 2 > int64_t(plot.Bottom) - plot.Top)
        return layout;
    const int32_t right = CheckedSubtract(plot.Right, inset);
    const int32_t top = CheckedAdd(plot.Top, inset);
    const int32_t left = CheckedSubtract(right, width);
    const int32_t bottom = CheckedAdd(top, height);

    layout.Box = TRect{left, top, right, bottom};
    const int32_t captionX = CheckedAdd(left, padding);
    const int32_t valueX = CheckedAdd(CheckedAdd(captionX, captionWidth), gap);
    int32_t y = CheckedAdd(top, padding);
    for (size_t i = 0; i < rows.size(); ++i) {
        layout.CaptionOrigins.emplace_back(captionX, y);
        layout.ValueOrigins.emplace_back(valueX, y);
        y += rowHeight;
    }
    return layout;
}

void DrawAnalysisBox(TCanvas &canvas, const TRect &plot, const TAnalysisBoxRows &rows,
                     int32_t scale)
{
    const QPen savedPen = canvas.Pen();
    const QBrush savedBrush = canvas.Brush();
    const TFont savedFont = canvas.Font();
    canvas.SetFont(AnalysisBoxFont(scale));
    const TAnalysisBoxLayout layout = LayoutAnalysisBox(canvas, plot, rows, scale);
    if (!layout.CaptionOrigins.empty()) {
        QPen outline(Grey, scale);
        outline.setJoinStyle(Qt::MiterJoin);
        canvas.SetPen(outline);
        canvas.SetBrush(QBrush(Qt::white));
        canvas.Rectangle(layout.Box.Left, layout.Box.Top, layout.Box.Right, layout.Box.Bottom);
        for (size_t i = 0; i < rows.size(); ++i) {
            canvas.TextOut(layout.CaptionOrigins[i].x(), layout.CaptionOrigins[i].y(),
                           rows[i].Caption);
            canvas.TextOut(layout.ValueOrigins[i].x(), layout.ValueOrigins[i].y(), rows[i].Value);
        }
    }
    canvas.SetFont(savedFont);
    canvas.SetBrush(savedBrush);
    canvas.SetPen(savedPen);
}
