#include "sounding/Thermodynamics.h"

#include "graphs/SkewTGraph.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
constexpr double K = 273.15;
} // namespace

// Reference values over water from the CRC Handbook (0.61121, 2.3393 and
// 4.2470 kPa); Bolton's fit is good to 0.1 % in this range, 0.2 % allowed.
TEST(Thermodynamics, SaturationVapourPressureAndItsInverse)
{
    EXPECT_NEAR(SaturationVapourPressure(K + 0.0), 6.1121, 6.1121 * 0.002);
    EXPECT_NEAR(SaturationVapourPressure(K + 20.0), 23.393, 23.393 * 0.002);
    EXPECT_NEAR(SaturationVapourPressure(K + 30.0), 42.470, 42.470 * 0.002);
    for (double t : {-60.0, -20.0, 0.0, 25.0, 40.0})
        EXPECT_NEAR(VapourPressureToDewPoint(SaturationVapourPressure(K + t)), K + t, 1e-9);
    // 10 g/kg at 1000 mbar: e = 1000 * 0.01 / (0.62197 + 0.01) = 15.823 mbar.
    EXPECT_NEAR(MixingRatioToVapourPressure(0.01, 1000.0), 15.823, 1e-3);
    EXPECT_NEAR(MixingRatio(15.823, 1000.0), 0.01, 1e-6);
    EXPECT_TRUE(std::isnan(MixingRatio(1000.0, 1000.0)));
    EXPECT_TRUE(std::isnan(VapourPressureToDewPoint(0.0)));
}

// Worked by hand with Bolton's formula: TL = 1 / (1/(293.15 - 56) +
// ln(303.15/293.15)/800) + 56 = 290.815 K; pL = 1000 (290.815/303.15)^(1/0.28541)
// = 864.55 mbar. The air saturates there: its saturation mixing ratio equals
// the mixing ratio it started with.
TEST(Thermodynamics, LiftedCondensationLevel)
{
    const auto lcl = LiftedCondensationLevel(1000.0, K + 30.0, K + 20.0);
    ASSERT_TRUE(lcl);
    EXPECT_NEAR(lcl->Pressure, 864.55, 0.05);
    EXPECT_NEAR(lcl->Temperature - K, 17.665, 0.005);
    const double start = SaturationMixingRatio(K + 20.0, 1000.0);
    EXPECT_NEAR(SaturationMixingRatio(lcl->Temperature, lcl->Pressure), start, start * 0.005);

    // Saturated air, and air reported above saturation, condense where they are.
    for (double td : {25.0, 26.0}) {
        const auto saturated = LiftedCondensationLevel(950.0, K + 25.0, K + td);
        ASSERT_TRUE(saturated);
        EXPECT_NEAR(saturated->Pressure, 950.0, 1e-9);
        EXPECT_NEAR(saturated->Temperature, K + 25.0, 1e-9);
    }
    EXPECT_FALSE(LiftedCondensationLevel(0.0, K + 20.0, K + 10.0));
    EXPECT_FALSE(LiftedCondensationLevel(1000.0, std::nan(""), K + 10.0));
    EXPECT_FALSE(LiftedCondensationLevel(1000.0, K + 20.0, -INFINITY));
}

// Hand-worked for 20 degC at 1000 mbar: rs = 0.014885, Gm = 9.80665 * 1.44242 /
// 3353.3 = 4.218 K/km. In cold thin air the moist rate approaches the dry one.
TEST(Thermodynamics, LapseRates)
{
    EXPECT_NEAR(DryAdiabaticLapseRate(), 9.751, 0.001);
    EXPECT_NEAR(MoistAdiabaticLapseRate(K + 20.0, 1000.0), 4.218, 0.005);
    const double cold = MoistAdiabaticLapseRate(K - 60.0, 200.0);
    EXPECT_LT(cold, DryAdiabaticLapseRate());
    EXPECT_GT(cold, 0.97 * DryAdiabaticLapseRate());
    // 303.15 * 0.5^(287.04 / 1005.7) = 303.15 * 0.820512
    EXPECT_NEAR(DryAdiabatTemperature(K + 30.0, 1000.0, 500.0), 248.737, 0.001);
}

