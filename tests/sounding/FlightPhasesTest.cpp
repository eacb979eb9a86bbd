#include "sounding/FlightPhases.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr double Start = 46363.4375; // 7 December 2026 10:30 local
constexpr double SurfacePressure = 1005.0;
// An isothermal atmosphere at 252.6 K, whose scale height 29.3 m/K x T is
// 7400 m: 1005 hPa at the ground, 17.6 hPa at 30 km.
constexpr double ScaleHeight = 7400.0; // m
constexpr double AirTemperature = ScaleHeight / 29.3 - 273.15;

double PressureOf(double height)
{
    return SurfacePressure * std::exp(-height / ScaleHeight);
}

// A generated flight: on the ground until Ground seconds (where it may be
// carried up stairs), then climbing at Rate to Burst metres and down under
// a parachute, fast at first and slowing to 5 m/s at the ground. The
// barometer is noisy by +-Noise hPa (uniform, seeded) and drifts.
struct TPlan
{
    double Interval = 1.0; // s between frames
    double Ground = 600.0; // s; 0: the data begin rising
    double Rate = 5.0;     // m/s
    double Total = 1800.0; // s of data
    double Burst = 0.0;    // m; 0: no burst
    double Noise = 1.0;    // hPa
    double Drift = 2.0;    // hPa per hour
    double Stairs = 0.0;   // m carried up at 0.5 m/s from a third of the ground time
    double Aloft = 0.0;    // m at which the data begin (0: at the station)
    double Offset = 0.37;  // of an interval, from the last frame before the release
    unsigned Seed = 1;
};

double HeightAt(const TPlan &plan, double t)
{
    if (t < plan.Ground) {
        const double up = std::clamp(0.5 * (t - plan.Ground / 3.0), 0.0, plan.Stairs);
        return plan.Aloft + up;
    }
    const double climb = plan.Aloft + plan.Rate * (t - plan.Ground);
    if (plan.Burst <= 0.0 || climb <= plan.Burst)
        return climb;
    // The descent: 5 m/s in the density of the ground, faster in thinner
    // air (v = 5 exp(h / 2H)), integrated in closed form from the burst.
    const double fallen = t - plan.Ground - (plan.Burst - plan.Aloft) / plan.Rate;
    const double k = 1.0 / (2.0 * ScaleHeight);
    const double arg = std::exp(-k * plan.Burst) + 5.0 * k * fallen;
    return std::max(0.0, -std::log(arg) / k);
}

// The frames and the first frame at or after the release.
struct TFlight
{
    TSoundingFrames Frames;
    int FirstAfterRelease = -1;
    double Release = 0.0; // days
};

TFlight Generate(const TPlan &plan)
{
    std::mt19937 random(plan.Seed);
    std::uniform_real_distribution<double> noise(-plan.Noise, plan.Noise);
    TFlight flight;
    flight.Release = Start + plan.Ground / 86400.0;
    for (double t = std::fmod(plan.Ground, plan.Interval) + (1.0 - plan.Offset) * plan.Interval;
         t < plan.Total; t += plan.Interval) {
        const double h = HeightAt(plan, t);
        TSoundingFrame frame;
        frame.Time = Start + t / 86400.0;
        frame.Pressure = PressureOf(h) + noise(random) + plan.Drift * t / 3600.0;
        frame.Temperature = AirTemperature;
        frame.Humidity = 60.0;
        frame.Altitude = 100.0 + ScaleHeight * std::log(SurfacePressure / frame.Pressure);
        if (flight.FirstAfterRelease < 0 && t >= plan.Ground)
            flight.FirstAfterRelease = int(flight.Frames.size());
        flight.Frames.push_back(frame);
    }
    return flight;
}

void Feed(TFlightPhases &phases, const TSoundingFrames &frames)
{
    for (const TSoundingFrame &frame : frames)
        phases.Add(frame);
}

double SecondsBetween(double a, double b)
{
    return (b - a) * 86400.0;
}

} // namespace

