#include "graphs/SkewTGraphParameters.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/AxisSteps.h"
#include "graphs/SettingsXml.h"

namespace {

QString BuildMessage(const QString &text)
{
    return QStringLiteral("SkewT:BuildFromParameters: ") + text;
}

void CheckInterval(const char *name, int32_t interval)
{
    if (interval <= 0)
        throw ESkewTGraphParametersValueError(
            BuildMessage(QStringLiteral("%1(%2) <= 0").arg(QLatin1String(name)).arg(interval)));
}

void CheckRange(const char *minName, int32_t minimum, const char *maxName, int32_t maximum)
{
    if (minimum >= maximum)
        throw ESkewTGraphParametersRangeError(BuildMessage(QStringLiteral("%1(%2) >= %3(%4)")
                                                               .arg(QLatin1String(minName))
                                                               .arg(minimum)
                                                               .arg(QLatin1String(maxName))
                                                               .arg(maximum)));
}

// The walk from first to last in steps, as the build makes it.
void CheckSteps(const char *what, int32_t first, int32_t last, int32_t step)
{
    std::vector<double> values;
    if (!AxisSteps(first, last, step, values, MaxSkewTSteps))
        throw ESkewTGraphParametersValueError(
            BuildMessage(QStringLiteral("%1 from %2 to %3 in steps of %4 would be more than %5")
                             .arg(QLatin1String(what))
                             .arg(first)
                             .arg(last)
                             .arg(step)
                             .arg(MaxSkewTSteps)));
}

const char *const ParcelTraceName = "ParcelTrace";
const char *const StandardAtmosphereName = "StandardAtmosphere";
const char *const AnalysisBoxName = "AnalysisBox";

// Documents from before the overlays lack their elements: off. One that is
// there must say what it means.
bool ReadOverlay(const TXmlReader &reader, const char *name)
{
    const QString child = QLatin1String(name);
    return !reader.Child(child).Element().isNull() && reader.Boolean(child);
}

} // namespace

std::unique_ptr<TGraphParameters> TSkewTGraphParameters::Clone() const
{
    return std::make_unique<TSkewTGraphParameters>(*this);
}

void TSkewTGraphParameters::Assign(const TGraphParameters &source)
{
    CheckSameClass(source);
    if (&source == this)
        return;
    const auto &other = static_cast<const TSkewTGraphParameters &>(source);
    TGraphParameters::Assign(other);
    FShowAltitude = other.FShowAltitude;
    FTemperatureMinimum = other.FTemperatureMinimum;
    FTemperatureMaximum = other.FTemperatureMaximum;
    FPressureMinimum = other.FPressureMinimum;
    FPressureMaximum = other.FPressureMaximum;
    FAdiabatMinimum = other.FAdiabatMinimum;
    FAdiabatMaximum = other.FAdiabatMaximum;
    FIsothermInterval = other.FIsothermInterval;
    FIsothermLabelMinimum = other.FIsothermLabelMinimum;
    FIsothermLabelMaximum = other.FIsothermLabelMaximum;
    FIsothermMinimum = other.FIsothermMinimum;
    FIsothermMaximum = other.FIsothermMaximum;
    FIsobarInterval = other.FIsobarInterval;
    FPressureLabelInterval = other.FPressureLabelInterval;
    FTemperatureMarker.Assign(other.FTemperatureMarker);
    FDewpointMarker.Assign(other.FDewpointMarker);
    FShowParcel = other.FShowParcel;
    FShowStandardAtmosphere = other.FShowStandardAtmosphere;
    FShowAnalysis = other.FShowAnalysis;
}

bool TSkewTGraphParameters::operator==(const TSkewTGraphParameters &other) const
{
    return Width() == other.Width() && Height() == other.Height() &&
           FShowAltitude == other.FShowAltitude &&
           FTemperatureMinimum == other.FTemperatureMinimum &&
           FTemperatureMaximum == other.FTemperatureMaximum &&
           FPressureMinimum == other.FPressureMinimum &&
           FPressureMaximum == other.FPressureMaximum && FAdiabatMinimum == other.FAdiabatMinimum &&
           FAdiabatMaximum == other.FAdiabatMaximum &&
           FIsothermInterval == other.FIsothermInterval &&
           FIsothermLabelMinimum == other.FIsothermLabelMinimum &&
           FIsothermLabelMaximum == other.FIsothermLabelMaximum &&
           FIsothermMinimum == other.FIsothermMinimum &&
           FIsothermMaximum == other.FIsothermMaximum && FIsobarInterval == other.FIsobarInterval &&
           FPressureLabelInterval == other.FPressureLabelInterval &&
           FTemperatureMarker == other.FTemperatureMarker &&
           FDewpointMarker == other.FDewpointMarker && FShowParcel == other.FShowParcel &&
           FShowStandardAtmosphere == other.FShowStandardAtmosphere &&
           FShowAnalysis == other.FShowAnalysis;
}

