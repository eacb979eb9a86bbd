#include "sounding/FlightPhases.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr double Start = 46363.4375; // 7 December 2026 10:30 local
// An isothermal atmosphere whose scale height, 29.3 m/K x T, is 7400 m:
// 1005 hPa at the ground, 17.6 hPa at 30 km.
constexpr double ScaleHeight = 7400.0;
constexpr double AirTemperature = ScaleHeight / 29.3 - 273.15;

// A generated flight: on the ground until Ground s (carried Stairs m up at
// 0.5 m/s from a third of it), then up at Rate from Aloft m to Burst m and
// down under a parachute at 5 m/s in the ground's density (faster in thinner
// air: v = 5 exp(h / 2H)). The barometer is noisy by +-Noise hPa (uniform,
// seeded) and drifts; the release falls Offset of an interval after a frame.
struct TPlan
{
    double Interval = 1.0, Ground = 600.0, Rate = 5.0, Total = 1800.0, Burst = 0.0;
    double Noise = 1.0, Drift = 2.0, Stairs = 0.0, Aloft = 0.0, Offset = 0.37;
    unsigned Seed = 1;
};

double HeightAt(const TPlan &plan, double t)
{
    if (t < plan.Ground)
        return plan.Aloft + std::clamp(0.5 * (t - plan.Ground / 3.0), 0.0, plan.Stairs);
    const double climb = plan.Aloft + plan.Rate * (t - plan.Ground);
    if (plan.Burst <= 0.0 || climb <= plan.Burst)
        return climb;
    const double fallen = t - plan.Ground - (plan.Burst - plan.Aloft) / plan.Rate;
    const double k = 1.0 / (2.0 * ScaleHeight);
    return std::max(0.0, -std::log(std::exp(-k * plan.Burst) + 5.0 * k * fallen) / k);
}

struct TFlight
{
    TSoundingFrames Frames;
    int FirstAfterRelease = -1; // the frame at or just after the release
    double Release = 0.0;       // days
};

TFlight Generate(const TPlan &plan)
{
    std::mt19937 random(plan.Seed);
    std::uniform_real_distribution<double> noise(-plan.Noise, plan.Noise);
    TFlight flight;
    flight.Release = Start + plan.Ground / 86400.0;
    for (double t = std::fmod(plan.Ground, plan.Interval) + (1.0 - plan.Offset) * plan.Interval;
         t < plan.Total; t += plan.Interval) {
        TSoundingFrame frame;
        frame.Time = Start + t / 86400.0;
        frame.Pressure = 1005.0 * std::exp(-HeightAt(plan, t) / ScaleHeight) + noise(random) +
                         plan.Drift * t / 3600.0;
        frame.Temperature = AirTemperature;
        frame.Humidity = 60.0;
        frame.Altitude = 100.0 + ScaleHeight * std::log(1005.0 / frame.Pressure);
        if (flight.FirstAfterRelease < 0 && t >= plan.Ground)
            flight.FirstAfterRelease = int(flight.Frames.size());
        flight.Frames.push_back(frame);
    }
    return flight;
}

TFlightPhases PhasesOf(const TSoundingFrames &frames)
{
    TFlightPhases phases;
    for (const TSoundingFrame &frame : frames)
        phases.Add(frame);
    return phases;
}

double SecondsBetween(double a, double b)
{
    return (b - a) * 86400.0;
}

} // namespace

// An hour on the ground at every frame rate, with the barometer's noise, a
// drift either way, a sonde carried up stairs: never a release.
TEST(FlightPhases, TheGroundIsNeverARelease)
{
    for (double interval : {1.0, 2.0, 5.0, 10.0})
        for (double stairs : {0.0, 10.0, 25.0})
            for (unsigned seed : {1u, 2u}) {
                SCOPED_TRACE(testing::Message() << interval << " s, stairs " << stairs << " m");
                const TFlightPhases phases = PhasesOf(Generate({.Interval = interval,
                                                                .Ground = 3600.0,
                                                                .Total = 3600.0,
                                                                .Drift = seed % 2 ? 2.0 : -2.0,
                                                                .Stairs = stairs,
                                                                .Seed = seed})
                                                          .Frames);
                EXPECT_FALSE(phases.Release());
                EXPECT_EQ(phases.Phase(), fpGround);
                EXPECT_NEAR(phases.GroundMinutes(), 60.0, 2.0 * interval / 60.0);
                EXPECT_EQ(phases.ProductsProblem(1005.0, 100.0),
                          "The sonde is on the ground: the products begin at the release");
            }
}

