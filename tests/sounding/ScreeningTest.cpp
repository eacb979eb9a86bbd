#include "sounding/Screening.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

namespace {

// A generated ascent from a station at 100 m: the standard atmosphere's
// lapse with a tropopause at 11 km, a 5 K inversion over 100 m at 1500 m with
// nearly dry-adiabatic air (9.5 K/km) above it to 2500 m, humidity layers
// (80 to 20 %RH over 200 m at 2 km, 20 to 70 over 300 m at 5 km, 70 to 40
// over 100 m at 6 km), a rise rate that wobbles by 10 % and seeded sensor
// noise: pressure +-0.3 hPa, temperature 0.1 K, humidity 1 %RH.
struct TAscentShape
{
    double FrameSeconds = 1.0;
    double RiseRate = 5.0; // m/s
    double Offset = 0.0;   // s after release of the first frame: the sampling phase
    double Top = 20000.0;  // m
    unsigned Seed = 1;
};

constexpr double Station = 100.0;

double Ramp(double z, double from, double to)
{
    return std::clamp((z - from) / (to - from), 0.0, 1.0);
}

double CleanTemperature(double z)
{
    const double standard = z < 11000.0   ? 15.0 - 6.5e-3 * z
                            : z < 20000.0 ? -56.5
                                          : -56.5 + 1e-3 * (z - 20000.0);
    return standard + 5.0 * Ramp(z, 1500.0, 1600.0) - 3.0e-3 * 900.0 * Ramp(z, 1600.0, 2500.0);
}

double CleanHumidity(double z)
{
    if (z < 5000.0)
        return 80.0 - 60.0 * Ramp(z, 2000.0, 2200.0);
    if (z < 10000.0)
        return 20.0 + 50.0 * Ramp(z, 5000.0, 5300.0) - 30.0 * Ramp(z, 6000.0, 6100.0);
    return 10.0;
}

template <class Profile> TSoundingFrames Ascent(const TAscentShape &shape, Profile temperature)
{
    std::mt19937 random(shape.Seed);
    std::uniform_real_distribution<double> pressureNoise(-0.3, 0.3);
    std::normal_distribution<double> temperatureNoise(0.0, 0.1), humidityNoise(0.0, 1.0);
    TSoundingFrames frames;
    double logP = std::log(1000.0), z = 0.0;
    for (double t = shape.Offset;; t += shape.FrameSeconds) {
        const double wobble =
            0.1 * 40.0 / (2 * std::numbers::pi) * (1.0 - std::cos(2 * std::numbers::pi * t / 40.0));
        const double next = Station + shape.RiseRate * (t + wobble);
        if (next > shape.Top)
            break;
        // Integrate the pressure on from the previous frame.
        for (; z < next; z += 5.0) {
            const double dz = std::min(5.0, next - z);
            logP -= 9.80665 * dz / (287.04 * (temperature(z + dz / 2) + 273.15));
        }
        z = next;
        TSoundingFrame frame;
        frame.Time = 46000.5 + t / 86400.0;
        frame.Altitude = z;
        frame.Pressure = std::exp(logP) + pressureNoise(random);
        frame.Temperature = temperature(z) + temperatureNoise(random);
        frame.Humidity = CleanHumidity(z) + humidityNoise(random);
        frames.push_back(frame);
    }
    return frames;
}

TSoundingFrames Ascent(const TAscentShape &shape)
{
    return Ascent(shape, CleanTemperature);
}

size_t Nearest(const TSoundingFrames &frames, double pressure)
{
    size_t best = 0;
    for (size_t i = 0; i < frames.size(); ++i)
        if (std::abs(frames[i].Pressure - pressure) < std::abs(frames[best].Pressure - pressure))
            best = i;
    return best;
}

bool Same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Every screened frame not named in `changed` is its input frame, unchanged.
void ExpectUnchanged(const TSoundingFrames &input, const TScreenedFrames &screened,
                     const std::vector<size_t> &changed = {})
{
    ASSERT_EQ(screened.Frames.size(), screened.Source.size());
    for (size_t i = 0; i < screened.Frames.size(); ++i) {
        const size_t source = screened.Source[i];
        if (std::find(changed.begin(), changed.end(), source) != changed.end())
            continue;
        const TSoundingFrame &a = input[source], &b = screened.Frames[i];
        ASSERT_TRUE(Same(a.Time, b.Time) && Same(a.Pressure, b.Pressure) &&
                    Same(a.Temperature, b.Temperature) && Same(a.Humidity, b.Humidity) &&
                    Same(a.Altitude, b.Altitude) && screened.Flags[i] == sfNone)
            << "frame " << source << " at " << a.Pressure << " hPa";
    }
}

size_t ScreenedIndex(const TScreenedFrames &screened, size_t source)
{
    const auto at = std::find(screened.Source.begin(), screened.Source.end(), source);
    return at == screened.Source.end() ? size_t(-1) : size_t(at - screened.Source.begin());
}

// Frame rates of 1 to 10 s, rise rates of 3 to 6 m/s, several sampling phases
// of the inversion.
const std::vector<TAscentShape> Shapes{
    {1.0, 6.0, 0.0},  {1.0, 3.0, 0.5},  {2.0, 5.0, 0.0},  {5.0, 6.0, 2.0},  {10.0, 6.0, 0.0},
    {10.0, 6.0, 5.0}, {10.0, 6.0, 8.3}, {10.0, 3.0, 3.0}, {10.0, 4.5, 7.0}, {7.0, 5.5, 1.0},
};

} // namespace