// An hour on the ground, at every frame rate, with the barometer's noise,
// a drift either way, a sonde carried up stairs: never a release.
TEST(FlightPhases, TheGroundIsNeverARelease)
{
    struct TCase
    {
        double Drift;
        double Stairs;
    };
    for (double interval : {1.0, 2.0, 5.0, 10.0})
        for (TCase c : {TCase{2.0, 0.0}, TCase{-2.0, 0.0}, TCase{2.0, 10.0}, TCase{-2.0, 25.0}})
            for (unsigned seed : {1u, 2u, 3u}) {
                TPlan plan;
                plan.Interval = interval;
                plan.Ground = 3600.0;
                plan.Total = 3600.0;
                plan.Drift = c.Drift;
                plan.Stairs = c.Stairs;
                plan.Seed = seed;
                const TFlight flight = Generate(plan);
                TFlightPhases phases;
                Feed(phases, flight.Frames);
                SCOPED_TRACE(testing::Message() << interval << " s, drift " << c.Drift
                                                << ", stairs " << c.Stairs << ", seed " << seed);
                EXPECT_FALSE(phases.Release());
                EXPECT_EQ(phases.Phase(), fpGround);
                EXPECT_NEAR(phases.GroundMinutes(), 60.0, 2.0 * interval / 60.0);
                EXPECT_FALSE(phases.BeginsAloft(1005.0, 100.0));
                EXPECT_EQ(phases.ProductsProblem(1005.0, 100.0),
                          "The sonde is on the ground: the products begin at the release");
            }
}

// 3 to 6 m/s with a frame every 1 to 10 s: the release is the frame at or
// just after the true one, or a frame within 5 s of it; the first estimate
// comes while the balloon is still low.
TEST(FlightPhases, AReleaseIsFoundWithinFiveSeconds)
{
    for (double interval : {1.0, 2.0, 5.0, 10.0})
        for (double rate : {3.0, 4.5, 6.0})
            for (unsigned seed : {11u, 12u, 13u, 14u}) {
                TPlan plan;
                plan.Interval = interval;
                plan.Rate = rate;
                plan.Ground = 900.0 + seed;
                plan.Drift = seed % 2 ? 2.0 : -2.0;
                plan.Offset = 0.15 + 0.25 * (seed - 11);
                plan.Seed = seed;
                const TFlight flight = Generate(plan);
                SCOPED_TRACE(testing::Message()
                             << interval << " s, " << rate << " m/s, seed " << seed);
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
                // Sustained at 50 m, two frames in a row, the second judged
                // by the next: within 50 m (plus the noise's 2 x 8.4 m) of
                // climb and three frames.
                EXPECT_LE(knownAfter, (50.0 + 16.8) / rate + 3.0 * interval);
                EXPECT_NEAR(phases.GroundMinutes(), plan.Ground / 60.0,
                            (5.0 + 2.0 * interval) / 60.0);
                EXPECT_EQ(phases.Phase(), fpAscending);
                EXPECT_EQ(phases.Ascent().First, release->Index);
                EXPECT_EQ(phases.Ascent().Last, phases.FrameCount() - 1);
                EXPECT_FALSE(phases.BeginsAloft(std::nullopt, 100.0));
                EXPECT_EQ(phases.ProductsProblem(1005.0, 100.0), QString());
            }
}

