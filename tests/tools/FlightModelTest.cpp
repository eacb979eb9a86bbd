// The simulated real flight: the ground phase, the parachute descent, the
// sensor offset, the faults and the fade, against worked numbers.
#include "FlightModel.h"

#include "foundation/LocalUtilities.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {

TFlightOptions Options(double launch = 0.0)
{
    TFlightOptions o;
    o.LaunchElevation = launch;
    return o;
}

} // namespace

TEST(FlightModel, OnTheGroundTheSondeSettlesAndTheBarometerIsNoisyThenTheAscentIsTodays)
{
    TFlightOptions o = Options(120.0);
    o.GroundSeconds = 900.0;
    o.Seed = 3;
    const TFlightModel flight(o, 1.0, 0);
    const double air = StandardTemperature(120.0);   // 14.22 degC
    const double pressure = StandardPressure(120.0); // 998.92 mbar
    const double dewPoint = DewPoint(air, flight.At(900.0, 900).Humidity);

    // 24 degC relaxing with a 180 s time constant: 24 - 9.78 (1 - 1/e) at 180 s.
    EXPECT_NEAR(flight.At(0.0, 0).Temperature, 24.0, 1e-9);
    EXPECT_NEAR(flight.At(180.0, 180).Temperature, air + (24.0 - air) / M_E, 1e-9);
    EXPECT_NEAR(flight.At(899.0, 899).Temperature, air, 0.07);
    double previous = 99.0, low = 1e9, high = -1e9;
    for (int64_t i = 0; i < 900; ++i) {
        const TSondeReading r = flight.At(double(i), i);
        EXPECT_EQ(r.Altitude, 120.0);
        EXPECT_LT(r.Temperature, previous);
        previous = r.Temperature;
        // The same vapour pressure: the dew point stays the air's.
        EXPECT_NEAR(DewPoint(r.Temperature, r.Humidity), dewPoint, 0.01) << i;
        // Noise within 0.4 hPa about a drift of at most 0.8 hPa an hour,
        // which ends at the release.
        const double d = r.Pressure - pressure;
        EXPECT_LE(std::abs(d), 0.4 + 0.8 * (900.0 - double(i)) / 3600.0) << i;
        low = std::min(low, d);
        high = std::max(high, d);
    }
    EXPECT_GT(high - low, 0.4); // noisy, not constant
    EXPECT_LT(flight.At(0.0, 0).Humidity, 0.6 * flight.At(900.0, 900).Humidity);

    // Reproducible from the seed, another seed another barometer.
    TFlightOptions other = o;
    EXPECT_EQ(TFlightModel(other, 1.0, 0).At(300.0, 300).Pressure, flight.At(300.0, 300).Pressure);
    other.Seed = 4;
    EXPECT_NE(TFlightModel(other, 1.0, 0).At(300.0, 300).Pressure, flight.At(300.0, 300).Pressure);

    // From the release on, the air of the flight without a ground phase.
    const TStandardAscent today(120.0);
    for (double s : {0.0, 1.0, 2345.0, 7000.0, 9000.0}) {
        const TSondeReading a = flight.At(900.0 + s, 77), b = today.At(s, 77);
        EXPECT_EQ(a.Altitude, b.Altitude) << s;
        EXPECT_EQ(a.Temperature, b.Temperature) << s;
        EXPECT_EQ(a.Pressure, b.Pressure) << s;
        EXPECT_EQ(a.Humidity, b.Humidity) << s;
        EXPECT_EQ(a.Battery, b.Battery) << s;
    }
    EXPECT_EQ(*flight.ReleaseFrame(), 900);
}

TEST(FlightModel, BurstsAtTheAltitudeAndComesDownUnderAParachuteThatSlows)
{
    TFlightOptions o = Options(35.0);
    o.GroundSeconds = 600.0;
    o.BurstAltitude = 30000.0;
    for (double step : {1.0, 7.0}) {
        SCOPED_TRACE(step);
        const auto frames = int64_t(9000.0 / step);
        const TFlightModel flight(o, step, frames);
        EXPECT_NEAR(flight.BurstSeconds(), 600.0 + (30000.0 - 35.0) / 5.0, 1e-9);
        // The highest frame is the burst frame, within a frame's climb of the burst.
        int64_t top = 0;
        for (int64_t i = 0; i < frames; ++i)
            if (flight.Frame(i).Altitude > flight.Frame(top).Altitude)
                top = i;
        EXPECT_EQ(flight.BurstFrame(), top);
        EXPECT_GE(flight.Frame(top).Altitude, 30000.0 - 5.0 * step);
    }

    // Terminal velocity 5.5 m/s sqrt(rho0/rho): standard densities at 30 km
    // and 500 m are 1/66.54 and 1/1.0495 of sea level's: 44.9 and 5.63 m/s.
    const TFlightModel flight(o, 1.0, 0);
    const double burst = flight.BurstSeconds();
    auto rate = [&](double t) {
        return flight.At(t - 0.5, 0).Altitude - flight.At(t + 0.5, 0).Altitude;
    };
    EXPECT_NEAR(rate(burst + 1.0), 44.9, 0.5);
    double t = burst;
    while (flight.At(t, 0).Altitude > 500.0)
        t += 1.0;
    EXPECT_NEAR(rate(t), 5.63, 0.05);
    double previous = 1e9;
    for (double s = burst + 1.0; s < t; s += 60.0) {
        EXPECT_LT(rate(s), previous); // slowing all the way down
        previous = rate(s);
    }
    EXPECT_GT(flight.At(flight.LandingSeconds() - 5.0, 0).Altitude, 35.0);
    EXPECT_EQ(flight.At(flight.LandingSeconds() + 1.0, 0).Altitude, 35.0);
    EXPECT_EQ(flight.At(flight.LandingSeconds() + 3600.0, 0).Altitude, 35.0);
}