// No rule removes a real feature: the tropopause, the inversion with
// dry-adiabatic air above it, the humidity layers and the noise stay.
TEST(Screening, CleanAscentsKeepEveryValue)
{
    EXPECT_TRUE(ScreenAscent({}).Frames.empty());
    for (const TAscentShape &shape : Shapes) {
        SCOPED_TRACE(testing::Message() << shape.FrameSeconds << " s, " << shape.RiseRate
                                        << " m/s, phase " << shape.Offset);
        const TSoundingFrames input = Ascent(shape);
        const TScreenedFrames screened = ScreenAscent(input);
        EXPECT_TRUE(screened.Counts == TScreeningCounts{});
        EXPECT_TRUE(screened.Gaps.empty() && screened.Superadiabatic.empty());
        ASSERT_EQ(screened.Frames.size(), input.size());
        ExpectUnchanged(input, screened);
    }
}

// Each fault goes, and nothing else changes: a 2 hPa pressure jump at
// 500 hPa, an 8 K temperature spike, a humidity of 0 % and a lone 110 % in an
// 80 % layer, a frame without pressure, one without time, the clock set back
// by 30 s; and a cloud reading 101-104 %, capped to 100 % (its edges are
// steps, not spikes).
TEST(Screening, FaultsAreScreened)
{
    for (const TAscentShape &shape : Shapes) {
        SCOPED_TRACE(testing::Message() << shape.FrameSeconds << " s, " << shape.RiseRate
                                        << " m/s, phase " << shape.Offset);
        TSoundingFrames input = Ascent(shape);
        const size_t jump = Nearest(input, 500.0), hot = Nearest(input, 450.0),
                     dry = Nearest(input, 400.0), wet = Nearest(input, 850.0),
                     clock = Nearest(input, 300.0);
        input[jump].Pressure += 2.0;
        input[hot].Temperature += 8.0;
        input[dry].Humidity = 0.0;
        input[wet].Humidity = 110.0;
        input[Nearest(input, 600.0)].Pressure = TSoundingFrame::Missing;
        std::vector<size_t> late{Nearest(input, 200.0)}, cloud;
        input[late[0]].Time = TSoundingFrame::Missing;
        for (size_t i = clock; i < input.size(); ++i)
            if ((input[i].Time -= 30.0 / 86400.0) < input[clock - 1].Time)
                late.push_back(i);
        for (size_t i = 0; i < input.size(); ++i)
            if (input[i].Altitude > 3000.0 && input[i].Altitude < 3300.0) {
                input[i].Humidity = 102.5 + 1.5 * std::sin(double(i));
                cloud.push_back(i);
            }

        const TScreenedFrames screened = ScreenAscent(input);
        const TScreeningCounts expected{1, 1, 2, int(cloud.size()), int(late.size()), 0};
        EXPECT_TRUE(screened.Counts == expected);
        EXPECT_GE(late.size(), size_t(30.0 / shape.FrameSeconds));
        EXPECT_EQ(screened.Frames.size(), input.size() - 1 - late.size());
        for (size_t i : late)
            EXPECT_EQ(ScreenedIndex(screened, i), size_t(-1));
        EXPECT_EQ(ScreenedIndex(screened, jump), size_t(-1));
        const size_t h = ScreenedIndex(screened, hot), d = ScreenedIndex(screened, dry),
                     w = ScreenedIndex(screened, wet);
        EXPECT_TRUE(std::isnan(screened.Frames[h].Temperature) &&
                    screened.Flags[h] == sfTemperatureSpike);
        EXPECT_TRUE(std::isnan(screened.Frames[d].Humidity) &&
                    screened.Flags[d] == sfHumidityNotPositive);
        EXPECT_TRUE(std::isnan(screened.Frames[w].Humidity) &&
                    screened.Flags[w] == sfHumiditySpike);
        for (size_t i : cloud)
            EXPECT_TRUE(screened.Frames[i].Humidity == 100.0 && screened.DewpointIsTemperature(i));
        EXPECT_TRUE(screened.Gaps.empty() && screened.Superadiabatic.empty());
        cloud.insert(cloud.end(), {hot, dry, wet});
        ExpectUnchanged(input, screened, cloud);
    }
}

