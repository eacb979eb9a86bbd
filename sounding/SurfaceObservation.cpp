#include "sounding/SurfaceObservation.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <cmath>

namespace {

const char *const FieldNames[ofCount] = {"station pressure", "air temperature", "relative humidity",
                                         "wind direction", "wind speed"};

bool Within(double value, double low, double high)
{
    return value >= low && value <= high; // false for NaN
}

} // namespace

QString SurfaceObservationProblem(TSurfaceField field, const TSurfaceObservation &o)
{
    switch (field) {
    case ofPressure:
        return Within(o.Pressure, 500.0, 1100.0)
                   ? QString()
                   : QStringLiteral("The station pressure must be between 500 and 1100 hPa");
    case ofTemperature:
        return Within(o.Temperature, -90.0, 60.0)
                   ? QString()
                   : QStringLiteral("The air temperature must be between -90 and 60 \u00B0C");
    case ofHumidity:
        return Within(o.Humidity, 0.0, 100.0)
                   ? QString()
                   : QStringLiteral("The relative humidity must be between 0 and 100 %");
    case ofDirection:
        if (o.WindDirection.has_value() != o.WindSpeed.has_value())
            return QStringLiteral("A wind needs both its direction and its speed");
        if (!o.WindDirection)
            return QString();
        if (*o.WindDirection == 0.0)
            return !o.WindSpeed || !std::isfinite(*o.WindSpeed) || *o.WindSpeed == 0.0
                       ? QString()
                       : QStringLiteral("A wind direction of 0 means calm and needs a speed of "
                                        "0; a wind from the north is 360 degrees");
        return Within(*o.WindDirection, 1.0, 360.0)
                   ? QString()
                   : QStringLiteral("The wind direction must be between 1 and 360 degrees true "
                                    "(0 only for calm)");
    case ofSpeed:
        return !o.WindSpeed || Within(*o.WindSpeed, 0.0, 150.0)
                   ? QString()
                   : QStringLiteral("The wind speed must be between 0 and 150 m/s");
    case ofCount:
        break;
    }
    return QString();
}

double TSurfaceObservation::DewPoint() const
{
    if (!(Humidity > 0.0) || !std::isfinite(Temperature))
        return std::nan("");
    const double dewPoint = ::DewPoint(Temperature, Humidity);
    return std::isfinite(dewPoint) ? dewPoint : std::nan("");
}

QStringList SurfaceObservationProblems(const TSurfaceObservation &observation)
{
    QStringList problems;
    for (int field = 0; field < ofCount; ++field)
        problems << SurfaceObservationProblem(TSurfaceField(field), observation);
    problems.removeAll(QString());
    return problems;
}

TSurfaceObservationText ParseSurfaceObservation(const QString &text)
{
    TSurfaceObservationText result;
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3 && parts.size() != 5) {
        result.Problems << QStringLiteral("The surface observation must be P,T,RH or "
                                          "P,T,RH,DIR,SPEED (for example 1001.6,14.0,78,250,4.5), "
                                          "not \"%1\"")
                               .arg(text);
        return result;
    }
    double values[ofCount] = {};
    bool parsed[ofCount] = {};
    for (int field = 0; field < int(parts.size()); ++field)
        parsed[field] = TryParseDecimal(QStringView(parts[field]).trimmed(), QLatin1Char('.'),
                                        exNone, values[field]);
    TSurfaceObservation o;
    o.Pressure = values[ofPressure];
    o.Temperature = values[ofTemperature];
    o.Humidity = values[ofHumidity];
    if (parts.size() == 5) {
        // An unreadable speed leaves nothing to judge the calm direction by.
        o.WindDirection = values[ofDirection];
        o.WindSpeed = parsed[ofSpeed] ? values[ofSpeed] : std::nan("");
    }
    for (int field = 0; field < int(parts.size()); ++field) {
        if (!parsed[field])
            result.Problems << QStringLiteral("The %1 \"%2\" is not a number")
                                   .arg(QLatin1String(FieldNames[field]), parts[field].trimmed());
        else if (const QString problem = SurfaceObservationProblem(TSurfaceField(field), o);
                 !problem.isEmpty())
            result.Problems << problem;
    }
    if (result.Problems.isEmpty())
        result.Observation = o;
    return result;
}
