#pragma once
// The products a weather service expects of a sounding: the surface, the
// standard isobaric surfaces, the significant levels for temperature and
// humidity, the tropopause and the stability indices. Built from the same
// clean ascent as the live analysis, so that they are
// cheap enough to compute again whenever frames arrive and never throw.
//
// Units as in the packets: temperatures in degC, pressures in hPa (mbar),
// heights in metres above sea level, relative humidity in %RH.
#include "sounding/FlightPhases.h"
#include "sounding/Screening.h"
#include "sounding/SoundingAnalysis.h"

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

// The standard isobaric surfaces a sounding reports, bottom up (hPa).
constexpr std::array<double, 16> StandardPressures{1000.0, 925.0, 850.0, 700.0, 500.0, 400.0,
                                                   300.0,  250.0, 200.0, 150.0, 100.0, 70.0,
                                                   50.0,   30.0,  20.0,  10.0};

// Where a significant temperature level may depart 2 K instead of 1 K from the
// straight line between its neighbours: above this pressure or above the
// first tropopause, whichever is lower.
constexpr double SignificantUpperPressure = 300.0;
constexpr double SignificantTemperatureTolerance = 1.0;      // K
constexpr double SignificantUpperTemperatureTolerance = 2.0; // K
constexpr double SignificantHumidityTolerance = 15.0;        // %RH

// One reported level. Missing values are empty optionals.
struct TProductLevel
{
    double Pressure = 0.0;
    std::optional<double> Height;
    std::optional<double> Temperature;
    std::optional<double> Dewpoint;
    std::optional<double> Humidity;
    // The date-time of the level: the frame's for an observed level,
    // interpolated for a standard surface, the surface's below the ground.
    double Time = 0.0;
    // A standard surface below the ground: only its height, extrapolated.
    bool BelowGround = false;
    // Why an observed level is significant.
    bool SignificantTemperature = false;
    bool SignificantHumidity = false;
    // The observed level's place in the profile (levels that were observed).
    std::optional<size_t> ProfileIndex;
    // The wind, where it is known (the station's own at the surface):
    // degrees true (0 with a speed of 0 for calm) and m/s.
    std::optional<double> WindDirection;
    std::optional<double> WindSpeed;
};

// Where the surface level came from.
enum TSurfaceSource : uint8_t
{
    ssSonde = 0,       // the sonde's own reading at the release
    ssObservation = 1, // the station's surface observation
};

// What the products say about the flight they were made of.
struct TFlightSummary
{
    TFlightPhase Phase = fpGround;
    double GroundMinutes = 0.0;
    std::optional<TFlightRelease> Release;
    std::optional<TFlightTermination> Termination;
    std::optional<TFlightBurst> Burst;
    // m: the burst level's height as the products integrate it.
    std::optional<double> BurstHeight;
    TSurfaceSource SurfaceSource = ssSonde;
    // hPa: the sonde's pressure at the release minus the observation's.
    std::optional<double> SondePressureOffset;
    // The newest frame's altitude (m) and the rise rate over the last half
    // minute (m/s), for the operator.
    std::optional<double> Altitude;
    std::optional<double> RiseRate;
    // Why there are no products yet or at all, one sentence for the
    // operator; empty when there are.
    QString Problem;
};

// A layer of missing data as the products report it: its edge levels (the
// profile's indexes, when they are levels of it) are significant levels and
// carry the BUFR's beginning and end of missing data; inside a layer too
// thick to interpolate across, the standard surfaces report the values
// missing.
struct TProductGap
{
    TGapKind What = gkTemperature;
    double BottomPressure = 0.0; // hPa
    double TopPressure = 0.0;    // hPa
    bool TooThickToInterpolate = false;
    std::optional<size_t> BottomLevel;
    std::optional<size_t> TopLevel;
};

// What the screening of the ascent found.
struct TScreeningSummary
{
    TScreeningCounts Counts;
    std::vector<TProductGap> Gaps;
};

struct TSoundingProducts
{
    // The flight the products were made of, and what its screening found.
    TFlightSummary Flight;
    TScreeningSummary Screening;
    // The ascent and its analysis (parcel, CAPE, CIN, freezing level, ...).
    TSoundingAnalysis Analysis;
    // Everything below is empty while the profile is.
    std::optional<TProductLevel> Surface;
    // Every standard surface the ascent reached (and those below the
    // ground), in decreasing pressure.
    std::vector<TProductLevel> Standard;
    // The significant levels, surface and highest level included, in
    // decreasing pressure.
    std::vector<TProductLevel> Significant;
    // The observed level nearest the first WMO tropopause.
    std::optional<TProductLevel> Tropopause;
    // The highest level reached.
    std::optional<TProductLevel> Highest;

    std::optional<double> LiftedIndex;    // K
    std::optional<double> ShowalterIndex; // K
    std::optional<double> KIndex;         // degC
    std::optional<double> TotalTotals;    // degC

    // The standard surface of that pressure, when the ascent reached it.
    const TProductLevel *StandardLevel(double pressure) const;
    // The ascent has gone above 100 hPa: the first report is due.
    bool Passed100hPa() const;
};

// The profile level `index` as a reported level, with its observed values.
TProductLevel ObservedLevel(const TSoundingProfile &profile, size_t index);

// The products of an analysis already made (its profile and figures are
// kept), with the layers of missing data in the profile.
TSoundingProducts ComputeSoundingProducts(TSoundingAnalysis analysis,
                                          const std::vector<TProductGap> &gaps = {});

// The indexes of the levels that straight lines in ln(p) between them keep
// within tolerances[i] of values[i]: the first and last index, and then,
// between two retained neighbours, repeatedly the level that departs most
// from the line between them among those that depart beyond their own
// tolerance. `logPressures` falls strictly. Ascending indexes.
std::vector<size_t> SignificantPoints(const std::vector<double> &logPressures,
                                      const std::vector<double> &values,
                                      const std::vector<double> &tolerances);
