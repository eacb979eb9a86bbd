#include "sounding/SoundingAnalysis.h"

#include "devices/KestrinLibrary.h"
#include "pipeline/PacketSounding.h"
#include "sounding/Thermodynamics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>

namespace {

constexpr double K = 273.15;
constexpr double Rd = 287.04;

// Any altitude that rises as the pressure falls will do for most tests.
double ScaleHeightAltitude(double p)
{
    return 8000.0 * std::log(1000.0 / p);
}

TDataPacket Packet(double p, double z, double T, std::optional<double> Td = std::nullopt)
{
    TDataPacket packet;
    packet.SetPressure(p);
    packet.SetAltitude(z);
    packet.SetTemperature(T);
    if (Td)
        packet.SetDewpoint(*Td);
    return packet;
}

// Standard atmosphere heights (m) and pressures (mbar) up to 11 km.
double StandardPressure(double z)
{
    return 1013.25 * std::pow(1.0 - 0.0065 * z / 288.15, 5.25588);
}

// A parcel saturated at 20 degC and 1000 mbar, and an environment built
// around it so that the parcel is 1 K colder from the ground to 800 mbar, 2 K
// warmer from there to 300 mbar and 2 K colder above: CIN = -Rd ln(1000/800),
// CAPE = Rd * 2 * ln(800/300). The environment's dew points run 15 K below
// the parcel, so its virtual temperature differs from its temperature.
TDataPacketList ConstantBuoyancySounding(bool virtualCorrection)
{
    TLiftedParcel parcel(1000.0, K + 20.0, K + 20.0);
    TDataPacketList packets{Packet(1000.0, 0.0, 20.0, 20.0)};
    auto add = [&](double p, double buoyancy) {
        const double Tp = parcel.Temperature(p);
        const double Td = Tp - 15.0;
        const double w = MixingRatio(SaturationVapourPressure(Td), p);
        const double Tenv = virtualCorrection ? (parcel.VirtualTemperature(p) - buoyancy) /
                                                    (VirtualTemperatureOfMixingRatio(1.0, w))
                                              : Tp - buoyancy;
        packets.push_back(Packet(p, ScaleHeightAltitude(p), Tenv - K, Td - K));
    };
    add(999.99, -1.0);
    for (double p = 990.0; p >= 800.0; p -= 10.0)
        add(p, -1.0);
    add(799.99, 2.0);
    for (double p = 790.0; p >= 300.0; p -= 10.0)
        add(p, 2.0);
    add(299.99, -2.0);
    for (double p = 290.0; p >= 200.0; p -= 10.0)
        add(p, -2.0);
    return packets;
}

} // namespace

TEST(SoundingAnalysis, CapeAndCinOfAConstantBuoyancyLayer)
{
    for (bool correction : {false, true}) {
        SCOPED_TRACE(correction ? "virtual temperature" : "temperature");
        TSoundingAnalysisOptions options;
        options.VirtualTemperatureCorrection = correction;
        const TSoundingAnalysis a = AnalyseSounding(ConstantBuoyancySounding(correction), options);
        ASSERT_TRUE(a.Lcl && a.Cape && a.Cin && a.Lfc && a.El);
        EXPECT_NEAR(a.Lcl->Pressure, 1000.0, 1e-9);
        EXPECT_NEAR(*a.LclAltitude, 0.0, 1e-9);
        EXPECT_NEAR(*a.Cape, Rd * 2.0 * std::log(800.0 / 300.0), 0.3); // 563.07 J/kg
        EXPECT_NEAR(*a.Cin, -Rd * std::log(1000.0 / 800.0), 0.1);      // -64.05 J/kg
        EXPECT_NEAR(a.Lfc->Pressure, 800.0, 0.02);
        EXPECT_NEAR(a.Lfc->Altitude, ScaleHeightAltitude(800.0), 1.0);
        EXPECT_NEAR(a.El->Pressure, 300.0, 0.02);
    }
}

