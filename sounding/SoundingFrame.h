#pragma once
// One frame of a flight as the sounding sees it: the sonde's own pressure,
// temperature and humidity, each on its own validity (a failed channel is
// NaN, and does not take the others with it), and the altitude the
// pipeline derived for the frame from the launch elevation. The flight's
// phases and the screening work on a sequence of these, in arrival order.
#include <cmath>
#include <limits>
#include <vector>

struct TSoundingFrame
{
    static constexpr double Missing = std::numeric_limits<double>::quiet_NaN();

    double Time = 0.0;            // date-time: days since 30 December 1899, local time
    double Pressure = Missing;    // hPa
    double Temperature = Missing; // degC
    double Humidity = Missing;    // %RH
    double Altitude = Missing;    // m above sea level

    bool HasPressure() const { return std::isfinite(Pressure) && Pressure > 0.0; }
    bool HasTemperature() const { return std::isfinite(Temperature); }
    bool HasHumidity() const { return std::isfinite(Humidity); }
    bool HasAltitude() const { return std::isfinite(Altitude); }
};

using TSoundingFrames = std::vector<TSoundingFrame>;
