#pragma once
// Live thermodynamic analysis of the sounding received so far: a clean
// ascent profile from the packets, the surface-based parcel with its lifted
// condensation level, trace, CAPE and CIN, precipitable water, the freezing
// level, the tropopause, and the standard atmosphere for comparison.
//
// Everything here is cheap enough to run again whenever frames arrive (one
// pass over the packets), never throws and never loops on odd data: what the
// data do not allow stays an empty optional.
//
// Units as in the packets: temperatures in degC, pressures in mbar, altitudes
// in metres above sea level.
#include <optional>
#include <vector>

// One level of the clean profile: a packet with pressure, temperature and
// altitude.
struct TSoundingLevel
{
    double Pressure = 0.0;
    double Altitude = 0.0;
    double Temperature = 0.0;
    double Dewpoint = 0.0; // valid when HasDewpoint
    bool HasDewpoint = false;
    double Humidity = 0.0; // %RH, valid when HasHumidity
    bool HasHumidity = false;
    double Time = 0.0; // date-time of the frame
};

// Levels in strictly decreasing pressure and strictly increasing altitude.
using TSoundingProfile = std::vector<TSoundingLevel>;

// A point of a curve for the Skew-T diagram.
struct TSoundingPoint
{
    double Pressure = 0.0;
    double Temperature = 0.0;
};

// A level found by the analysis.
struct TAnalysisLevel
{
    double Pressure = 0.0;
    double Altitude = 0.0;
    double Temperature = 0.0; // the environment's temperature there
};

struct TSoundingAnalysisOptions
{
    // Compare the parcel and the environment by virtual temperature
    // (Doswell and Rasmussen, 1994). Levels without a dew point count as dry.
    bool VirtualTemperatureCorrection = true;
    // The parcel trace runs from the parcel's start up to this pressure, with
    // a point every ParcelTraceStep mbar and one at the condensation level.
    double ParcelTraceTop = 100.0;
    double ParcelTraceStep = 10.0;
};

struct TSoundingAnalysis
{
    // The ascent the figures below were computed from.
    TSoundingProfile Profile;

    // Where the surface-based parcel starts: the lowest level that has a dew
    // point, when it lies within 50 mbar of the lowest level of the profile.
    std::optional<TSoundingLevel> ParcelStart;
    // The parcel's lifted condensation level (Temperature: the parcel's).
    // LclAltitude only once the sonde has passed the level.
    std::optional<TSoundingPoint> Lcl;
    std::optional<double> LclAltitude;
    // Dry adiabat to the condensation level, pseudo-adiabat above it.
    std::vector<TSoundingPoint> ParcelTrace;

    // CAPE and CIN of the surface-based parcel so far (J/kg), available once
    // the sonde is above the condensation level. CAPE: the positive area
    // above the level of free convection (0 before there is one). CIN: the
    // negative area from the start to the level of free convection, 0 while
    // there is none; zero or negative.
    std::optional<double> Cape;
    std::optional<double> Cin;
    // Level of free convection: the lowest level at or above the condensation
    // level where the parcel turns buoyant. Equilibrium level: the highest
    // level above it where the parcel stops being buoyant.
    std::optional<TAnalysisLevel> Lfc;
    std::optional<TAnalysisLevel> El;

    // Precipitable water (mm) of the levels that have a dew point, from the
    // lowest to the highest of them.
    std::optional<double> PrecipitableWater;
    // The first crossing of 0 degC going up; the lowest level when that is
    // already at or below freezing.
    std::optional<TAnalysisLevel> FreezingLevel;
    // The lowest WMO tropopause at 500 mbar or less: where the lapse
    // rate drops to 2 K/km or less and its average to every level within the
    // next 2 km stays at 2 K/km or less. Found once the data reach 2 km above
    // it. Computed on 100 m layer means, so that sensor noise between frames
    // a few metres apart does not decide it.
    std::optional<TAnalysisLevel> Tropopause;
};

// Appends `level` when it continues the ascent: its pressure below and its
// altitude above those of the last level, and values an atmosphere has
// (pressure in (0, 1500] mbar, temperature within +-200 degC, altitude in
// (-1 km, 100 km)); a dew point outside +-200 degC or a humidity outside
// [0, 200] %RH counts as missing.
void AppendAscendingLevel(TSoundingProfile &profile, const TSoundingLevel &level);
// The analysis of a profile in ascending order; levels out of order are
// dropped as AppendAscendingLevel drops them.
TSoundingAnalysis AnalyseProfile(TSoundingProfile profile,
                                 const TSoundingAnalysisOptions &options = {});

// The path of a parcel lifted from (p0, T0, Td0) up to pTop, a point every
// `step` mbar plus one at the condensation level. Empty when the start values
// allow no trace. At most 10,000 points (the step grows if need be).
std::vector<TSoundingPoint> ParcelTracePoints(double p0, double T0, double Td0, double pTop,
                                              double step = 10.0);

// The standard atmosphere's temperature from pBottom up to pTop, a point every
// `step` mbar (at most 10,000 points).
std::vector<TSoundingPoint> StandardAtmosphereCurve(double pTop = 100.0, double pBottom = 1050.0,
                                                    double step = 10.0);