// One garbled frame, on the ground or at the release, first or later: never
// the release, never the first usable frame, and the release is still found.
TEST(FlightPhases, AGarbledFrameIsNeverTheReleaseOrTheSurface)
{
    struct TCase
    {
        const char *Name;
        double Ground; // s
        int Frame;     // -1: the frame at the release
        std::function<double(double)> Garble;
    };
    const auto wild = [](double) { return 12.3; };
    const auto jump = [](double p) { return p - 100.0; };
    const TCase cases[] = {
        {"first frame 12.3 hPa", 600.0, 0, wild},      {"first frame -100 hPa", 600.0, 0, jump},
        {"ground 12.3 hPa", 600.0, 300, wild},         {"ground -100 hPa", 600.0, 300, jump},
        {"at the release 12.3 hPa", 600.0, -1, wild},  {"at the release -100 hPa", 600.0, -1, jump},
        {"rising first frame 12.3 hPa", 0.0, 0, wild},
    };
    for (const TCase &c : cases)
        for (double interval : {1.0, 10.0}) {
            SCOPED_TRACE(testing::Message() << c.Name << ", " << interval << " s");
            TPlan plan;
            plan.Interval = interval;
            plan.Ground = c.Ground;
            TFlight flight = Generate(plan);
            const int garbled = c.Frame >= 0 ? c.Frame : flight.FirstAfterRelease;
            flight.Frames[size_t(garbled)].Pressure =
                c.Garble(flight.Frames[size_t(garbled)].Pressure);
            TFlightPhases phases;
            Feed(phases, flight.Frames);
            const auto release = phases.Release();
            ASSERT_TRUE(release);
            EXPECT_NE(release->Index, garbled);
            if (c.Ground > 0.0) {
                EXPECT_EQ(release->Source, rsAutomatic);
                EXPECT_LE(std::fabs(SecondsBetween(flight.Release, release->Time)),
                          std::max(5.0, interval));
            } else {
                EXPECT_EQ(release->Source, rsFirstFrame);
                EXPECT_EQ(release->Index, 1);
            }
            EXPECT_FALSE(phases.BeginsAloft(1005.0, 100.0));
        }
}

// Data that begin already rising, at the station and aloft. Aloft means
// below what the observation or the station height allows; a station at
// 3100 m could stand at 700 hPa.
TEST(FlightPhases, DataThatBeginRising)
{
    struct TCase
    {
        double Aloft; // m
        std::optional<double> StationPressure;
        double StationHeight;
        bool Expected;
    };
    const QString late = QStringLiteral("The data begin aloft at %1 hPa: the receiver started "
                                        "late, so there is no surface and no TEMP or BUFR");
    const TCase cases[] = {
        {0.0, 1005.0, 100.0, false},           {0.0, std::nullopt, 100.0, false},
        {2670.0, 1005.0, 100.0, true},         // 700 hPa
        {2670.0, std::nullopt, 100.0, true},   // below the 829 hPa 100 m allow
        {2670.0, std::nullopt, 3100.0, false}, // 700 hPa may be the ground there
        {150.0, 1005.0, 100.0, false},         // 985 hPa: within 200 m of the observation
        {300.0, 1005.0, 100.0, true},          // 965 hPa: beyond
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Aloft << " m, station " << c.StationHeight << " m");
        TPlan plan;
        plan.Ground = 0.0;
        plan.Aloft = c.Aloft;
        plan.Noise = 0.0;
        plan.Drift = 0.0;
        const TFlight flight = Generate(plan);
        TFlightPhases phases;
        Feed(phases, flight.Frames);
        const auto release = phases.Release();
        ASSERT_TRUE(release);
        EXPECT_EQ(release->Source, rsFirstFrame);
        EXPECT_EQ(release->Index, 0);
        EXPECT_EQ(phases.GroundMinutes(), 0.0);
        const QString problem = phases.ProductsProblem(c.StationPressure, c.StationHeight);
        EXPECT_EQ(phases.BeginsAloft(c.StationPressure, c.StationHeight), !problem.isEmpty());
        EXPECT_EQ(problem, c.Expected ? late.arg(QString::number(flight.Frames[0].Pressure, 'f', 1))
                                      : QString());
    }
}