TEST(SoundingAnalysis, CapeWaitsForTheSondeToPassTheCondensationLevel)
{
    // 30 degC over a 20 degC dew point condenses at 864.55 mbar; the
    // environment follows the parcel's dry adiabat 4 K warmer, and more above.
    TDataPacketList packets{Packet(1000.0, 0.0, 30.0, 20.0)};
    for (double p = 990.0; p >= 870.0; p -= 10.0)
        packets.push_back(
            Packet(p, ScaleHeightAltitude(p), DryAdiabatTemperature(K + 34.0, 1000.0, p) - K));
    TSoundingAnalysis a = AnalyseSounding(packets);
    ASSERT_TRUE(a.Lcl);
    EXPECT_NEAR(a.Lcl->Pressure, 864.55, 0.05);
    EXPECT_NEAR(a.Lcl->Temperature, 17.665, 0.005);
    EXPECT_FALSE(a.LclAltitude);
    EXPECT_FALSE(a.Cape);
    EXPECT_FALSE(a.Cin);
    ASSERT_FALSE(a.ParcelTrace.empty());

    packets.push_back(Packet(850.0, ScaleHeightAltitude(850.0), 25.0));
    a = AnalyseSounding(packets);
    ASSERT_TRUE(a.Cape && a.Cin && a.LclAltitude);
    EXPECT_NEAR(*a.LclAltitude, ScaleHeightAltitude(864.55), 1.0);
    EXPECT_EQ(*a.Cape, 0.0);
    EXPECT_EQ(*a.Cin, 0.0); // no free convection yet: nothing to inhibit
    EXPECT_FALSE(a.Lfc);
}

// Dry adiabat to the condensation level, moist above; the trace holds the
// condensation level itself and ends at the top asked for.
TEST(SoundingAnalysis, CurvesForTheDiagram)
{
    const auto trace = ParcelTracePoints(1000.0, 30.0, 20.0, 100.0, 10.0);
    ASSERT_EQ(trace.size(), 92u); // 1000, 990, ..., 100 and the condensation level
    EXPECT_EQ(trace.front().Temperature, 30.0);
    EXPECT_EQ(trace.back().Pressure, 100.0);
    EXPECT_NEAR(trace[14].Pressure, 864.55, 0.05);
    EXPECT_NEAR(trace[14].Temperature, 17.665, 0.005);
    EXPECT_NEAR(PotentialTemperature(trace[13].Temperature + K, 870.0), 303.15, 1e-9);
    EXPECT_NEAR(trace.back().Temperature, MoistAdiabatTemperature(K + 17.665, 864.55, 100.0) - K,
                0.05);
    EXPECT_TRUE(ParcelTracePoints(1000.0, std::nan(""), 20.0, 100.0).empty());
    EXPECT_LE(ParcelTracePoints(1000.0, 30.0, 20.0, 100.0, 1e-12).size(), 10000u);

    const auto standard = StandardAtmosphereCurve(100.0, 1050.0, 10.0);
    ASSERT_EQ(standard.size(), 96u);
    EXPECT_EQ(standard.front().Pressure, 1050.0);
    EXPECT_NEAR(standard.back().Temperature, -56.5, 1e-9);
    EXPECT_TRUE(StandardAtmosphereCurve(500.0, 100.0).empty());
}

// 10 g/kg from 1000 to 500 mbar: PW = 0.010 * 50000 Pa / 9.80665 = 50.99 mm.
TEST(SoundingAnalysis, PrecipitableWaterOfAConstantMixingRatioLayer)
{
    TDataPacketList packets;
    for (double p = 1000.0; p >= 500.0; p -= 25.0) {
        const double Td = VapourPressureToDewPoint(MixingRatioToVapourPressure(0.010, p)) - K;
        packets.push_back(Packet(p, ScaleHeightAltitude(p), Td + 5.0, Td));
        if (p == 750.0) // a level whose humidity failed: bridged, not counted as dry
            packets.push_back(Packet(p - 10.0, ScaleHeightAltitude(p - 10.0), Td));
    }
    const TSoundingAnalysis a = AnalyseSounding(packets);
    ASSERT_TRUE(a.PrecipitableWater);
    EXPECT_NEAR(*a.PrecipitableWater, 50.99, 0.05);
}

// T = 15 - 6.5 z/km reaches 0 degC at 2307.69 m.
TEST(SoundingAnalysis, FreezingLevel)
{
    TDataPacketList packets;
    for (double z = 0.0; z <= 5000.0; z += 100.0)
        packets.push_back(Packet(StandardPressure(z), z, 15.0 - 0.0065 * z));
    TSoundingAnalysis a = AnalyseSounding(packets);
    ASSERT_TRUE(a.FreezingLevel);
    EXPECT_NEAR(a.FreezingLevel->Altitude, 2307.69, 0.01);
    EXPECT_NEAR(a.FreezingLevel->Pressure, StandardPressure(2307.69), 0.05);
    EXPECT_EQ(a.FreezingLevel->Temperature, 0.0);

    // Still above freezing at the top: not yet; freezing at the ground: the ground.
    packets.resize(20);
    EXPECT_FALSE(AnalyseSounding(packets).FreezingLevel);
    a = AnalyseSounding({Packet(900.0, 1000.0, -3.0), Packet(850.0, 1400.0, -1.0)});
    ASSERT_TRUE(a.FreezingLevel);
    EXPECT_EQ(a.FreezingLevel->Pressure, 900.0);
}

