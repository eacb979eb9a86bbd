// The simulated real flight: the ground phase, the parachute descent, the
// sensor offset, the faults and the fade, against worked numbers.
#include "FlightModel.h"

#include "foundation/LocalUtilities.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(FlightModel, OnTheGroundTheSondeSettlesAndTheBarometerIsNoisyThenTheAscentIsTodays)
{
    TFlightOptions o;
    o.LaunchElevation = 120.0;
    o.GroundSeconds = 900.0;
    o.Seed = 3;
    o.PressureOffset = 0.8;
    const TFlightModel flight(o, 1.0, 0);
    const double air = StandardTemperature(120.0);         // 14.22 degC
    const double pressure = StandardPressure(120.0) + 0.8; // 998.92 mbar, read 0.8 high
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
        // Noise within 0.4 hPa about a drift of at most 0.8 hPa an hour
        // that ends at the release.
        const double d = r.Pressure - pressure;
        EXPECT_LE(std::abs(d), 0.4 + 0.8 * (900.0 - double(i)) / 3600.0) << i;
        low = std::min(low, d);
        high = std::max(high, d);
    }
    EXPECT_GT(high - low, 0.4); // noisy, not constant
    TFlightOptions other = o;
    other.Seed = 4;
    EXPECT_NE(TFlightModel(other, 1.0, 0).At(300.0, 300).Pressure, flight.At(300.0, 300).Pressure);

    // From the release on, the air of the flight without a ground phase.
    const TStandardAscent today(120.0);
    for (double s : {0.0, 1.0, 2345.0, 7000.0, 9000.0}) {
        const TSondeReading a = flight.At(900.0 + s, 77), b = today.At(s, 77);
        EXPECT_EQ(a.Altitude, b.Altitude) << s;
        EXPECT_EQ(a.Temperature, b.Temperature) << s;
        EXPECT_NEAR(a.Pressure - b.Pressure, 0.8, 1e-9) << s;
        EXPECT_EQ(a.Humidity, b.Humidity) << s;
    }
    EXPECT_EQ(*flight.ReleaseFrame(), 900);
}

TEST(FlightModel, BurstsAtTheAltitudeAndComesDownUnderAParachuteThatSlows)
{
    TFlightOptions o;
    o.LaunchElevation = 35.0;
    o.GroundSeconds = 600.0;
    o.BurstAltitude = 30000.0;
    for (double step : {1.0, 7.0}) {
        const auto frames = int64_t(9000.0 / step);
        const TFlightModel flight(o, step, frames);
        int64_t top = 0;
        for (int64_t i = 0; i < frames; ++i)
            if (flight.Frame(i).Altitude > flight.Frame(top).Altitude)
                top = i;
        EXPECT_EQ(flight.BurstFrame(), top) << step;
        EXPECT_GE(flight.Frame(top).Altitude, 30000.0 - 5.0 * step) << step;
    }

    // Terminal velocity 5.5 m/s sqrt(rho0/rho): standard densities at 30 km
    // and 500 m are 1/66.54 and 1/1.0495 of sea level's: 44.9 and 5.63 m/s.
    const TFlightModel flight(o, 1.0, 0);
    auto rate = [&](double t) {
        return flight.At(t - 0.5, 0).Altitude - flight.At(t + 0.5, 0).Altitude;
    };
    const double burst = flight.BurstSeconds();
    EXPECT_NEAR(burst, 600.0 + (30000.0 - 35.0) / 5.0, 1e-9);
    EXPECT_NEAR(rate(burst + 1.0), 44.9, 0.5);
    double t = burst + 1.0;
    for (double previous = 1e9; flight.At(t, 0).Altitude > 500.0; t += 10.0) {
        EXPECT_LT(rate(t), previous); // slowing all the way down
        previous = rate(t);
    }
    EXPECT_NEAR(rate(t), 5.63, 0.05);
    EXPECT_GT(flight.At(flight.LandingSeconds() - 5.0, 0).Altitude, 35.0);
    EXPECT_EQ(flight.At(flight.LandingSeconds() + 1.0, 0).Altitude, 35.0);
}

