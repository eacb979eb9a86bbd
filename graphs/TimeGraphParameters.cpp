#include "graphs/TimeGraphParameters.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

std::unique_ptr<TGraphParameters> TTimeGraphParameters::Clone() const
{
    return std::make_unique<TTimeGraphParameters>(*this);
}

void TTimeGraphParameters::Assign(const TGraphParameters &source)
{
    CheckSameClass(source);
    if (&source == this)
        return;
    const auto &other = static_cast<const TTimeGraphParameters &>(source);
    TGraphParameters::Assign(other);
    AssignValueAxes(other);
    FTimeInterval = other.FTimeInterval;
    FTimeMinimum = other.FTimeMinimum;
    FTimeMaximum = other.FTimeMaximum;
}

bool TTimeGraphParameters::operator==(const TTimeGraphParameters &other) const
{
    return SameValueAxes(other) && FTimeInterval == other.FTimeInterval &&
           FTimeMinimum == other.FTimeMinimum && FTimeMaximum == other.FTimeMaximum;
}

void TTimeGraphParameters::RaiseIndexError(const QString &message) const
{
    throw ETimeGraphParametersIndexError(message);
}

void TTimeGraphParameters::RaiseRangeError(const QString &message) const
{
    throw ETimeGraphParametersRangeError(message);
}

void TTimeGraphParameters::RaiseValueError(const QString &message) const
{
    throw ETimeGraphParametersValueError(message);
}

void TTimeGraphParameters::SetTimeAxis(double minimum, double maximum)
{
    if (!(minimum < maximum))
        RaiseRangeError(Message(QStringLiteral("SetTimeAxis"),
                                QStringLiteral("Min(%1) >= Max(%2)")
                                    .arg(FormatFixed(minimum, 1), FormatFixed(maximum, 1))));
    if (minimum < 0)
        RaiseValueError(
            Message(QStringLiteral("SetTimeAxis"),
                    QStringLiteral("Min(%1) must be >= 0").arg(FormatFixed(minimum, 1))));
    FTimeMinimum = minimum;
    FTimeMaximum = maximum;
}

void TTimeGraphParameters::SetTimeAxis(double interval)
{
    if (!(interval > 0))
        RaiseValueError(Message(QStringLiteral("SetTimeAxis"),
                                QStringLiteral("Interval(%1) <= 0").arg(FormatFixed(interval, 1))));
    FTimeInterval = interval;
}

std::vector<double> TTimeGraphParameters::CheckForBuild(std::vector<double> &valuePositions) const
{
    std::vector<double> times =
        CheckIndependentAxis(QStringLiteral("Time"), FTimeMinimum, FTimeMaximum, FTimeInterval);
    if (FTimeMinimum < 0)
        RaiseValueError(
            Message(QStringLiteral("BuildFromParameters"),
                    QStringLiteral("Time Min(%1) must be >= 0").arg(FormatFixed(FTimeMinimum, 1))));
    valuePositions = CheckValueAxes();
    return times;
}

void TTimeGraphParameters::SaveToXML(QDomElement &element) const
{
    TGraphParameters::SaveToXML(element);
    QDomElement time = AddChildElement(element, QStringLiteral("TimeAxis"));
    AddXmlDouble(time, QStringLiteral("Interval"), FTimeInterval);
    AddXmlDouble(time, QStringLiteral("Minimum"), FTimeMinimum);
    AddXmlDouble(time, QStringLiteral("Maximum"), FTimeMaximum);
    SaveValueAxesToXML(element);
}

void TTimeGraphParameters::LoadFromXML(const QDomElement &element)
{
    TTimeGraphParameters loaded;
    loaded.LoadOwnFields(element);
    Assign(loaded);
}

void TTimeGraphParameters::LoadOwnFields(const QDomElement &element)
{
    const TXmlReader reader(element);
    // The size is read by the base class; checked here first so that a
    // broken value is reported with its path.
    reader.Integer(QStringLiteral("Height"));
    reader.Integer(QStringLiteral("Width"));
    TGraphParameters::LoadFromXML(element);
    const TXmlReader time = reader.Child(QStringLiteral("TimeAxis"));
    FTimeInterval = time.Double(QStringLiteral("Interval"));
    FTimeMinimum = time.Double(QStringLiteral("Minimum"));
    FTimeMaximum = time.Double(QStringLiteral("Maximum"));
    LoadValueAxesFromXML(reader);
}
