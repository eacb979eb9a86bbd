#include "sounding/FlightSounding.h"

#include "foundation/LocalUtilities.h"

#include <cmath>

namespace {

// No balloon climbs or sinks at 50 m/s; a frame garbled into a plausible but
// wrong pressure does, and so does the frame after it, measured from it.
constexpr double MaxRiseRate = 3000.0; // m/min
// The rise rate the operator sees is taken over about this long.
constexpr double RiseRateSpan = 30.0; // s

// The level of a frame at `altitude`, its dew point by the program's own
// formula (none for dry air).
TSoundingLevel FrameLevel(const TSoundingFrame &frame, double altitude)
{
    TSoundingLevel level;
    level.Pressure = frame.Pressure;
    level.Altitude = altitude;
    level.Temperature = frame.Temperature;
    level.Time = frame.Time;
    if (frame.HasHumidity()) {
        level.HasHumidity = true;
        level.Humidity = frame.Humidity;
        if (frame.Humidity > 0.0) {
            level.Dewpoint = DewPoint(frame.Temperature, frame.Humidity);
            level.HasDewpoint = std::isfinite(level.Dewpoint);
        }
    }
    return level;
}

double VirtualTemperatureOf(const TSoundingFrame &frame)
{
    const double TK = CelsiusToKelvin(frame.Temperature);
    return frame.HasHumidity() ? VirtualTemperature(TK, frame.Humidity, frame.Pressure) : TK;
}

bool HasLevel(const TSoundingFrame &frame)
{
    return frame.HasPressure() && frame.HasTemperature();
}

// The newest frame's altitude and the rate it climbed at over the last half
// minute or so, from the frames' own altitudes.
void AddLatestMotion(const TSoundingFrames &frames, TFlightSummary &flight)
{
    int newest = int(frames.size()) - 1;
    while (newest >= 0 && !frames[size_t(newest)].HasAltitude())
        --newest;
    if (newest < 0)
        return;
    const TSoundingFrame &last = frames[size_t(newest)];
    flight.Altitude = last.Altitude;
    for (int i = newest - 1; i >= 0; --i) {
        const TSoundingFrame &earlier = frames[size_t(i)];
        const double seconds = (last.Time - earlier.Time) * 86400.0;
        if (!earlier.HasAltitude() || seconds <= 0.0)
            continue;
        if (seconds >= RiseRateSpan || i == 0) {
            flight.RiseRate = (last.Altitude - earlier.Altitude) / seconds;
            return;
        }
    }
}

} // namespace

TSoundingProfile AscentProfile(const TSoundingFrames &frames, TFrameRange ascent,
                               const TFlightSetup &setup)
{
    TSoundingProfile profile;
    if (ascent.IsEmpty())
        return profile;
    const int last = std::min(ascent.Last, int(frames.size()) - 1);
    int first = ascent.First;
    while (first <= last && !HasLevel(frames[size_t(first)]))
        ++first;
    if (first > last)
        return profile;

    // The surface, and the level the next frame's height is integrated from.
    TSoundingLevel base;
    if (setup.Surface) {
        const TSurfaceObservation &surface = *setup.Surface;
        base.Pressure = surface.Pressure;
        base.Temperature = surface.Temperature;
        base.HasHumidity = true;
        base.Humidity = surface.Humidity;
        base.Dewpoint = surface.DewPoint();
        base.HasDewpoint = std::isfinite(base.Dewpoint);
        base.Altitude = setup.StationHeight;
        base.Time = frames[size_t(first)].Time;
    } else {
        base = FrameLevel(frames[size_t(first)], setup.StationHeight);
        ++first;
    }
    AppendAscendingLevel(profile, base);
    // Every frame's height from the frame before, as the packets' altitudes
    // are made: the height is a function of the pressure, so a garbled
    // frame does not spoil those after it; it and the frame after it are
    // kept out of the profile by their rate.
    for (int i = first; i <= last; ++i) {
        const TSoundingFrame &frame = frames[size_t(i)];
        if (!HasLevel(frame))
            continue;
        const double altitude = HypsometricAltitude(base.Pressure, base.Altitude, frame.Pressure,
                                                    VirtualTemperatureOf(frame));
        if (!std::isfinite(altitude))
            continue;
        const double minutes = (frame.Time - base.Time) * 1440.0;
        const bool plausible =
            !(minutes > 0.0) || std::fabs(altitude - base.Altitude) / minutes <= MaxRiseRate;
        base = FrameLevel(frame, altitude);
        if (plausible)
            AppendAscendingLevel(profile, base);
    }
    return profile;
}

TSoundingProducts ComputeFlightProducts(const TSoundingFrames &frames, const TFlightPhases &phases,
                                        const TFlightSetup &setup)
{
    TFlightSummary flight;
    flight.Phase = phases.Phase();
    flight.GroundMinutes = phases.GroundMinutes();
    flight.Release = phases.Release();
    flight.Termination = phases.Termination();
    flight.Burst = phases.Burst();
    flight.SurfaceSource = setup.Surface ? ssObservation : ssSonde;
    if (setup.Surface && flight.Release) {
        const TSoundingFrame &release = frames[size_t(flight.Release->Index)];
        if (release.HasPressure())
            flight.SondePressureOffset = release.Pressure - setup.Surface->Pressure;
    }
    AddLatestMotion(frames, flight);
    flight.Problem = phases.ProductsProblem(
        setup.Surface ? std::optional<double>(setup.Surface->Pressure) : std::nullopt,
        setup.StationHeight);

    TSoundingProducts products;
    if (flight.Problem.isEmpty()) {
        products =
            ComputeSoundingProducts(AnalyseProfile(AscentProfile(frames, phases.Ascent(), setup)));
        if (!products.Surface)
            flight.Problem = QStringLiteral("The ascent has no frame with a valid pressure and "
                                            "temperature: there is no sounding");
    }
    if (products.Surface && setup.Surface && setup.Surface->HasWind()) {
        products.Surface->WindDirection = setup.Surface->WindDirection;
        products.Surface->WindSpeed = setup.Surface->WindSpeed;
    }
    if (flight.Burst && products.Highest && products.Highest->Time == flight.Burst->Time)
        flight.BurstHeight = products.Highest->Height;
    else if (flight.Burst && std::isfinite(flight.Burst->Altitude))
        flight.BurstHeight = flight.Burst->Altitude;
    products.Flight = flight;
    return products;
}