// A troposphere of 6.5 K/km to 11.5 km under an isothermal stratosphere, with a
// strong ground inversion (stable, but below 500 mbar) and a thin isothermal
// layer at 8 km (stable, but not for 2 km) that must not be taken.
TEST(SoundingAnalysis, Tropopause)
{
    auto temperature = [](double z) {
        if (z <= 500.0)
            return 15.0 + 10.0 * z / 500.0;
        if (z <= 8000.0)
            return 25.0 - 6.5 * (z - 500.0) / 1000.0; // -23.75 at 8 km
        if (z <= 8500.0)
            return -23.75;
        return -23.75 - 6.5 * (std::min(z, 11500.0) - 8500.0) / 1000.0; // -43.25 above 11.5 km
    };
    TDataPacketList packets;
    for (double z = 0.0; z <= 16000.0; z += 250.0)
        packets.push_back(Packet(1000.0 * std::exp(-z / 7500.0), z, temperature(z)));
    const TSoundingAnalysis a = AnalyseSounding(packets);
    ASSERT_TRUE(a.Tropopause);
    EXPECT_NEAR(a.Tropopause->Altitude, 11500.0, 1e-6);
    EXPECT_NEAR(a.Tropopause->Pressure, 1000.0 * std::exp(-11500.0 / 7500.0), 1e-6);
    EXPECT_NEAR(a.Tropopause->Temperature, temperature(11500.0), 1e-9);

    // Known only once the data reach 2 km above it.
    TDataPacketList early(packets.begin(), packets.begin() + 1 + 13250 / 250);
    EXPECT_FALSE(AnalyseSounding(early).Tropopause);
    early.push_back(packets[1 + 13250 / 250]);
    EXPECT_TRUE(AnalyseSounding(early).Tropopause);
}

// Frames on the ground, a step backwards and the descent after the burst do
// not change the analysis of the ascent.
TEST(SoundingAnalysis, UsesTheAscentOnly)
{
    TDataPacketList ascent;
    for (double p = 1000.0; p >= 200.0; p -= 10.0) {
        const double T = 25.0 - 70.0 * std::log(1000.0 / p) / std::log(5.0);
        ascent.push_back(Packet(p, ScaleHeightAltitude(p), T, T - 3.0));
    }
    TDataPacketList messy{Packet(1000.0, 0.0, 25.0, 22.0), Packet(1000.1, -0.8, 25.0, 22.0)};
    for (const TDataPacket &packet : ascent) {
        messy.push_back(packet);
        if (packet.Pressure() == 600.0)
            messy.push_back(Packet(605.0, ScaleHeightAltitude(605.0), 0.0, -3.0));
    }
    for (double p = 210.0; p <= 900.0; p += 30.0)
        messy.push_back(Packet(p, ScaleHeightAltitude(p), 0.0, -3.0));

    const TSoundingAnalysis clean = AnalyseSounding(ascent);
    const TSoundingAnalysis a = AnalyseSounding(messy);
    ASSERT_EQ(a.Profile.size(), ascent.size());
    for (size_t i = 0; i < ascent.size(); ++i) {
        EXPECT_EQ(a.Profile[i].Pressure, ascent[i].Pressure());
    }
    ASSERT_TRUE(a.Cape && clean.Cape && a.PrecipitableWater && a.FreezingLevel);
    EXPECT_EQ(*a.Cape, *clean.Cape);
    EXPECT_EQ(*a.Cin, *clean.Cin);
    EXPECT_EQ(*a.PrecipitableWater, *clean.PrecipitableWater);
    EXPECT_EQ(a.FreezingLevel->Pressure, clean.FreezingLevel->Pressure);
}