TEST(FlightModel, FaultsAreReproducibleSingleFramesOfTheAskedMixAndTheFadeSwallowsSlots)
{
    TFlightOptions o;
    o.FaultSeed = 1;
    const TFlightModel flight(o, 1.0, 7200);
    // Every 500 frames a spike of 5 to 10 K, every 2,000 a jump of 2 to 5
    // hPa, every 1,000 a humidity of 0 or 110 %RH, each alone.
    int counts[3] = {};
    int64_t last = -100;
    for (const TFault &f : flight.Faults(0, 7200)) {
        ++counts[f.Kind];
        EXPECT_GE(f.Frame - last, 10);
        last = f.Frame;
        const TSondeReading clean = flight.At(flight.Seconds(f.Frame), flight.Slot(f.Frame));
        const TSondeReading faulty = flight.Frame(f.Frame);
        const double size[] = {faulty.Temperature - clean.Temperature,
                               faulty.Pressure - clean.Pressure, faulty.Humidity};
        EXPECT_NEAR(size[f.Kind], f.Value, 1e-9);
        const double low[] = {5.0, 2.0, 0.0}, high[] = {10.0, 5.0, 110.0};
        EXPECT_TRUE(std::abs(f.Value) >= low[f.Kind] && std::abs(f.Value) <= high[f.Kind] &&
                    (f.Kind != fkHumidity || f.Value == 0.0 || f.Value == 110.0))
            << f.Value;
        EXPECT_EQ(flight.Frame(f.Frame + 1).Temperature,
                  flight.At(flight.Seconds(f.Frame + 1), flight.Slot(f.Frame + 1)).Temperature);
    }
    EXPECT_TRUE(counts[fkTemperature] >= 13 && counts[fkTemperature] <= 15) << counts[0];
    EXPECT_TRUE(counts[fkPressure] >= 3 && counts[fkPressure] <= 4) << counts[1];
    EXPECT_TRUE(counts[fkHumidity] >= 6 && counts[fkHumidity] <= 8) << counts[2];
    // One fade of 2 to 4 minutes in the middle three fifths.
    ASSERT_TRUE(flight.Fade());
    EXPECT_TRUE(flight.Fade()->Seconds >= 120.0 && flight.Fade()->Seconds <= 240.0);
    EXPECT_TRUE(flight.Fade()->Start >= 1440.0 && flight.Fade()->Start < 5760.0);

    // The same fault seed, whatever --seed says, the same faults; another, others.
    TFlightOptions same = o, other = o;
    same.Seed = 99;
    other.FaultSeed = 2;
    const auto first = flight.Faults(0, 7200).front().Frame;
    EXPECT_EQ(TFlightModel(same, 1.0, 7200).Faults(0, 7200).front().Frame, first);
    EXPECT_EQ(TFlightModel(same, 1.0, 7200).Fade()->Start, flight.Fade()->Start);
    EXPECT_NE(TFlightModel(other, 1.0, 7200).Faults(0, 7200).front().Frame, first);

    // A fade by hand, frames 2 s apart: slots 50 to 124 are lost, the
    // parallel byte counts them.
    o.Fade = TFade{100.0, 150.0};
    const TFlightModel faded(o, 2.0, 1000);
    EXPECT_EQ(faded.FadeFirstSlot(), 50);
    EXPECT_EQ(faded.FadeSlots(), 75);
    EXPECT_EQ(faded.Seconds(49), 98.0);
    EXPECT_EQ(faded.Seconds(50), 250.0);
    EXPECT_EQ(faded.FrameOfSlot(60), std::nullopt);
    EXPECT_EQ(faded.FrameOfSlot(125), 50);
    EXPECT_EQ(faded.FrameOfSlot(1075), std::nullopt); // beyond the 1,000 frames sent
    EXPECT_EQ(faded.Frame(50).ParallelByte, 125);
}
