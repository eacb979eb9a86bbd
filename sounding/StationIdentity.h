#pragma once
// The identity of the launch site that the weather-service reports need: the
// WMO block and station number, the site's position and its time zone. The
// station height is the launch elevation of the data parameters. Every part
// is optional: a station that sets none of them keeps its settings documents
// as they were.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <cstdint>
#include <optional>
#include <vector>

struct TStationIdentity
{
    QString Number;                  // IIiii, five digits; empty: not set
    std::optional<double> Latitude;  // degrees, north positive
    std::optional<double> Longitude; // degrees, east positive
    // The zone of the log's local times: an IANA name (Europe/London) or a
    // fixed offset from UTC, "+HH:MM" or "-HH:MM"; empty: the machine's zone.
    QString TimeZone = {}; // initialised, so that brace lists may leave it out

    bool IsEmpty() const
    {
        return Number.isEmpty() && !Latitude && !Longitude && TimeZone.isEmpty();
    }
    bool HasPosition() const { return Latitude && Longitude; }
    bool operator==(const TStationIdentity &) const = default;
};

// The problem with a value, one sentence for the operator; empty when it is
// valid.
QString StationNumberProblem(const QString &number);
QString LatitudeProblem(double latitude);
QString LongitudeProblem(double longitude);
// Every problem of the identity, in the order number, latitude, longitude.
QStringList StationIdentityProblems(const TStationIdentity &station);

// The reports that name the station.
enum TStationReport : uint8_t
{
    srTemp, // the station number
    srBufr, // the station number and the position
};
enum TStationPart : uint8_t
{
    spNumber,
    spLatitude,
    spLongitude,
};
// What `report` needs of the station and `station` lacks, in the order
// number, latitude, longitude; a number that is not five digits counts as
// missing. Empty when the station has all the report needs.
std::vector<TStationPart> MissingStationParts(const TStationIdentity &station,
                                              TStationReport report);

// The problem with a time zone, one sentence for the operator; empty when it
// is valid (an empty zone is: it means the machine's).
QString TimeZoneProblem(const QString &zone);
// The zone a station's logs keep local time in: its own, else the machine's.
// EConvertError, with TimeZoneProblem's sentence, for a zone that is not valid.
QTimeZone StationTimeZone(const TStationIdentity &station);
// A log's local date-time (days since 30 December 1899, as the log keeps
// it) as UTC, read in `zone`. Where the clocks change, a local time that
// falls into the gap (it never showed on the clocks) or into the overlap (it
// showed twice) is read with the offset in force after the change: in the
// overlap that is the later of the two instants. An invalid zone reads the
// time in the machine's zone.
QDateTime LocalDaysToUtc(double days, const QTimeZone &zone);
QDateTime LocalDaysToUtc(double days, const TStationIdentity &station);