void TSkewTGraphParameters::CheckForBuild() const
{
    CheckInterval("IsobarInterval", FIsobarInterval);
    CheckInterval("PressureLabelInterval", FPressureLabelInterval);
    CheckInterval("IsothermInterval", FIsothermInterval);
    CheckRange("PressureMinimum", FPressureMinimum, "PressureMaximum", FPressureMaximum);
    if (FPressureMinimum <= 0)
        throw ESkewTGraphParametersValueError(
            BuildMessage(QStringLiteral("PressureMinimum(%1) must be > 0").arg(FPressureMinimum)));
    CheckRange("TemperatureMinimum", FTemperatureMinimum, "TemperatureMaximum",
               FTemperatureMaximum);
    CheckSteps("Isobars", FPressureMinimum, FPressureMaximum, FIsobarInterval);
    CheckSteps("Pressure labels", FPressureMinimum, FPressureMaximum, FPressureLabelInterval);
    CheckSteps("Isotherms", FIsothermMinimum, FIsothermMaximum, FIsothermInterval);
    CheckSteps("Temperature labels", FIsothermLabelMinimum, FIsothermLabelMaximum,
               FIsothermInterval);
    // The reference curves: dry adiabats every 10 K, points every 50 mbar.
    CheckSteps("Dry adiabats", FAdiabatMinimum, FAdiabatMaximum, 10);
    CheckSteps("Curve points", FPressureMinimum, FPressureMaximum, 50);
}

void TSkewTGraphParameters::SaveToXML(QDomElement &element) const
{
    TGraphParameters::SaveToXML(element);
    AddChildElement(element, QStringLiteral("ShowAltitude"), BoolToStr(FShowAltitude));
    QDomElement temperature = AddChildElement(element, QStringLiteral("TemperatureMarker"));
    FTemperatureMarker.SaveToXML(temperature);
    QDomElement dewpoint = AddChildElement(element, QStringLiteral("DewpointMarker"));
    FDewpointMarker.SaveToXML(dewpoint);
    for (const auto &[name, on] : {std::pair{ParcelTraceName, FShowParcel},
                                   std::pair{StandardAtmosphereName, FShowStandardAtmosphere},
                                   std::pair{AnalysisBoxName, FShowAnalysis}})
        if (on)
            AddChildElement(element, QLatin1String(name), BoolToStr(true));
}

void TSkewTGraphParameters::LoadFromXML(const QDomElement &element)
{
    TSkewTGraphParameters loaded(*this);
    loaded.LoadOwnFields(element);
    Assign(loaded);
}

void TSkewTGraphParameters::LoadOwnFields(const QDomElement &element)
{
    const TXmlReader reader(element);
    // The size is read by the base class; checked here first so that a
    // broken value is reported with its path.
    reader.Integer(QStringLiteral("Height"));
    reader.Integer(QStringLiteral("Width"));
    TGraphParameters::LoadFromXML(element);
    FShowAltitude = reader.Boolean(QStringLiteral("ShowAltitude"));
    const TXmlReader temperature = reader.Child(QStringLiteral("TemperatureMarker"));
    ReadAt(temperature, [&] { FTemperatureMarker.LoadFromXML(temperature.Element()); });
    const TXmlReader dewpoint = reader.Child(QStringLiteral("DewpointMarker"));
    ReadAt(dewpoint, [&] { FDewpointMarker.LoadFromXML(dewpoint.Element()); });
    FShowParcel = ReadOverlay(reader, ParcelTraceName);
    FShowStandardAtmosphere = ReadOverlay(reader, StandardAtmosphereName);
    FShowAnalysis = ReadOverlay(reader, AnalysisBoxName);
}
