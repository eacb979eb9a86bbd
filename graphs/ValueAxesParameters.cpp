#include "graphs/ValueAxesParameters.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/AxisSteps.h"

#include <cmath>

namespace {

QString Number(double value)
{
    return FormatFixed(value, 1);
}

} // namespace

QString MessageNumber(double value)
{
    const TFormatSettings settings = GetSystemFormatSettings();
    const QString fixed = FormatFixed(value, 1, settings);
    double back = 0.0;
    if (!std::isfinite(value) || (TryStrToFloatSystem(fixed, back, settings) && back == value))
        return fixed;
    return FormatGeneral(value, 15, settings);
}

// ---------------------------------------------------------------- TValueAxesParameters

TValueAxesParameters::TValueAxesParameters() = default;

QString TValueAxesParameters::Message(const QString &operation, const QString &text) const
{
    return MessagePrefix() + QLatin1Char(':') + operation + QStringLiteral(": ") + text;
}

void TValueAxesParameters::CheckSeries(int32_t index, const char *operation, const char *noun) const
{
    if (index < 1 || index > ChannelCount)
        RaiseIndexError(Message(
            QLatin1String(operation),
            QStringLiteral("%1 index %2 is out of range").arg(QLatin1String(noun)).arg(index)));
}

void TValueAxesParameters::CheckAxis(int32_t index, const char *operation, int32_t first) const
{
    if (index < first || index > ValueAxisCount)
        RaiseIndexError(Message(QLatin1String(operation),
                                QStringLiteral("Axis index %1 is out of range").arg(index)));
}

TMarkerDefinition &TValueAxesParameters::GetDataMarker(int32_t index)
{
    CheckSeries(index, "GetDataMarker", "Marker");
    return FDataMarkers[size_t(index - 1)];
}

const TMarkerDefinition &TValueAxesParameters::GetDataMarker(int32_t index) const
{
    CheckSeries(index, "GetDataMarker", "Marker");
    return FDataMarkers[size_t(index - 1)];
}

int32_t TValueAxesParameters::GetSeriesAxis(int32_t index) const
{
    CheckSeries(index, "GetSeriesAxis", "Axis");
    return FSeriesAxis[size_t(index - 1)];
}

void TValueAxesParameters::SetSeriesAxis(int32_t index, int32_t axis)
{
    CheckSeries(index, "SetSeriesAxis", "Axis");
    FSeriesAxis[size_t(index - 1)] = axis;
}

double TValueAxesParameters::GetDependentMin(int32_t index) const
{
    CheckAxis(index, "GetDependentMin");
    return FDependentMinimum[size_t(index - 1)];
}

double TValueAxesParameters::GetDependentMax(int32_t index) const
{
    CheckAxis(index, "GetDependentMax");
    return FDependentMaximum[size_t(index - 1)];
}

bool TValueAxesParameters::GetDependentAxisShown(int32_t index) const
{
    CheckAxis(index, "GetDependentAxisShown");
    return FDependentShown[size_t(index - 1)];
}

void TValueAxesParameters::SetDependentAxisShown(int32_t index, bool shown)
{
    CheckAxis(index, "SetDependentAxisShown", 2);
    FDependentShown[size_t(index - 1)] = shown;
}

void TValueAxesParameters::SetDependentAxis(int32_t index, double minimum, double maximum)
{
    CheckAxis(index, "SetDependentAxis");
    // Written so that a value that compares with nothing is refused too.
    if (!(minimum < maximum))
        RaiseRangeError(Message(QStringLiteral("SetDependentAxis"),
                                QStringLiteral("Axis %1: Min(%2) >= Max(%3)")
                                    .arg(index)
                                    .arg(Number(minimum), Number(maximum))));
    FDependentMinimum[size_t(index - 1)] = minimum;
    FDependentMaximum[size_t(index - 1)] = maximum;
}

void TValueAxesParameters::SetDependentAxis(double interval)
{
    if (!(interval > 0))
        RaiseValueError(Message(QStringLiteral("SetDependentAxis"),
                                QStringLiteral("Interval(%1) <= 0").arg(Number(interval))));
    FDependentInterval = interval;
}

void TValueAxesParameters::AssignValueAxes(const TValueAxesParameters &source)
{
    FDependentInterval = source.FDependentInterval;
    FDependentMinimum = source.FDependentMinimum;
    FDependentMaximum = source.FDependentMaximum;
    FDependentShown = source.FDependentShown;
    FSeriesAxis = source.FSeriesAxis;
    for (size_t i = 0; i < FDataMarkers.size(); ++i)
        FDataMarkers[i].Assign(source.FDataMarkers[i]);
}