// 3 to 6 m/s with a frame every 1 to 10 s: the release is the frame at or
// just after the true one, or a frame within 5 s of it; the first estimate
// comes within 50 m (plus twice the noise's 8.4 m) of climb and three
// frames (two in a row above 50 m, the second judged by the next).
TEST(FlightPhases, AReleaseIsFoundWithinFiveSeconds)
{
    for (double interval : {1.0, 2.0, 5.0, 10.0})
        for (double rate : {3.0, 4.5, 6.0})
            for (unsigned seed : {11u, 12u, 13u, 14u}) {
                SCOPED_TRACE(testing::Message()
                             << interval << " s, " << rate << " m/s, seed " << seed);
                const TPlan plan{.Interval = interval,
                                 .Ground = 900.0 + seed,
                                 .Rate = rate,
                                 .Drift = seed % 2 ? 2.0 : -2.0,
                                 .Offset = 0.25 * (seed - 11) + 0.15,
                                 .Seed = seed};
                const TFlight flight = Generate(plan);
                TFlightPhases phases;
                double knownAfter = -1.0;
                for (const TSoundingFrame &frame : flight.Frames) {
                    phases.Add(frame);
                    if (knownAfter < 0.0 && phases.Release())
                        knownAfter = SecondsBetween(flight.Release, frame.Time);
                }
                const auto release = phases.Release();
                ASSERT_TRUE(release);
                EXPECT_EQ(release->Source, rsAutomatic);
                EXPECT_TRUE(std::fabs(SecondsBetween(flight.Release, release->Time)) <= 5.0 ||
                            release->Index == flight.FirstAfterRelease)
                    << SecondsBetween(flight.Release, release->Time) << " s";
                EXPECT_LE(knownAfter, (50.0 + 16.8) / rate + 3.0 * interval);
                EXPECT_NEAR(phases.GroundMinutes(), plan.Ground / 60.0,
                            (5.0 + 2.0 * interval) / 60.0);
                EXPECT_EQ(phases.Phase(), fpAscending);
                EXPECT_EQ(phases.Ascent().First, release->Index);
                EXPECT_EQ(phases.ProductsProblem(std::nullopt, 100.0), QString());
            }
}

// One garbled frame (12.3 hPa, or 100 hPa off), first, on the ground, at the
// release: never the release, never the first usable frame.
TEST(FlightPhases, AGarbledFrameIsNeverTheReleaseOrTheSurface)
{
    for (bool wild : {true, false})
        for (const char *at : {"first", "ground", "release"})
            for (double ground : {600.0, 0.0})
                for (double interval : {1.0, 10.0}) {
                    SCOPED_TRACE(testing::Message() << (wild ? "12.3 hPa" : "-100 hPa") << " at "
                                                    << at << ", " << interval << " s");
                    TFlight flight = Generate({.Interval = interval, .Ground = ground});
                    const int release = flight.FirstAfterRelease;
                    const int garbled = at[0] == 'f' ? 0 : at[0] == 'g' ? release / 2 : release;
                    double &p = flight.Frames[size_t(garbled)].Pressure;
                    p = wild ? 12.3 : p - 100.0;
                    const auto found = PhasesOf(flight.Frames).Release();
                    ASSERT_TRUE(found);
                    EXPECT_NE(found->Index, garbled);
                    if (ground > 0.0) {
                        EXPECT_LE(std::fabs(SecondsBetween(flight.Release, found->Time)),
                                  std::max(5.0, interval));
                    } else if (garbled == 0) {
                        EXPECT_EQ(found->Index, 1);
                    }
                    EXPECT_EQ(found->Source, ground > 0.0 ? rsAutomatic : rsFirstFrame);
                }
}

