#include "graphs/SeriesDefaults.h"

#include "foundation/Errors.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/ValueAxesParameters.h"

#include <QColor>

namespace {

struct TSeriesLook
{
    TDataMarker Shape;
    int32_t Size;
    QColor Color;
    int32_t LineWidth;
};

const TSeriesLook ChannelLooks[TValueAxesParameters::ChannelCount] = {
    {dmNone, 7, QColor(255, 0, 0), 3},     {dmNone, 7, QColor(0, 0, 255), 3},
    {dmCircle, 7, QColor(0, 0, 0), 1},     {dmCircle, 7, QColor(0, 255, 0), 1},
    {dmSquare, 7, QColor(0, 0, 255), 1},   {dmSquare, 7, QColor(255, 0, 0), 1},
    {dmSquare, 7, QColor(0, 0, 0), 1},     {dmNone, 7, QColor(0, 255, 0), 3},
    {dmTriangle, 7, QColor(0, 0, 255), 1}, {dmTriangle, 10, QColor(255, 0, 0), 1},
};

// One colour for the fill, the outline and the line, as the marker preview
// control sets it.
TMarkerDefinition MakeMarker(const TSeriesLook &look)
{
    TMarkerDefinition marker;
    marker.SetShape(look.Shape);
    marker.SetSize(look.Size);
    marker.MarkerBrush().setColor(look.Color);
    marker.MarkerPen().setColor(look.Color);
    marker.LinePen().setColor(look.Color);
    marker.LinePen().setWidth(look.LineWidth);
    marker.LinePen().setStyle(Qt::SolidLine);
    return marker;
}

} // namespace

TInitialSeries InitialChannelSeries(int32_t channel)
{
    if (channel < 1 || channel > TValueAxesParameters::ChannelCount)
        throw ERangeError(QStringLiteral("Initial series of channel %1 requested").arg(channel));
    TInitialSeries series;
    series.Axis = 1;
    series.Marker = MakeMarker(ChannelLooks[channel - 1]);
    return series;
}

TMarkerDefinition InitialTemperatureMarker()
{
    return MakeMarker({dmNone, 15, QColor(255, 0, 0), 1});
}

TMarkerDefinition InitialDewpointMarker()
{
    return MakeMarker({dmNone, 15, QColor(0, 0, 255), 1});
}

void ApplyInitialSeries(TValueAxesParameters &parameters)
{
    for (int32_t channel = 1; channel <= TValueAxesParameters::ChannelCount; ++channel) {
        const TInitialSeries series = InitialChannelSeries(channel);
        parameters.SetSeriesAxis(channel, series.Axis);
        parameters.GetDataMarker(channel).Assign(series.Marker);
    }
}

void ApplyInitialSeries(TSkewTGraphParameters &parameters)
{
    parameters.TemperatureMarker().Assign(InitialTemperatureMarker());
    parameters.DewpointMarker().Assign(InitialDewpointMarker());
}
