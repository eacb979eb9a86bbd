#include "graphs/StandardGraphParameters.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

std::unique_ptr<TGraphParameters> TStandardGraphParameters::Clone() const
{
    return std::make_unique<TStandardGraphParameters>(*this);
}

void TStandardGraphParameters::Assign(const TGraphParameters &source)
{
    CheckSameClass(source);
    if (&source == this)
        return;
    const auto &other = static_cast<const TStandardGraphParameters &>(source);
    TGraphParameters::Assign(other);
    AssignValueAxes(other);
    FPressureInterval = other.FPressureInterval;
    FShowAltitude = other.FShowAltitude;
    FPressureMinimum = other.FPressureMinimum;
    FPressureMaximum = other.FPressureMaximum;
}

bool TStandardGraphParameters::operator==(const TStandardGraphParameters &other) const
{
    return SameValueAxes(other) && FPressureInterval == other.FPressureInterval &&
           FShowAltitude == other.FShowAltitude && FPressureMinimum == other.FPressureMinimum &&
           FPressureMaximum == other.FPressureMaximum;
}

void TStandardGraphParameters::RaiseIndexError(const QString &message) const
{
    throw EStandardGraphParametersIndexError(message);
}

void TStandardGraphParameters::RaiseRangeError(const QString &message) const
{
    throw EStandardGraphParametersRangeError(message);
}

void TStandardGraphParameters::RaiseValueError(const QString &message) const
{
    throw EStandardGraphParametersValueError(message);
}

void TStandardGraphParameters::SetPressureAxis(double minimum, double maximum)
{
    if (!(minimum < maximum))
        RaiseRangeError(Message(QStringLiteral("SetPressureAxis"),
                                QStringLiteral("Min(%1) >= Max(%2)")
                                    .arg(FormatFixed(minimum, 1), FormatFixed(maximum, 1))));
    if (!(minimum > 0))
        RaiseValueError(
            Message(QStringLiteral("SetPressureAxis"),
                    QStringLiteral("Min(%1) must be > 0").arg(FormatFixed(minimum, 1))));
    FPressureMinimum = minimum;
    FPressureMaximum = maximum;
}

void TStandardGraphParameters::SetPressureAxis(double interval)
{
    if (!(interval > 0))
        RaiseValueError(Message(QStringLiteral("SetPressureAxis"),
                                QStringLiteral("Interval(%1) <= 0").arg(FormatFixed(interval, 1))));
    FPressureInterval = interval;
}

std::vector<double>
TStandardGraphParameters::CheckForBuild(std::vector<double> &valuePositions) const
{
    std::vector<double> pressures = CheckIndependentAxis(
        QStringLiteral("Pressure"), FPressureMinimum, FPressureMaximum, FPressureInterval);
    // The pressure axis is logarithmic.
    if (!(FPressureMinimum > 0))
        RaiseValueError(Message(
            QStringLiteral("BuildFromParameters"),
            QStringLiteral("Pressure Min(%1) must be > 0").arg(FormatFixed(FPressureMinimum, 1))));
    valuePositions = CheckValueAxes();
    return pressures;
}

void TStandardGraphParameters::SaveToXML(QDomElement &element) const
{
    TGraphParameters::SaveToXML(element);
    AddChildElement(element, QStringLiteral("ShowAltitude"), BoolToStr(FShowAltitude));
    QDomElement pressure = AddChildElement(element, QStringLiteral("PressureAxis"));
    AddXmlDouble(pressure, QStringLiteral("Interval"), FPressureInterval);
    AddXmlDouble(pressure, QStringLiteral("Minimum"), FPressureMinimum);
    AddXmlDouble(pressure, QStringLiteral("Maximum"), FPressureMaximum);
    SaveValueAxesToXML(element);
}

void TStandardGraphParameters::LoadFromXML(const QDomElement &element)
{
    TStandardGraphParameters loaded;
    loaded.LoadOwnFields(element);
    Assign(loaded);
}

void TStandardGraphParameters::LoadOwnFields(const QDomElement &element)
{
    const TXmlReader reader(element);
    // The size is read by the base class; checked here first so that a
    // broken value is reported with its path.
    reader.Integer(QStringLiteral("Height"));
    reader.Integer(QStringLiteral("Width"));
    TGraphParameters::LoadFromXML(element);
    FShowAltitude = reader.Boolean(QStringLiteral("ShowAltitude"));
    const TXmlReader pressure = reader.Child(QStringLiteral("PressureAxis"));
    FPressureInterval = pressure.Double(QStringLiteral("Interval"));
    FPressureMinimum = pressure.Double(QStringLiteral("Minimum"));
    FPressureMaximum = pressure.Double(QStringLiteral("Maximum"));
    LoadValueAxesFromXML(reader);
}