bool TValueAxesParameters::SameValueAxes(const TValueAxesParameters &other) const
{
    return Width() == other.Width() && Height() == other.Height() &&
           FDependentInterval == other.FDependentInterval &&
           FDependentMinimum == other.FDependentMinimum &&
           FDependentMaximum == other.FDependentMaximum &&
           FDependentShown == other.FDependentShown && FSeriesAxis == other.FSeriesAxis &&
           FDataMarkers == other.FDataMarkers;
}

void TValueAxesParameters::SaveValueAxesToXML(QDomElement &element) const
{
    AddXmlDouble(element, QStringLiteral("DependentInterval"), FDependentInterval);
    QDomElement axes = AddChildElement(element, QStringLiteral("DependentAxes"));
    for (size_t i = 0; i < size_t(ValueAxisCount); ++i) {
        QDomElement axis = AddChildElement(axes, QStringLiteral("Axis"));
        AddXmlDouble(axis, QStringLiteral("Minimum"), FDependentMinimum[i]);
        AddXmlDouble(axis, QStringLiteral("Maximum"), FDependentMaximum[i]);
        AddChildElement(axis, QStringLiteral("Visible"), BoolToStr(FDependentShown[i]));
    }
    QDomElement group = AddChildElement(element, QStringLiteral("SeriesGroup"));
    for (size_t i = 0; i < size_t(ChannelCount); ++i) {
        QDomElement series = AddChildElement(group, QStringLiteral("Series"));
        AddChildElement(series, QStringLiteral("AxisNumber"), QString::number(FSeriesAxis[i]));
        QDomElement marker = AddChildElement(series, QStringLiteral("Marker"));
        FDataMarkers[i].SaveToXML(marker);
    }
}

void TValueAxesParameters::LoadValueAxesFromXML(const TXmlReader &element)
{
    FDependentInterval = element.Double(QStringLiteral("DependentInterval"));
    const std::vector<TXmlReader> axes =
        element.Child(QStringLiteral("DependentAxes"))
            .ChildrenByPosition(ValueAxisCount, QStringLiteral("Axis"));
    for (size_t i = 0; i < size_t(ValueAxisCount); ++i) {
        FDependentMinimum[i] = axes[i].Double(QStringLiteral("Minimum"));
        FDependentMaximum[i] = axes[i].Double(QStringLiteral("Maximum"));
        FDependentShown[i] = axes[i].Boolean(QStringLiteral("Visible"));
    }
    const std::vector<TXmlReader> series =
        element.Child(QStringLiteral("SeriesGroup"))
            .ChildrenByPosition(ChannelCount, QStringLiteral("Series"));
    for (size_t i = 0; i < size_t(ChannelCount); ++i) {
        FSeriesAxis[i] = series[i].Integer(QStringLiteral("AxisNumber"));
        const TXmlReader marker = series[i].Child(QStringLiteral("Marker"));
        ReadAt(marker, [&] { FDataMarkers[i].LoadFromXML(marker.Element()); });
    }
}

std::vector<double> TValueAxesParameters::CheckIndependentAxis(const QString &name, double minimum,
                                                               double maximum,
                                                               double interval) const
{
    const QString operation = QStringLiteral("BuildFromParameters");
    if (!(interval > 0))
        RaiseValueError(Message(
            operation, QStringLiteral("%1 Interval(%2) <= 0").arg(name, MessageNumber(interval))));
    if (!(minimum < maximum))
        RaiseRangeError(
            Message(operation, QStringLiteral("%1 Min(%2) >= Max(%3)")
                                   .arg(name, MessageNumber(minimum), MessageNumber(maximum))));
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        RaiseValueError(
            Message(operation, QStringLiteral("%1 Min(%2) and Max(%3) must be finite")
                                   .arg(name, MessageNumber(minimum), MessageNumber(maximum))));
    std::vector<double> values;
    if (!AxisSteps(minimum, maximum, interval, values))
        RaiseValueError(
            Message(operation, QStringLiteral("%1 Interval(%2) gives more than %3 gridlines")
                                   .arg(name, MessageNumber(interval))
                                   .arg(MaxGridlines)));
    return values;
}