// A descent alone, from 8.2 hPa to the ground: no release, descending, aloft.
TEST(FlightPhases, ADescentOnlyRunBeginsAloft)
{
    TPlan plan;
    plan.Ground = 0.0;
    plan.Aloft = 35600.0;
    plan.Rate = 0.001;
    plan.Burst = 35600.0001; // bursts at once
    plan.Total = 4000.0;
    plan.Interval = 2.0;
    plan.Noise = 0.02; // aloft the sensor resolves far better than on the ground
    plan.Drift = 0.0;
    const TFlight flight = Generate(plan);
    ASSERT_NEAR(flight.Frames[0].Pressure, 8.2, 0.8);
    TFlightPhases phases;
    Feed(phases, flight.Frames);
    phases.EndOfData();
    EXPECT_FALSE(phases.Release());
    EXPECT_FALSE(phases.Termination());
    EXPECT_TRUE(phases.Ascent().IsEmpty());
    EXPECT_EQ(phases.Phase(), fpDescending);
    for (std::optional<double> station : {std::optional<double>(1005.0), std::optional<double>()}) {
        EXPECT_TRUE(phases.BeginsAloft(station, 100.0));
        EXPECT_EQ(phases.ProductsProblem(station, 100.0),
                  QStringLiteral("The data begin aloft at %1 hPa and only descend: the receiver "
                                 "caught the descent alone, so there is no surface and no TEMP "
                                 "or BUFR")
                      .arg(QString::number(flight.Frames[0].Pressure, 'f', 1)));
    }
}

// The burst is the lowest pressure once the sonde has fallen 300 m below
// it; one garbled frame on either side (the lowest pressure of all, a fall
// of 100 hPa) changes nothing. The termination and the phase follow.
TEST(FlightPhases, TheBurstAndTheTermination)
{
    TPlan plan;
    plan.Interval = 2.0;
    plan.Ground = 300.0;
    plan.Rate = 5.0;
    plan.Burst = 30000.0;
    plan.Total = 300.0 + 6000.0 + 600.0;
    plan.Noise = 0.02;
    plan.Drift = 0.0;
    const TFlight clean = Generate(plan);
    const auto lowest = std::min_element(
        clean.Frames.begin(), clean.Frames.end(),
        [](const TSoundingFrame &a, const TSoundingFrame &b) { return a.Pressure < b.Pressure; });
    const int burst = int(lowest - clean.Frames.begin());
    ASSERT_NEAR(HeightAt(plan, SecondsBetween(Start, lowest->Time)), 30000.0, 10.0);

    for (int garble : {0, 1, 2}) {
        SCOPED_TRACE(garble);
        TFlight flight = clean;
        if (garble == 1)
            flight.Frames[size_t(burst - 3)].Pressure = 1.0;
        if (garble == 2)
            flight.Frames[size_t(burst + 2)].Pressure += 100.0;
        // Judged when the next frame comes: known once a frame lies 300 m
        // below the burst (10 m either way left to the noise).
        TFlightPhases phases;
        phases.Add(flight.Frames[0]);
        for (size_t i = 1; i < flight.Frames.size(); ++i) {
            phases.Add(flight.Frames[i]);
            const int judged = int(i) - 1;
            const double fall = i > size_t(burst) && judged != burst + 2
                                    ? lowest->Altitude - flight.Frames[i - 1].Altitude
                                    : 0.0;
            if (fall < 290.0 && phases.Burst())
                FAIL() << "burst known after a fall of " << fall << " m";
            if (fall > 310.0 && !phases.Burst())
                FAIL() << "burst unknown after a fall of " << fall << " m";
            if (!phases.Burst()) {
                EXPECT_EQ(phases.Phase(), phases.Release() ? fpAscending : fpGround);
                ASSERT_FALSE(phases.Termination());
            }
        }
        const auto found = phases.Burst();
        ASSERT_TRUE(found);
        EXPECT_EQ(found->Index, burst);
        EXPECT_EQ(found->Pressure, lowest->Pressure);
        EXPECT_EQ(found->Time, lowest->Time);
        EXPECT_NEAR(found->Altitude, 100.0 + 30000.0, 20.0);
        EXPECT_EQ(phases.Phase(), fpDescending);
        ASSERT_TRUE(phases.Termination());
        EXPECT_EQ(phases.Termination()->Code, tcBalloonBurst);
        EXPECT_EQ(phases.Ascent().Last, burst);
        phases.EndOfData();
        EXPECT_EQ(phases.Phase(), fpEnded);
        EXPECT_EQ(phases.Termination()->Index, burst);
    }

    // Without the burst in the data, the ascent ends at the last frame,
    // and only once the data have ended.
    TFlight cut = clean;
    cut.Frames.resize(size_t(burst - 100));
    TFlightPhases phases;
    Feed(phases, cut.Frames);
    EXPECT_FALSE(phases.Termination());
    EXPECT_EQ(phases.Ascent().Last, burst - 101);
    phases.EndOfData();
    ASSERT_TRUE(phases.Termination());
    EXPECT_EQ(phases.Termination()->Code, tcSuddenLossOfSignal);
    EXPECT_EQ(phases.Termination()->Index, burst - 101);
    EXPECT_EQ(phases.Phase(), fpEnded);
    phases.Add(clean.Frames[size_t(burst - 100)]); // the data go on after all
    EXPECT_FALSE(phases.DataEnded());
    EXPECT_FALSE(phases.Termination());

    EXPECT_EQ(TerminationText(tcBalloonBurst), "balloon burst");
    EXPECT_EQ(TerminationText(tcUserTerminated), "user terminated");
    EXPECT_EQ(TerminationText(tcSuddenLossOfSignal), "sudden loss of signal");
    EXPECT_EQ(TerminationText(31), "missing value");
    EXPECT_EQ(TerminationText(32), QString());
}