TEST(FlightModel, ThePressureOffsetHoldsAllFlight)
{
    TFlightOptions o = Options(), offset = Options();
    o.GroundSeconds = offset.GroundSeconds = 300.0;
    offset.PressureOffset = 0.8;
    const TFlightModel plain(o, 1.0, 0), high(offset, 1.0, 0);
    for (double t : {0.0, 299.0, 300.0, 4000.0, 8000.0})
        EXPECT_NEAR(high.At(t, int64_t(t)).Pressure - plain.At(t, int64_t(t)).Pressure, 0.8, 1e-9)
            << t;
}

TEST(FlightModel, FaultsAreReproducibleSingleFramesOfTheAskedMix)
{
    TFlightOptions o = Options();
    o.FaultSeed = 1;
    const TFlightModel flight(o, 1.0, 7200);
    const std::vector<TFault> faults = flight.Faults(0, 7200);

    // Every 500 frames a spike of 5 to 10 K, every 2,000 a jump of 2 to 5
    // hPa, every 1,000 a humidity of 0 or 110 %RH; each alone.
    int counts[3] = {};
    std::set<double> humidities;
    for (size_t i = 0; i < faults.size(); ++i) {
        const TFault &f = faults[i];
        ++counts[f.Kind];
        const TSondeReading clean = flight.At(flight.Seconds(f.Frame), flight.Slot(f.Frame));
        const TSondeReading faulty = flight.Frame(f.Frame);
        if (f.Kind == fkTemperature) {
            EXPECT_TRUE(std::abs(f.Value) >= 5.0 && std::abs(f.Value) <= 10.0) << f.Value;
            EXPECT_NEAR(faulty.Temperature - clean.Temperature, f.Value, 1e-9);
        } else if (f.Kind == fkPressure) {
            EXPECT_TRUE(std::abs(f.Value) >= 2.0 && std::abs(f.Value) <= 5.0) << f.Value;
            EXPECT_NEAR(faulty.Pressure - clean.Pressure, f.Value, 1e-9);
        } else {
            humidities.insert(f.Value);
            EXPECT_EQ(faulty.Humidity, f.Value);
        }
        if (i > 0) {
            EXPECT_GE(f.Frame - faults[i - 1].Frame, 10);
        }
        // The frames either side are clean.
        EXPECT_EQ(flight.Frame(f.Frame + 1).Temperature,
                  flight.At(flight.Seconds(f.Frame + 1), flight.Slot(f.Frame + 1)).Temperature);
    }
    EXPECT_TRUE(counts[fkTemperature] >= 13 && counts[fkTemperature] <= 15) << counts[0];
    EXPECT_TRUE(counts[fkPressure] >= 3 && counts[fkPressure] <= 4) << counts[1];
    EXPECT_TRUE(counts[fkHumidity] >= 6 && counts[fkHumidity] <= 8) << counts[2];
    EXPECT_EQ(humidities, (std::set<double>{0.0, 110.0}));

    // One fade of 2 to 4 minutes in the middle of the flight.
    ASSERT_TRUE(flight.Fade());
    EXPECT_TRUE(flight.Fade()->Seconds >= 120.0 && flight.Fade()->Seconds <= 240.0);
    EXPECT_TRUE(flight.Fade()->Start >= 1440.0 && flight.Fade()->Start < 5760.0);
    const int64_t before = flight.FadeFirstSlot() - 1;
    EXPECT_EQ(flight.Slot(before + 1) - flight.Slot(before), flight.FadeSlots() + 1);

    // The same seed, whatever --seed says, gives the same faults; another
    // seed others.
    auto frames = [](const TFlightModel &f) {
        std::vector<int64_t> n;
        for (const TFault &fault : f.Faults(0, 7200))
            n.push_back(fault.Frame);
        return n;
    };
    TFlightOptions same = o;
    same.Seed = 99;
    EXPECT_EQ(frames(TFlightModel(same, 1.0, 7200)), frames(flight));
    EXPECT_EQ(TFlightModel(same, 1.0, 7200).Fade()->Start, flight.Fade()->Start);
    TFlightOptions other = o;
    other.FaultSeed = 2;
    EXPECT_NE(frames(TFlightModel(other, 1.0, 7200)), frames(flight));
}

TEST(FlightModel, AFadeByHandSwallowsItsFramesAndTheCountGoesOn)
{
    TFlightOptions o = Options();
    o.FaultSeed = 1;
    o.Fade = TFade{100.0, 150.0};
    const TFlightModel flight(o, 2.0, 1000); // frames 2 s apart: slots 50 to 124 are lost
    EXPECT_EQ(flight.Fade()->Start, 100.0);
    EXPECT_EQ(flight.FadeFirstSlot(), 50);
    EXPECT_EQ(flight.FadeSlots(), 75);
    EXPECT_EQ(flight.Seconds(49), 98.0);
    EXPECT_EQ(flight.Seconds(50), 250.0);
    EXPECT_EQ(flight.FrameOfSlot(60), std::nullopt);
    EXPECT_EQ(flight.FrameOfSlot(125), 50);
    EXPECT_EQ(flight.FrameOfSlot(1075), std::nullopt); // beyond the 1,000 frames sent
    // The parallel byte counts the sonde's frames, the lost ones too.
    EXPECT_EQ(flight.Frame(50).ParallelByte, 125);
}
