#include "sounding/FlightSounding.h"

#include "foundation/LocalUtilities.h"
#include "sounding/Screening.h"

#include <algorithm>
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

// The profile's level of a screened frame: the level with its time, else
// the nearest level outside the gap (below it for its bottom edge, above for
// its top), the frame itself having left no level.
std::optional<size_t> LevelOf(const TSoundingProfile &profile, double time, bool below)
{
    const auto at =
        std::lower_bound(profile.begin(), profile.end(), time,
                         [](const TSoundingLevel &level, double t) { return level.Time < t; });
    if (at != profile.end() && at->Time == time)
        return size_t(at - profile.begin());
    if (below)
        return at == profile.begin() ? std::nullopt
                                     : std::optional<size_t>(size_t(at - profile.begin()) - 1);
    return at == profile.end() ? std::nullopt : std::optional<size_t>(at - profile.begin());
}

std::vector<TProductGap> ProductGaps(const TScreenedFrames &screened,
                                     const TSoundingProfile &profile)
{
    std::vector<TProductGap> gaps;
    for (const TScreeningGap &gap : screened.Gaps) {
        TProductGap product;
        product.What = gap.What;
        product.BottomPressure = gap.BottomPressure;
        product.TopPressure = gap.TopPressure;
        product.TooThickToInterpolate = gap.TooThickToInterpolate;
        product.BottomLevel = LevelOf(profile, screened.Frames[gap.Before].Time, true);
        product.TopLevel = LevelOf(profile, screened.Frames[gap.After].Time, false);
        gaps.push_back(product);
    }
    return gaps;
}

} // namespace

TSoundingProfile AscentProfile(const TSoundingFrames &frames, TFrameRange ascent,
                               const TFlightSetup &setup, std::optional<double> *lastHeight)
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
    if (lastHeight)
        *lastHeight = base.Altitude;
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
        const TFrameRange range = phases.Ascent();
        const auto first = frames.begin() + range.First;
        const TScreenedFrames screened = ScreenAscent(TSoundingFrames(
            first, first + (std::min(range.Last, int(frames.size()) - 1) - range.First + 1)));
        std::optional<double> topHeight;
        TSoundingAnalysis analysis = AnalyseProfile(AscentProfile(
            screened.Frames, {0, int(screened.Frames.size()) - 1}, setup, &topHeight));
        const std::vector<TProductGap> gaps = ProductGaps(screened, analysis.Profile);
        products = ComputeSoundingProducts(std::move(analysis), gaps);
        products.Screening.Counts = screened.Counts;
        // The ascent ends with the burst frame: its height as the products
        // integrate it.
        if (flight.Burst && flight.Termination && flight.Termination->Code == tcBalloonBurst)
            flight.BurstHeight = topHeight;
        if (!products.Surface)
            flight.Problem = QStringLiteral("The ascent has no frame with a valid pressure and "
                                            "temperature: there is no sounding");
    }
    if (products.Surface && setup.Surface && setup.Surface->HasWind()) {
        products.Surface->WindDirection = setup.Surface->WindDirection;
        products.Surface->WindSpeed = setup.Surface->WindSpeed;
    }
    if (flight.Burst && !flight.BurstHeight && std::isfinite(flight.Burst->Altitude))
        flight.BurstHeight = flight.Burst->Altitude;
    products.Flight = flight;
    return products;
}
