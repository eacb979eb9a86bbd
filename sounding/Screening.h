#pragma once
// Screening of a sonde's ascent before it becomes a product: frames whose
// pressure jumps off the ascent's trend or whose time runs backwards are left
// out, single-frame temperature and humidity spikes and impossible humidities
// become missing, humidity above 100 % is reported as 100 %, and the result
// names the layers of missing data (gaps) and the superadiabatic layers the
// products and the operator need to know about.
//
// A pure function of the frames: the run log, the graphs and the data list
// keep the values as received. Cheap enough to run on the whole ascent again
// whenever the products are refreshed (about 11 ms of CPU for 100,000
// frames, bench_screening); never throws.
//
// Each threshold below is an option so that a test or a station can change
// it; the defaults are the station practice this program follows, with the
// reasoning beside each one in Screening.cpp.
#include "sounding/SoundingFrame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct TScreeningOptions
{
    // Pressure: a frame departing more than PressureDeparture (hPa), or
    // PressureRelativeDeparture times its pressure if that is larger (both
    // measured in ln p), from the trend of its neighbours (ln p straight in
    // time, through the PressureNeighbours nearest frames on each side
    // within NeighbourSeconds) is dropped.
    double PressureDeparture = 1.0;
    double PressureRelativeDeparture = 0.002;
    int PressureNeighbours = 3;
    double NeighbourSeconds = 60.0;

    // Temperature and humidity spikes: a value departing more than the
    // threshold from the median of the values within SpikeWindowSeconds on
    // either side (widened to SpikeMinNeighbours values on each side, but
    // never beyond SpikeMaxWindowSeconds) is missing.
    double TemperatureDeparture = 2.0; // K
    double HumidityDeparture = 15.0;   // %RH
    double SpikeWindowSeconds = 5.0;
    int SpikeMinNeighbours = 2;
    double SpikeMaxWindowSeconds = 30.0;

    // Gaps: two successive valid values further apart than this in time or
    // in height enclose a layer of missing data.
    double GapSeconds = 60.0;
    double GapMetres = 300.0;
    // A gap thicker than this (hPa) is too thick to interpolate across.
    double InterpolableGapPressure = 20.0;

    // Superadiabatic layers: above SuperadiabaticBaseMetres over the first
    // frame, potential temperature (smoothed over SuperadiabaticSmoothingSeconds
    // on either side) falling by more than SuperadiabaticDrop (K) with height.
    double SuperadiabaticBaseMetres = 500.0;
    double SuperadiabaticDrop = 1.0;
    double SuperadiabaticSmoothingSeconds = 15.0;
};

// What the screening did to a frame (bits of TScreenedFrames::Flags).
enum TScreeningFlag : uint8_t
{
    sfNone = 0,
    sfTemperatureSpike = 1,    // temperature missing
    sfHumiditySpike = 2,       // humidity missing
    sfHumidityNotPositive = 4, // humidity of 0 % or below: missing
    sfHumidityCapped = 8,      // above 100 %, reported as 100 %: dew point = temperature
};

struct TScreeningCounts
{
    int Pressure = 0;       // frames dropped: pressure off the neighbours' trend
    int Temperature = 0;    // temperatures missing: spikes
    int Humidity = 0;       // humidities missing: spikes and values of 0 % or below
    int HumidityCapped = 0; // humidities above 100 % reported as 100 %
    int Time = 0;           // frames dropped: time before the last accepted frame's
    int Superadiabatic = 0; // layers

    bool operator==(const TScreeningCounts &) const = default;
};

enum TGapKind : uint8_t
{
    gkTemperature,
    gkHumidity
};

// A layer of missing data: between two successive frames with a valid value
// (and a pressure) that lie further apart than the gap thresholds. The edge
// frames carry the beginning and end of missing data in the BUFR.
struct TScreeningGap
{
    TGapKind What = gkTemperature;
    size_t Before = 0;           // index in Frames: the last valid frame below the gap
    size_t After = 0;            // index in Frames: the first valid frame above it
    double BottomPressure = 0.0; // hPa, of Before
    double TopPressure = 0.0;    // hPa, of After
    double BottomAltitude = TSoundingFrame::Missing; // m, of Before (NaN without one)
    double TopAltitude = TSoundingFrame::Missing;    // m, of After
    double Seconds = 0.0;                            // from Before to After
    // Thicker than the interpolable limit: values inside are reported missing.
    bool TooThickToInterpolate = false;
};

// A layer whose potential temperature falls with height: a lapse rate beyond
// the dry adiabat. Kept in the data; a warning for the operator.
struct TSuperadiabaticLayer
{
    size_t Bottom = 0; // index in Frames
    size_t Top = 0;    // index in Frames
    double BottomPressure = 0.0;
    double TopPressure = 0.0;
    double BottomAltitude = 0.0;
    double TopAltitude = 0.0;
    double LapseRate = 0.0;                // K/km, smoothed values
    double PotentialTemperatureDrop = 0.0; // K
};

struct TScreenedFrames
{
    // The ascent as the products should use it, in arrival order, without the
    // dropped frames; screened values are NaN, capped humidity is 100.
    TSoundingFrames Frames;
    // For each of Frames: its index in the ascent given, and TScreeningFlag bits.
    std::vector<size_t> Source;
    std::vector<uint8_t> Flags;

    TScreeningCounts Counts;
    // In increasing height; temperature and humidity gaps may overlap.
    std::vector<TScreeningGap> Gaps;
    std::vector<TSuperadiabaticLayer> Superadiabatic;

    // Frame i's humidity was above 100 %: its dew point is its temperature.
    bool DewpointIsTemperature(size_t i) const { return Flags[i] & sfHumidityCapped; }
};

// Screens the ascent (the frames from release to termination, in arrival
// order). Frames without a valid pressure are kept but take no part in the
// pressure rule or the gaps.
TScreenedFrames ScreenAscent(const TSoundingFrames &ascent, const TScreeningOptions &options = {});

// What a reported level at `pressure` (a standard surface or a significant
// level) must give as missing: inside a temperature gap too thick to
// interpolate across, temperature and dew point; inside such a humidity gap,
// the dew point (and humidity). The gaps' edge levels were observed and are
// not inside.
struct TMissingAtPressure
{
    bool Temperature = false;
    bool Dewpoint = false;
};
TMissingAtPressure MissingAtPressure(const TScreenedFrames &screened, double pressure);