TEST(SoundingAnalysis, WithoutHumidityOrData)
{
    TDataPacketList packets;
    for (double p = 1000.0; p >= 300.0; p -= 50.0)
        packets.push_back(Packet(p, ScaleHeightAltitude(p), 10.0 - 0.1 * (1000.0 - p)));
    // Humidity that only starts well above the ground is no surface parcel.
    packets.push_back(Packet(250.0, ScaleHeightAltitude(250.0), -70.0, -75.0));
    const TSoundingAnalysis a = AnalyseSounding(packets);
    EXPECT_EQ(a.Profile.size(), packets.size());
    EXPECT_FALSE(a.ParcelStart || a.Lcl || a.Cape || a.Cin || a.Lfc || a.El);
    EXPECT_TRUE(a.ParcelTrace.empty());
    EXPECT_FALSE(a.PrecipitableWater); // one level is no layer
    EXPECT_TRUE(a.FreezingLevel);

    // A parcel a few frames up, when the first frames had no humidity.
    packets.insert(packets.begin() + 1, Packet(990.0, ScaleHeightAltitude(990.0), 8.0, 5.0));
    const TSoundingAnalysis late = AnalyseSounding(packets);
    ASSERT_TRUE(late.ParcelStart);
    EXPECT_EQ(late.ParcelStart->Pressure, 990.0);

    const TSoundingAnalysis empty = AnalyseSounding({});
    EXPECT_TRUE(empty.Profile.empty());
    EXPECT_FALSE(empty.Lcl || empty.Cape || empty.PrecipitableWater || empty.FreezingLevel ||
                 empty.Tropopause);
}

// A garbled frame that decodes to a plausible but far too low pressure must
// not end the profile: its climb rate, and that of the frame after it, give
// them away.
TEST(SoundingAnalysis, AGarbledPressureDoesNotEndTheProfile)
{
    TKestrinResult frame;
    frame.ParseConfiguration("1MP:TPUNNNNN");
    TAltitudeBase base = TAltitudeBase::Start(100.0);
    TDataPacketList packets;
    for (int i = 0; i <= 600; ++i) { // 1 mbar a second, about 500 m/min
        frame.SetTime(46000.5 + i / 86400.0);
        frame.SetFrame(
            QStringLiteral("%1,%2,50").arg(15.0 - 0.01 * i).arg(i == 300 ? 12 : 1000 - i));
        packets.push_back(MakeDataPacket(frame, base));
        AdvanceBase(base, packets.back());
    }
    const TSoundingProfile profile = BuildSoundingProfile(packets);
    EXPECT_EQ(profile.size(), 599u);
    EXPECT_EQ(profile.back().Pressure, 400.0);
}

// An ascent with odd values strewn in: the analysis returns, its profile is
// ordered and finite, and its figures are finite with the right signs.
TEST(SoundingAnalysis, OddValues)
{
    const double odd[] = {std::nan(""), INFINITY, -INFINITY, 0.0,    -1.0,  -9999.0,
                          1e-300,       1e300,    -273.15,   -300.0, 5000.0};
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    // Pressure and altitude may go missing; spikes in them are another test.
    auto value = [&](double v, size_t kinds) {
        return uniform(random) < 0.05 ? odd[random() % kinds] : v;
    };
    for (int run = 0; run < 10; ++run) {
        TDataPacketList packets;
        for (int i = 0; i < 500; ++i) {
            TDataPacket packet;
            const double p = 1000.0 * std::exp(-i / 100.0) + uniform(random);
            const double T = 20.0 - 0.15 * i + 3.0 * uniform(random);
            packet.SetPressure(value(p, 6));
            packet.SetAltitude(value(ScaleHeightAltitude(p), 6));
            if (uniform(random) < 0.95)
                packet.SetTemperature(value(T, std::size(odd)));
            if (uniform(random) < 0.7)
                packet.SetDewpoint(value(T - 10.0 * uniform(random), std::size(odd)));
            packets.push_back(packet);
        }
        const TSoundingAnalysis a = AnalyseSounding(packets);
        ASSERT_GT(a.Profile.size(), 100u);
        for (size_t i = 1; i < a.Profile.size(); ++i) {
            EXPECT_LT(a.Profile[i].Pressure, a.Profile[i - 1].Pressure);
            EXPECT_TRUE(std::isfinite(a.Profile[i].Temperature + a.Profile[i].Dewpoint));
        }
        ASSERT_TRUE(a.Cape && a.Cin && a.PrecipitableWater);
        EXPECT_TRUE(*a.Cape >= 0.0 && *a.Cin <= 0.0 && *a.PrecipitableWater >= 0.0);
        EXPECT_TRUE(std::isfinite(*a.Cape + *a.Cin + *a.PrecipitableWater));
    }
}