std::vector<double> TValueAxesParameters::CheckValueAxes() const
{
    const QString operation = QStringLiteral("BuildFromParameters");
    if (!(FDependentInterval > 0))
        RaiseValueError(Message(
            operation,
            QStringLiteral("Dependent Interval(%1) <= 0").arg(MessageNumber(FDependentInterval))));
    for (int32_t i = 1; i <= ValueAxisCount; ++i) {
        const double minimum = FDependentMinimum[size_t(i - 1)];
        const double maximum = FDependentMaximum[size_t(i - 1)];
        // Equal ends would divide by zero in the label step of B and C and in
        // every mapping of the axis.
        if (!(minimum < maximum))
            RaiseRangeError(
                Message(operation, QStringLiteral("Axis %1: Min(%2) >= Max(%3)")
                                       .arg(i)
                                       .arg(MessageNumber(minimum), MessageNumber(maximum))));
        if (!std::isfinite(minimum) || !std::isfinite(maximum))
            RaiseValueError(
                Message(operation, QStringLiteral("Axis %1: Min(%2) and Max(%3) must be finite")
                                       .arg(i)
                                       .arg(MessageNumber(minimum), MessageNumber(maximum))));
    }
    std::vector<double> positions;
    if (!AxisSteps(FDependentMinimum[0], FDependentMaximum[0], FDependentInterval, positions))
        RaiseValueError(
            Message(operation, QStringLiteral("Dependent Interval(%1) gives more than %2 gridlines")
                                   .arg(MessageNumber(FDependentInterval))
                                   .arg(MaxGridlines)));
    // The axis of each series, in the order the layout visits them; the
    // message is that of the lookup the layout makes.
    for (int32_t i = ChannelCount; i >= 1; --i)
        GetDependentAxisShown(FSeriesAxis[size_t(i - 1)]);
    return positions;
}

// ---------------------------------------------------------------- building

void BuildValueAxes(TGraphDefinition &definition, const TValueAxesParameters &parameters,
                    const std::vector<double> &positions, TValueAxisOrientation orientation)
{
    const double a1 = parameters.GetDependentMin(1);
    const double b1 = parameters.GetDependentMax(1);
    const double s = parameters.DependentInterval();
    for (int32_t i = 1; i <= TValueAxesParameters::ValueAxisCount; ++i) {
        TAxisDefinition &axis = definition.GetDependentAxis(i);
        axis.ClearLabels();
        axis.ClearGridlines();
        const double minimum = parameters.GetDependentMin(i);
        const double maximum = parameters.GetDependentMax(i);
        if (orientation == voHorizontal) {
            axis.Range().Left = minimum;
            axis.Range().Right = maximum;
        } else {
            axis.Range().Bottom = minimum;
            axis.Range().Top = maximum;
        }
        axis.SetVisible(parameters.GetDependentAxisShown(i));
        if (i == 1) {
            for (double x : positions) {
                axis.AddGridline(x);
                axis.AddLabel(FormatFixed(x, 1), x);
            }
        } else {
            // B and C read their own scale at A's gridlines.
            const double step = (maximum - minimum) * s / (b1 - a1);
            double v = minimum;
            for (size_t k = 0; k < positions.size(); ++k) {
                axis.AddLabel(FormatFixed(v, 1), v);
                v += step;
            }
        }
    }
}

void BuildValueSeries(TGraphDefinition &definition, const TValueAxesParameters &parameters,
                      const TAxisDefinition &independent, TValueAxisOrientation orientation)
{
    for (int32_t i = TValueAxesParameters::ChannelCount; i >= 1; --i) {
        TSeriesDefinition &series = definition.GetSeries(i);
        series.Marker().Assign(parameters.GetDataMarker(i));
        const int32_t a = parameters.GetSeriesAxis(i);
        series.SetVisible(parameters.GetDependentAxisShown(a));
        const TDoubleRect &values = definition.GetDependentAxis(a).Range();
        const TDoubleRect &across = independent.Range();
        TDoubleRect &range = series.Range();
        if (orientation == voHorizontal) {
            range.Left = values.Left, range.Right = values.Right;
            range.Top = across.Top, range.Bottom = across.Bottom;
        } else {
            range.Left = across.Left, range.Right = across.Right;
            range.Top = values.Top, range.Bottom = values.Bottom;
        }
        definition.Legend().GetCell(i).Marker().Assign(series.Marker());
    }
}

void UpdateValueLegend(TGraphDefinition &definition, const TValueAxesParameters &parameters,
                       const TKestrinResult &configuration, int32_t hiddenChannel)
{
    for (int32_t i = 1; i <= TValueAxesParameters::ChannelCount; ++i) {
        TLegendCellDefinition &cell = definition.Legend().GetCell(i);
        const TChannelType type = configuration.ChannelType(i);
        cell.SetText(QChar(char16_t(64 + parameters.GetSeriesAxis(i))) + QLatin1Char(' ') +
                     ChannelTypeToName(type));
        cell.SetVisible(IsPresentChannelType(type) && i != hiddenChannel);
    }
}