// The pseudo-adiabat conserves equivalent potential temperature; Bolton's
// formula for it is independent of the integration. Saturated at 20 degC and
// 1000 mbar (r = 14.88 g/kg): 293.15 exp((3.376/293.15 - 0.00254) * 14.88 *
// 1.01205) = 335.59 K. The integration keeps it within 1 K to 150 mbar.
TEST(Thermodynamics, MoistAdiabatConservesEquivalentPotentialTemperature)
{
    const double thetaE = EquivalentPotentialTemperature(K + 20.0, K + 20.0, 1000.0);
    EXPECT_NEAR(thetaE, 335.59, 0.02);
    for (double p = 950.0; p >= 150.0; p -= 50.0) {
        const double T = MoistAdiabatTemperature(K + 20.0, 1000.0, p);
        EXPECT_NEAR(EquivalentPotentialTemperature(T, T, p), thetaE, 1.0) << p;
    }
    // Lowering is the reverse of lifting.
    const double up = MoistAdiabatTemperature(K + 20.0, 1000.0, 300.0);
    EXPECT_NEAR(MoistAdiabatTemperature(up, 300.0, 1000.0), K + 20.0, 1e-3);
    EXPECT_TRUE(std::isnan(MoistAdiabatTemperature(K + 20.0, 1000.0, 0.0)));
}

// The parcel trace is drawn over the diagram's own adiabats. The diagram's
// moist adiabats are integrated in coarse pressure steps and run warm aloft;
// the two agree within a quarter kelvin below 500 mbar and 1.5 K up to 150.
TEST(Thermodynamics, AgreesWithTheDiagramsAdiabats)
{
    TSkewTGraph graph;
    graph.CalculateDryAdiabats();
    graph.CalculateMoistAdiabats();
    const TDataPointList &moist = graph.MoistAdiabats().at(5); // starts at 293 K, 1000 mbar
    ASSERT_NEAR(moist.front().X, 19.85, 1e-9);
    for (const TDataPoint &point : moist) {
        const double mine = MoistAdiabatTemperature(293.0, 1000.0, point.Y) - K;
        EXPECT_NEAR(mine, point.X, point.Y >= 500.0 ? 0.25 : 1.5) << point.Y;
    }
    for (const TDataPointList &dry : graph.DryAdiabats()) {
        const double theta = dry.at(18).X + K; // the point at 1000 mbar
        ASSERT_EQ(dry.at(18).Y, 1000.0);
        for (const TDataPoint &point : dry)
            EXPECT_NEAR(DryAdiabatTemperature(theta, 1000.0, point.Y) - K, point.X, 0.3);
    }
}

TEST(Thermodynamics, StandardAtmosphere)
{
    EXPECT_NEAR(StandardAtmosphereTemperature(1013.25), 288.15, 1e-9);
    EXPECT_NEAR(StandardAtmosphereTemperature(500.0), 251.92, 0.01);
    EXPECT_NEAR(StandardAtmosphereTemperature(226.32), 216.65, 0.01);
    EXPECT_NEAR(StandardAtmosphereTemperature(100.0), 216.65, 1e-9);
    EXPECT_NEAR(StandardAtmosphereTemperature(54.7489), 216.65, 0.01);
    EXPECT_NEAR(StandardAtmosphereTemperature(8.68019), 228.65, 0.01);
    EXPECT_NEAR(StandardAtmosphereTemperature(1.10906), 270.65, 0.01);
    EXPECT_GT(StandardAtmosphereTemperature(1050.0), 288.15); // below sea level
    EXPECT_TRUE(std::isnan(StandardAtmosphereTemperature(0.0)));
    EXPECT_TRUE(std::isnan(StandardAtmosphereTemperature(std::nan(""))));
}
