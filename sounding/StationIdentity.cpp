#include "sounding/StationIdentity.h"

#include <cmath>

namespace {

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
    // WMO block numbers begin at 01.
    if (digits && number.startsWith(QLatin1String("00")))
        return QStringLiteral("The station number %1 has the block number 00, which no station "
                              "has: WMO block numbers begin at 01")
            .arg(number);
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
