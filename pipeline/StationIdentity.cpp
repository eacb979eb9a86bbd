#include "pipeline/StationIdentity.h"

#include "foundation/LocalUtilities.h"
#include "graphs/SettingsXml.h"

#include <cmath>

namespace {

const QString StationElement = QStringLiteral("Station");

QString RangeProblem(const char *what, double value, double limit)
{
    if (std::isfinite(value) && std::fabs(value) <= limit)
        return QString();
    return QStringLiteral("The %1 must be between -%2 and %2 degrees")
        .arg(QLatin1String(what))
        .arg(limit);
}

} // namespace

QString StationNumberProblem(const QString &number)
{
    bool digits = number.size() == 5;
    for (QChar c : number)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (digits)
        return QString();
    return QStringLiteral("The station number must be five digits, the WMO block and station "
                          "number (for example 03808), not \"%1\"")
        .arg(number);
}

QString LatitudeProblem(double latitude)
{
    return RangeProblem("latitude", latitude, 90.0);
}

QString LongitudeProblem(double longitude)
{
    return RangeProblem("longitude", longitude, 180.0);
}

QStringList StationIdentityProblems(const TStationIdentity &station)
{
    QStringList problems;
    if (!station.Number.isEmpty())
        problems << StationNumberProblem(station.Number);
    if (station.Latitude)
        problems << LatitudeProblem(*station.Latitude);
    if (station.Longitude)
        problems << LongitudeProblem(*station.Longitude);
    problems.removeAll(QString());
    return problems;
}

void SaveStationToXml(const TStationIdentity &station, QDomElement &parent)
{
    if (station.IsEmpty())
        return;
    QDomElement element = AddChildElement(parent, StationElement);
    if (!station.Number.isEmpty())
        AddChildElement(element, QStringLiteral("Number"), station.Number);
    if (station.Latitude)
        AddXmlDouble(element, QStringLiteral("Latitude"), *station.Latitude);
    if (station.Longitude)
        AddXmlDouble(element, QStringLiteral("Longitude"), *station.Longitude);
}

TStationIdentity LoadStationFromXml(const QDomElement &parent)
{
    TStationIdentity station;
    const TXmlReader reader = TXmlReader(parent).Child(StationElement);
    if (reader.Element().isNull())
        return station;
    auto refuse = [&](const QString &child, const QString &problem) {
        throw EConvertError(reader.Child(child).Path() + QStringLiteral(": ") + problem);
    };
    const QDomElement number = reader.Element().firstChildElement(QStringLiteral("Number"));
    if (!number.isNull()) {
        station.Number = number.text().trimmed();
        if (const QString problem = StationNumberProblem(station.Number); !problem.isEmpty())
            refuse(QStringLiteral("Number"), problem);
    }
    auto angle = [&](const QString &name, QString (*problemOf)(double)) -> std::optional<double> {
        if (reader.Element().firstChildElement(name).isNull())
            return std::nullopt;
        const double value = reader.Double(name);
        if (const QString problem = problemOf(value); !problem.isEmpty())
            refuse(name, problem);
        return value;
    };
    station.Latitude = angle(QStringLiteral("Latitude"), LatitudeProblem);
    station.Longitude = angle(QStringLiteral("Longitude"), LongitudeProblem);
    return station;
}
