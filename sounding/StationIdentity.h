#pragma once
// The identity of the launch site that the weather-service reports need: the
// WMO block and station number and the site's position. The station height
// is the launch elevation of the data parameters. Every part is optional: a
// station that sets none of them keeps its settings documents as they were.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

struct TStationIdentity
{
    QString Number;                  // IIiii, five digits; empty: not set
    std::optional<double> Latitude;  // degrees, north positive
    std::optional<double> Longitude; // degrees, east positive

    bool IsEmpty() const { return Number.isEmpty() && !Latitude && !Longitude; }
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