// Data that begin rising: the first frame is the release. Aloft (below what
// the observation or the station height allows; a station at 3100 m may
// stand at 700 hPa) there are no products, and a descent alone is aloft too.
TEST(FlightPhases, RunsThatBeginAloft)
{
    const QString late = QStringLiteral("The data begin aloft at %1 hPa: the receiver started "
                                        "late, so there is no surface and no TEMP or BUFR");
    const QString descent = QStringLiteral("The data begin aloft at %1 hPa and only descend: the "
                                           "receiver caught the descent alone, so there is no "
                                           "surface and no TEMP or BUFR");
    const TPlan rising{.Ground = 0.0, .Noise = 0.0, .Drift = 0.0};
    TPlan falling{.Interval = 2.0, .Ground = 0.0, .Rate = 0.001, .Total = 4000.0};
    falling.Burst = falling.Aloft = 35600.0; // 8.2 hPa
    falling.Noise = 0.02;
    falling.Drift = 0.0;
    struct TCase
    {
        TPlan Plan;
        std::optional<double> StationPressure;
        double StationHeight;
        const QString *Problem; // nullptr: products
    };
    const auto at = [](TPlan plan, double aloft) {
        plan.Aloft = aloft;
        return plan;
    };
    const TCase cases[] = {
        {rising, 1005.0, 100.0, nullptr},
        {rising, std::nullopt, 100.0, nullptr},
        {at(rising, 2670.0), 1005.0, 100.0, &late},          // 700 hPa
        {at(rising, 2670.0), std::nullopt, 100.0, &late},    // below the 829 hPa 100 m allow
        {at(rising, 2670.0), std::nullopt, 3100.0, nullptr}, // above the 572 hPa of 3100 m
        {at(rising, 150.0), 1005.0, 100.0, nullptr},         // within 200 m of the observation
        {at(rising, 300.0), 1005.0, 100.0, &late},
        {falling, 1005.0, 100.0, &descent},
        {falling, std::nullopt, 100.0, &descent},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Plan.Aloft << " m, station " << c.StationHeight);
        const TFlight flight = Generate(c.Plan);
        const TFlightPhases phases = PhasesOf(flight.Frames);
        const QString problem = phases.ProductsProblem(c.StationPressure, c.StationHeight);
        EXPECT_EQ(problem,
                  c.Problem ? c.Problem->arg(flight.Frames[0].Pressure, 0, 'f', 1) : QString());
        EXPECT_EQ(phases.BeginsAloft(c.StationPressure, c.StationHeight), bool(c.Problem));
        if (c.Problem == &descent) {
            EXPECT_FALSE(phases.Release());
            EXPECT_EQ(phases.Phase(), fpDescending);
        } else {
            ASSERT_TRUE(phases.Release());
            EXPECT_EQ(phases.Release()->Source, rsFirstFrame);
            EXPECT_EQ(phases.Release()->Index, 0);
            EXPECT_EQ(phases.GroundMinutes(), 0.0);
        }
    }
}