// The operator's marks override the frames, live (set before the frames
// come) or afterwards, and go back to automatic.
TEST(FlightPhases, TheOperatorsReleaseAndEndOfAscent)
{
    TPlan plan;
    plan.Interval = 2.0;
    const TFlight flight = Generate(plan);
    const double markedRelease = Start + 400.5 / 86400.0; // between frames
    const double markedEnd = Start + 1200.5 / 86400.0;
    const auto firstAtOrAfter = [&](double time) {
        return int(std::find_if(flight.Frames.begin(), flight.Frames.end(),
                                [&](const TSoundingFrame &f) { return f.Time >= time; }) -
                   flight.Frames.begin());
    };
    const int releaseIndex = firstAtOrAfter(markedRelease);
    const int endIndex = firstAtOrAfter(markedEnd) - 1;

    for (bool live : {true, false}) {
        SCOPED_TRACE(live ? "live" : "afterwards");
        TFlightPhases phases;
        if (live) {
            phases.SetOperatorRelease(markedRelease);
            phases.SetOperatorEnd(markedEnd);
        }
        Feed(phases, flight.Frames);
        if (!live) {
            phases.SetOperatorRelease(markedRelease);
            phases.SetOperatorEnd(markedEnd);
        }
        ASSERT_TRUE(phases.Release());
        EXPECT_EQ(phases.Release()->Index, releaseIndex);
        EXPECT_EQ(phases.Release()->Source, rsOperator);
        EXPECT_EQ(phases.AutomaticRelease()->Source, rsAutomatic);
        ASSERT_TRUE(phases.Termination());
        EXPECT_EQ(phases.Termination()->Code, tcUserTerminated);
        EXPECT_EQ(phases.Termination()->Index, endIndex);
        EXPECT_EQ(phases.Ascent().First, releaseIndex);
        EXPECT_EQ(phases.Ascent().Last, endIndex);
        EXPECT_EQ(phases.Phase(), fpEnded);
        EXPECT_NEAR(phases.GroundMinutes(), 400.5 / 60.0, 2.0 / 60.0);

        phases.SetOperatorRelease(std::nullopt);
        EXPECT_EQ(phases.Release()->Source, rsAutomatic);
        phases.SetOperatorEnd(std::nullopt);
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
