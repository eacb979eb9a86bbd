#include "sounding/StationIdentity.h"

#include "foundation/CustomUtilities.h"
#include "foundation/Errors.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QString RangeProblem(const char *what, double value, double limit)
{
    if (std::isfinite(value) && std::fabs(value) <= limit)
        return QString();
    return QStringLiteral("The %1 must be between -%2 and %2 degrees")
        .arg(QLatin1String(what))
        .arg(limit);
}

// "+HH:MM" or "-HH:MM" as seconds east of UTC, up to the 14 hours a
// zone can be ahead or behind; nullopt for anything else.
std::optional<int> FixedOffset(const QString &zone)
{
    static const QRegularExpression form(QStringLiteral("^([+-])(\\d{2}):(\\d{2})$"));
    const QRegularExpressionMatch m = form.match(zone);
    if (!m.hasMatch())
        return std::nullopt;
    const int hours = m.captured(2).toInt();
    const int minutes = m.captured(3).toInt();
    if (minutes >= 60 || hours * 60 + minutes > 14 * 60)
        return std::nullopt;
    const int seconds = (hours * 60 + minutes) * 60;
    return m.captured(1) == QLatin1String("-") ? -seconds : seconds;
}

// A zone name of the tz database: letters, digits, '_', '+' and '-' in
// parts joined by '/'. Nothing else reaches the time-zone library, which
// opens a file by that name.
bool IsZoneName(const QString &zone)
{
    static const QRegularExpression form(
        QStringLiteral("^[A-Za-z][A-Za-z0-9_+-]*(/[A-Za-z0-9_+-]+)*$"));
    return zone.size() <= 64 && form.match(zone).hasMatch();
}

std::optional<QTimeZone> ZoneOf(const QString &zone)
{
    if (zone.isEmpty())
        return QTimeZone::systemTimeZone();
    if (const std::optional<int> offset = FixedOffset(zone))
        return QTimeZone(*offset);
    if (!IsZoneName(zone))
        return std::nullopt;
    QTimeZone named(zone.toLatin1());
    if (!named.isValid())
        return std::nullopt;
    return named;
}

qint64 OffsetAt(const QTimeZone &zone, qint64 utcMsecs)
{
    return qint64(zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMsecs, Qt::UTC))) * 1000;
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

std::vector<TStationPart> MissingStationParts(const TStationIdentity &station,
                                              TStationReport report)
{
    std::vector<TStationPart> missing;
    if (!StationNumberProblem(station.Number).isEmpty())
        missing.push_back(spNumber);
    if (report == srBufr && !station.Latitude)
        missing.push_back(spLatitude);
    if (report == srBufr && !station.Longitude)
        missing.push_back(spLongitude);
    return missing;
}

QString TimeZoneProblem(const QString &zone)
{
    if (zone.isEmpty() || ZoneOf(zone))
        return QString();
    return QStringLiteral("The time zone must be a name of the time-zone database (for example "
                          "Europe/London) or an offset from UTC as +HH:MM or -HH:MM, not \"%1\"")
        .arg(zone);
}

QTimeZone StationTimeZone(const TStationIdentity &station)
{
    const std::optional<QTimeZone> zone = ZoneOf(station.TimeZone);
    if (!zone)
        throw EConvertError(TimeZoneProblem(station.TimeZone));
    return *zone;
}

QDateTime LocalDaysToUtc(double days, const QTimeZone &zone)
{
    const QDateTime wall = DaysToDateTime(days);
    if (!zone.isValid())
        return wall.toUTC();
    // The local time read as if it were UTC; every offset in force within
    // 15 hours of it is a candidate, and a candidate fits when the zone
    // has that offset at the instant it gives.
    const qint64 local = QDateTime(wall.date(), wall.time(), Qt::UTC).toMSecsSinceEpoch();
    constexpr qint64 Span = 15LL * 3600 * 1000;
    std::vector<qint64> offsets{OffsetAt(zone, local - Span)};
    if (zone.hasTransitions())
        for (const QTimeZone::OffsetData &change :
             zone.transitions(QDateTime::fromMSecsSinceEpoch(local - Span, Qt::UTC),
                              QDateTime::fromMSecsSinceEpoch(local + Span, Qt::UTC)))
            offsets.push_back(qint64(change.offsetFromUtc) * 1000);
    std::optional<qint64> instant;
    for (qint64 offset : offsets)
        if (OffsetAt(zone, local - offset) == offset)
            instant = std::max(instant.value_or(local - offset), local - offset);
    if (!instant) {
        // In the gap: the offset in force at the latest candidate instant
        // is the one after the change.
        const qint64 earliest = *std::min_element(offsets.begin(), offsets.end());
        instant = local - OffsetAt(zone, local - earliest);
    }
    return QDateTime::fromMSecsSinceEpoch(*instant, Qt::UTC);
}

QDateTime LocalDaysToUtc(double days, const TStationIdentity &station)
{
    return LocalDaysToUtc(days, StationTimeZone(station));
}
