#pragma once
// What a Kestrin sonde would send: a standard-atmosphere ascent, and the
// frame encodings for every model and transmission type, inverse to the
// ground station's decoding (hexadecimal converter counts through the sensor
// curves, or decimal engineering values).
#include "devices/KestrinLibrary.h"

#include <QString>
#include <array>
#include <cstdint>

// The air and the sonde's housekeeping at one moment of a flight.
struct TSondeReading
{
    double Altitude = 0.0;    // m above sea level
    double Temperature = 0.0; // degC
    double Pressure = 0.0;    // mbar
    double Humidity = 0.0;    // %RH
    double Battery = 0.0;     // V
    double Frequency = 0.0;   // Hz
    int ParallelByte = 0;     // 0..255
    double Custom = 0.0;      // a plain number
};

// A balloon flight through the 1976 standard atmosphere: rising at a steady
// rate from the launch elevation to the burst altitude, then falling three
// times as fast back to the launch elevation, where it stays.
class TStandardAscent
{
  public:
    explicit TStandardAscent(double launchElevation = 0.0, double riseRate = 5.0,
                             double burstAltitude = 33000.0);
    // The reading `seconds` after launch; `frame` numbers the frames (the
    // parallel byte counts them).
    TSondeReading At(double seconds, int64_t frame = 0) const;
    // The altitude `seconds` after launch.
    double Altitude(double seconds) const;
    // Seconds from the launch to the burst.
    double AscentSeconds() const;
    double LaunchElevation() const { return FLaunchElevation; }
    double RiseRate() const { return FRiseRate; }
    double BurstAltitude() const { return FBurstAltitude; }

  private:
    double FLaunchElevation;
    double FRiseRate;
    double FBurstAltitude;
};

// The air of the standard atmosphere and the sonde's housekeeping at
// `altitude`, `seconds` after launch (the battery runs down with them).
TSondeReading ReadingAt(double altitude, double seconds, int64_t frame);

// Standard-atmosphere temperature (degC) and pressure (mbar) at a geometric
// altitude (m, up to about 47 km).
double StandardTemperature(double altitude);
double StandardPressure(double altitude);

// The inverse sensor curves: the voltage that reads as the given value.
double TemperatureToVolts(double celsius);
double PressureToVolts(double mbar);
double HumidityToVolts(double percent);
// The converter count (not yet rounded) that reads as `volts` on a channel.
double VoltsToCount(double volts, TSondeModel model, int channel);

using TChannelValues = std::array<double, KestrinChannels>; // index 0 is channel 1

// The value each channel of `configuration` measures in `reading`, in the
// channel type's engineering unit. Channels that are not present get the
// no-value marker. A second channel of a kind reads a little differently
// from the first (an internal temperature, a second voltage rail, ...).
TChannelValues ChannelValues(const TKestrinResult &configuration, const TSondeReading &reading);

// One frame (without delimiters) carrying `values` as `configuration`
// transmits them. Raw: fixed-width upper-case hexadecimal counts, clamped to
// the field's range. Processed: comma-separated decimals with a point,
// voltages in millivolts and, for model 3M, temperatures in kelvin.
QString EncodeFrame(const TKestrinResult &configuration, const TChannelValues &values);

// The same frame spoiled so that the decoder classes it invalid.
QString SpoilFrame(const TKestrinResult &configuration, const QString &frame);