// A three-minute fade at 700 hPa (no frames: a temperature and a humidity
// gap, both too thick to interpolate), two minutes without humidity at
// 500 hPa, 90 s without temperature (nor altitude) near 60 hPa, thin in
// pressure up there, and a 30 s fade at 850 hPa, which is no gap.
TEST(Screening, GapsAndWhatTheyMakeMissing)
{
    const TSoundingFrames input = Ascent({2.0, 5.0, 0.0, 21000.0});
    auto seconds = [&](size_t i) { return (input[i].Time - input[0].Time) * 86400.0; };
    auto startOf = [&](double pressure) { return seconds(Nearest(input, pressure)); };
    const double fade = startOf(700.0), shortFade = startOf(850.0), dry = startOf(500.0),
                 blind = startOf(60.0);
    auto within = [&](size_t i, double start, double duration) {
        return seconds(i) >= start && seconds(i) < start + duration;
    };
    TSoundingFrames faded;
    for (size_t i = 0; i < input.size(); ++i) {
        if (within(i, fade, 179.0) || within(i, shortFade, 29.0))
            continue;
        faded.push_back(input[i]);
        if (within(i, dry, 120.0))
            faded.back().Humidity = TSoundingFrame::Missing;
        if (within(i, blind, 90.0))
            faded.back().Temperature = faded.back().Altitude = TSoundingFrame::Missing;
    }

    const TScreenedFrames screened = ScreenAscent(faded);
    EXPECT_TRUE(screened.Counts == TScreeningCounts{});
    ASSERT_EQ(screened.Gaps.size(), 4u);
    // What, the bottom's pressure, too thick.
    const std::tuple<TGapKind, double, bool> expected[] = {{gkTemperature, 700.0, true},
                                                           {gkHumidity, 700.0, true},
                                                           {gkHumidity, 500.0, true},
                                                           {gkTemperature, 60.0, false}};
    for (size_t g = 0; g < 4; ++g) {
        const TScreeningGap &gap = screened.Gaps[g];
        EXPECT_EQ(gap.What, std::get<0>(expected[g])) << g;
        EXPECT_NEAR(gap.BottomPressure, std::get<1>(expected[g]), 2.0) << g;
        EXPECT_EQ(gap.TooThickToInterpolate, std::get<2>(expected[g])) << g;
        EXPECT_EQ(gap.BottomPressure, faded[gap.Before].Pressure);
        EXPECT_EQ(gap.TopAltitude, faded[gap.After].Altitude);
    }
    const TScreeningGap &fadeGap = screened.Gaps[0], &dryGap = screened.Gaps[2],
                        &blindGap = screened.Gaps[3];
    EXPECT_TRUE(fadeGap.After == fadeGap.Before + 1 && std::abs(fadeGap.Seconds - 182.0) < 1e-3);
    EXPECT_GT(blindGap.Seconds, 90.0);

    // Pressure, temperature missing, dew point missing.
    const std::tuple<double, bool, bool> cases[] = {
        {(fadeGap.BottomPressure + fadeGap.TopPressure) / 2, true, true},
        {fadeGap.BottomPressure, false, false},
        {fadeGap.TopPressure, false, false},
        {(dryGap.BottomPressure + dryGap.TopPressure) / 2, false, true},
        {(blindGap.BottomPressure + blindGap.TopPressure) / 2, false, false},
        {850.0, false, false}};
    for (const auto &[pressure, temperature, dewpoint] : cases) {
        const TMissingAtPressure missing = MissingAtPressure(screened, pressure);
        EXPECT_TRUE(missing.Temperature == temperature && missing.Dewpoint == dewpoint) << pressure;
    }
}

// A 400 m layer lapsing at 20 K/km from 4000 m is reported, once, and kept;
// a superadiabatic surface layer (15 K/km in the first 300 m) is not.
TEST(Screening, SuperadiabaticLayersAboveTheLowest500m)
{
    auto temperature = [](double z) {
        return CleanTemperature(z) - 8.5e-3 * 300.0 * Ramp(z, Station, Station + 300.0) -
               13.5e-3 * 400.0 * Ramp(z, 4000.0, 4400.0);
    };
    for (const TAscentShape &shape : {TAscentShape{1.0, 5.0}, TAscentShape{10.0, 5.0}}) {
        SCOPED_TRACE(testing::Message() << shape.FrameSeconds << " s");
        const TSoundingFrames input = Ascent(shape, temperature);
        const TScreenedFrames screened = ScreenAscent(input);
        ASSERT_EQ(screened.Counts.Superadiabatic, 1);
        ASSERT_EQ(screened.Superadiabatic.size(), 1u);
        const TSuperadiabaticLayer &layer = screened.Superadiabatic[0];
        EXPECT_NEAR(layer.BottomAltitude, 4000.0, 100.0);
        EXPECT_NEAR(layer.TopAltitude, 4400.0, 100.0);
        EXPECT_EQ(layer.BottomPressure, input[screened.Source[layer.Bottom]].Pressure);
        // Smoothing over +-75 m rounds the layer's corners: within 3 K/km of
        // 20 K/km, and of the potential temperature's fall, (20 - 9.77) K/km
        // over 400 m times (1000 / 613)^0.2854 = 1.150: 4.70 K, within 0.6 K.
        EXPECT_NEAR(layer.LapseRate, 20.0, 3.0);
        EXPECT_NEAR(layer.PotentialTemperatureDrop, 4.70, 0.6);
        ExpectUnchanged(input, screened);
    }
}
