#include "pipeline/DataPacket.h"

#include "devices/KestrinLibrary.h"
#include "foundation/CustomUtilities.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double T0 = 46000.5;
constexpr double Minute = 1.0 / 1440.0;

TKestrinResult Frame(const QString &configuration, const QString &text, double time)
{
    TKestrinResult r;
    r.ParseConfiguration(configuration);
    r.SetTime(time);
    r.SetFrame(text);
    return r;
}

TKestrinResult TP(const QString &text, double time)
{
    return Frame("1MP:TPNNNNNN", text, time);
}
TKestrinResult TPU(const QString &text, double time)
{
    return Frame("1MP:TPUNNNNN", text, time);
}

// Frames through the derivation, as the graph thread runs them.
struct TFlight
{
    TAltitudeBase Base;
    explicit TFlight(double launchElevation) : Base(TAltitudeBase::Start(launchElevation)) {}
    TDataPacket Add(const TKestrinResult &frame)
    {
        const TDataPacket p = MakeDataPacket(frame, Base);
        AdvanceBase(Base, p);
        return p;
    }
};

} // namespace

TEST(DataPacket, AltitudeRiseRateAndDewPoint)
{
    TFlight flight(100.0);
    const TDataPacket first = flight.Add(TP("15,1000", T0));
    EXPECT_NEAR(first.Altitude(), 100.0, 1e-12);
    EXPECT_NEAR(first.RiseRate(), 0.0, 0.0);
    EXPECT_NEAR(flight.Base.BasePressure, 1000.0, 1e-12);

    // Dry: Tv = 288.15 K; 100 + 29.3 * 288.15 * ln(1000/990) = 184.853 m, in one minute.
    const TDataPacket second = flight.Add(TP("15,990", T0 + Minute));
    EXPECT_NEAR(second.Altitude(), 184.853, 1e-3);
    EXPECT_NEAR(second.RiseRate(), 84.853, 1e-3);

    // A frame without pressure gets a dew point but no altitude, and leaves the base.
    const TDataPacket lost = flight.Add(TPU("15,0,80", T0 + 2 * Minute));
    EXPECT_FALSE(lost.HasAltitude() || lost.HasPressure());
    EXPECT_TRUE(lost.HasDewpoint() && lost.HasError());
    EXPECT_NEAR(flight.Base.BaseTime, T0 + Minute, 1e-12);

    // Moist: E = exp(5423 (1/273 - 1/288.15)) = 2.84172, e = 8.68146 mbar,
    // Tv = 288.15 / (1 - 0.378 e / 980) = 289.118 K; over two minutes.
    // Dew point: a = 0.445192, L = 0.144162, Td = 4.6585 degC.
    const TDataPacket third = flight.Add(TPU("15,980,50", T0 + 3 * Minute));
    const double climb = 29.3 * 289.118 * std::log(990.0 / 980.0);
    EXPECT_NEAR(third.Altitude(), 184.853 + climb, 1e-2);
    EXPECT_NEAR(third.RiseRate(), climb / 2, 1e-2);
    EXPECT_NEAR(third.Dewpoint(), 4.6585, 1e-3);
    EXPECT_NEAR(MakeDataPacket(TPU("20,1000,100", T0), flight.Base).Dewpoint(), 20.0, 1e-9);
}

TEST(DataPacket, SameTimeStampGivesInfiniteRiseRate)
{
    TFlight up(0.0), down(0.0), level(0.0);
    up.Add(TP("15,1000", T0));
    down.Add(TP("15,990", T0));
    level.Add(TP("15,1000", T0));
    const double rising = up.Add(TP("15,990", T0)).RiseRate();
    const double falling = down.Add(TP("15,1000", T0)).RiseRate();
    EXPECT_TRUE(std::isinf(rising) && rising > 0);
    EXPECT_TRUE(std::isinf(falling) && falling < 0);
    EXPECT_TRUE(std::isinf(level.Add(TP("15,1000", T0)).RiseRate()));
    EXPECT_EQ(FormatFixed(rising, 1), "INF");
    EXPECT_EQ(FormatFixed(MetersToFeet(falling), 0), "-INF");
}

TEST(DataPacket, NoDerivedValueFromImpossibleInput)
{
    // Dry air passes the range check, but the dew point would take log(0).
    const TDataPacket dry = MakeDataPacket(TPU("20,1000,0", T0), TAltitudeBase::Start(0));
    EXPECT_TRUE(dry.HasHumidity());
    EXPECT_FALSE(dry.HasDewpoint());
    EXPECT_FALSE(dry.HasError());

    // -280 degC (a broken sensor; temperatures are not range checked) in dry
    // air makes the virtual temperature not a number: no altitude, and the
    // base stays for the next good frame.
    TFlight flight(100.0);
    flight.Add(TPU("15,1000,50", T0));
    const TDataPacket broken = flight.Add(TPU("-280,990,0", T0 + Minute));
    EXPECT_FALSE(broken.HasAltitude() || broken.HasDewpoint());
    EXPECT_NEAR(flight.Add(TP("15,990", T0 + 2 * Minute)).Altitude(), 184.853, 1e-3);

    // The dew point formula divides by zero at -237.7 degC.
    EXPECT_FALSE(MakeDataPacket(TPU("-237.7,990,50", T0), flight.Base).HasDewpoint());
}

TEST(DataPacket, CopiesTheFrame)
{
    LocaleGuard guard("de_DE.UTF-8");
    const TDataPacket p = MakeDataPacket(Frame("1MP:TPUVNNNF", "-5.5,850,120,2500,1680", T0 + 0.25),
                                         TAltitudeBase::Start(0));
    EXPECT_NEAR(p.Time(), T0 + 0.25, 0.0);
    EXPECT_EQ(p.TimeText(), "18:00:00");
    EXPECT_TRUE(p.HasError()); // humidity over the limit
    EXPECT_NEAR(p.Value(1), -5.5, 0.0);
    EXPECT_TRUE(IsNoValue(p.Value(3)) && IsNoValue(p.Value(5)));
    EXPECT_NEAR(p.Value(4), 2.5, 1e-12);
    EXPECT_TRUE(p.HasTemperature() && p.HasPressure() && p.HasAltitude());
    EXPECT_FALSE(p.HasHumidity() || p.HasDewpoint());
}