// The burst is the lowest pressure, known once a frame lies 300 m below it
// (10 m either way left to the noise); a garbled frame on either side (the
// lowest pressure of all; a fall of 100 hPa) changes nothing.
TEST(FlightPhases, TheBurstAndTheTermination)
{
    const TPlan plan{.Interval = 2.0,
                     .Ground = 300.0,
                     .Total = 6900.0,
                     .Burst = 30000.0,
                     .Noise = 0.02,
                     .Drift = 0.0};
    const TFlight clean = Generate(plan);
    const auto lowest = std::min_element(
        clean.Frames.begin(), clean.Frames.end(),
        [](const TSoundingFrame &a, const TSoundingFrame &b) { return a.Pressure < b.Pressure; });
    const int burst = int(lowest - clean.Frames.begin());
    for (int garble : {0, -3, 2}) {
        SCOPED_TRACE(garble);
        TFlight flight = clean;
        if (garble < 0)
            flight.Frames[size_t(burst + garble)].Pressure = 1.0;
        if (garble > 0)
            flight.Frames[size_t(burst + garble)].Pressure += 100.0;
        TFlightPhases phases;
        phases.Add(flight.Frames[0]);
        for (size_t i = 1; i < flight.Frames.size(); ++i) {
            phases.Add(flight.Frames[i]); // judges frame i - 1
            const int judged = int(i) - 1;
            const double fall = judged > burst && judged != burst + garble
                                    ? lowest->Altitude - flight.Frames[i - 1].Altitude
                                    : 0.0;
            ASSERT_FALSE(fall < 290.0 && phases.Burst()) << fall;
            ASSERT_FALSE(fall > 310.0 && !phases.Burst()) << fall;
            ASSERT_EQ(phases.Termination().has_value(), phases.Burst().has_value());
        }
        const auto found = phases.Burst();
        EXPECT_EQ(found->Index, burst);
        EXPECT_EQ(found->Time, lowest->Time);
        EXPECT_EQ(found->Pressure, lowest->Pressure);
        EXPECT_NEAR(found->Altitude, 30100.0, 20.0);
        EXPECT_EQ(phases.Phase(), fpDescending);
        EXPECT_EQ(phases.Termination()->Code, tcBalloonBurst);
        EXPECT_EQ(phases.Ascent().Last, burst);
        phases.EndOfData();
        EXPECT_EQ(phases.Phase(), fpEnded);
    }

    // Cut short before the burst: the ascent ends with the data, and only
    // once they have ended.
    TFlightPhases phases =
        PhasesOf(TSoundingFrames(clean.Frames.begin(), clean.Frames.begin() + burst - 100));
    EXPECT_FALSE(phases.Termination());
    phases.EndOfData();
    EXPECT_EQ(phases.Termination()->Code, tcSuddenLossOfSignal);
    EXPECT_EQ(phases.Termination()->Index, burst - 101);
    EXPECT_EQ(phases.Phase(), fpEnded);
    phases.Add(clean.Frames[size_t(burst - 100)]); // the data go on after all
    EXPECT_FALSE(phases.Termination());

    EXPECT_EQ(TerminationText(tcBalloonBurst), "balloon burst");
    EXPECT_EQ(TerminationText(tcUserTerminated), "user terminated");
    EXPECT_EQ(TerminationText(tcSuddenLossOfSignal), "sudden loss of signal");
    EXPECT_EQ(TerminationText(32), QString());
}

// The operator's marks override the frames, set before the frames come
// (live) or afterwards, and go back to automatic.
TEST(FlightPhases, TheOperatorsReleaseAndEndOfAscent)
{
    const TFlight flight = Generate({.Interval = 2.0});
    const double markedRelease = Start + 400.5 / 86400.0; // between frames
    const double markedEnd = Start + 1200.5 / 86400.0;
    const auto firstAtOrAfter = [&](double time) {
        return int(std::find_if(flight.Frames.begin(), flight.Frames.end(),
                                [&](const TSoundingFrame &f) { return f.Time >= time; }) -
                   flight.Frames.begin());
    };
    for (bool live : {true, false}) {
        SCOPED_TRACE(live ? "live" : "afterwards");
        TFlightPhases phases;
        for (int step = 0; step < 2; ++step)
            if (step == int(live)) {
                for (const TSoundingFrame &frame : flight.Frames)
                    phases.Add(frame);
            } else {
                phases.SetOperatorRelease(markedRelease);
                phases.SetOperatorEnd(markedEnd);
            }
        EXPECT_EQ(phases.Release()->Index, firstAtOrAfter(markedRelease));
        EXPECT_EQ(phases.Release()->Source, rsOperator);
        EXPECT_EQ(phases.AutomaticRelease()->Source, rsAutomatic);
        EXPECT_EQ(phases.Termination()->Code, tcUserTerminated);
        EXPECT_EQ(phases.Ascent().First, firstAtOrAfter(markedRelease));
        EXPECT_EQ(phases.Ascent().Last, firstAtOrAfter(markedEnd) - 1);
        EXPECT_EQ(phases.Phase(), fpEnded);
        EXPECT_NEAR(phases.GroundMinutes(), 400.5 / 60.0, 2.0 / 60.0);

        phases.SetOperatorRelease(std::nullopt);
        phases.SetOperatorEnd(std::nullopt);
        EXPECT_EQ(phases.Release()->Source, rsAutomatic);
        EXPECT_EQ(phases.Phase(), fpAscending);
        // An end before the release leaves no ascent, and says so.
        phases.SetOperatorEnd(Start + 300.0 / 86400.0);
        EXPECT_TRUE(phases.Ascent().IsEmpty());
        EXPECT_TRUE(phases.ProductsProblem(1005.0, 100.0).startsWith("The End of Ascent mark"));
        phases.Clear();
        EXPECT_FALSE(phases.OperatorEnd());
        EXPECT_EQ(phases.FrameCount(), 0);
    }
}
