#include "sounding/SoundingProducts.h"

#include "foundation/Errors.h"
#include "foundation/LocalUtilities.h"
#include "pipeline/PacketSounding.h"
#include "sounding/SoundingProductFiles.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace {

// A packet as MakeDataPacket makes it: the dew point from T and RH.
TDataPacket Level(double p, double z, double T, std::optional<double> RH = std::nullopt,
                  double time = 46000.5)
{
    TDataPacket packet;
    packet.SetPressure(p);
    packet.SetAltitude(z);
    packet.SetTemperature(T);
    packet.SetTime(time);
    if (RH) {
        packet.SetHumidity(*RH);
        packet.SetDewpoint(DewPoint(T, *RH));
    }
    return packet;
}

const TProductLevel &StandardAt(const TSoundingProducts &products, double p)
{
    const TProductLevel *level = products.StandardLevel(p);
    EXPECT_TRUE(level) << p;
    static const TProductLevel none;
    return level ? *level : none;
}

// Indices at 850, 700 and 500 hPa from dry parcels, whose condensation
// levels lie above 500 hPa, so that the parcels follow dry adiabats there:
// from (1000 hPa, 30 degC, 2 %RH) to -24.413 degC, from (850 hPa, 15 degC,
// 2 %RH) to -25.496 degC. Dew points: 15 degC at 2 %RH gives -34.045 degC,
// 5 degC at 50 %RH gives -4.555 degC.
TDataPacketList IndexSounding()
{
    return {Level(1000.0, 100.0, 30.0, 2.0), Level(850.0, 1500.0, 15.0, 2.0),
            Level(700.0, 3000.0, 5.0, 50.0), Level(500.0, 5600.0, -20.0, 30.0),
            Level(400.0, 7200.0, -30.0)};
}

} // namespace

// The profile ends at 450 hPa; 850 and 700 are enclosed by a level without
// humidity; 700 is a level of its own.
TEST(SoundingProducts, StandardSurfacesInterpolateInLogPressure)
{
    const TSoundingProducts products = ComputeSoundingProducts(TDataPacketList{
        Level(1010.0, 50.0, 20.0, 60.0, 46000.50), Level(900.0, 1000.0, 12.0, 70.0),
        Level(800.0, 2000.0, 5.0), Level(700.0, 3000.0, -1.0, 50.0),
        Level(600.0, 4200.0, -8.0, 40.0), Level(450.0, 6400.0, -25.0, 30.0, 46000.52)});
    ASSERT_EQ(products.Standard.size(), 5u); // 1000, 925, 850, 700, 500
    EXPECT_FALSE(products.StandardLevel(400.0));

    const TProductLevel &p1000 = StandardAt(products, 1000.0);
    EXPECT_NEAR(*p1000.Height, 131.977, 0.001);
    EXPECT_NEAR(*p1000.Temperature, 19.3097, 0.0001);
    EXPECT_NEAR(*p1000.Humidity, 60.8629, 0.0001);
    EXPECT_NEAR(*p1000.Dewpoint, 11.5605, 0.0001);
    EXPECT_FALSE(p1000.BelowGround);

    const TProductLevel &p850 = StandardAt(products, 850.0);
    EXPECT_NEAR(*p850.Height, 1485.286, 0.001);
    EXPECT_NEAR(*p850.Temperature, 8.6030, 0.0001);
    EXPECT_FALSE(p850.Humidity);
    EXPECT_FALSE(p850.Dewpoint);

    const TProductLevel &p700 = StandardAt(products, 700.0);
    EXPECT_EQ(*p700.Height, 3000.0);
    EXPECT_EQ(*p700.Temperature, -1.0);
    EXPECT_EQ(*p700.Humidity, 50.0);
    EXPECT_NEAR(*p700.Dewpoint, -10.0969, 0.0001);

    const TProductLevel &p500 = StandardAt(products, 500.0);
    EXPECT_NEAR(*p500.Height, 5594.273, 0.001);
    EXPECT_NEAR(*p500.Temperature, -18.7739, 0.0001);
    EXPECT_NEAR(*p500.Dewpoint, -30.7888, 0.0001);
    EXPECT_NEAR(p500.Time, 46000.50 + 0.02 * 0.6337606, 1e-9);
    EXPECT_FALSE(products.Passed100hPa());
}

// A station at 950 hPa: 1000 hPa lies 434.6 m below the ground, extrapolated
// with the surface's virtual temperature (15 degC, 50 %RH: 289.149 K). The
// ascent ends at 600 hPa, short of 500: no stability index.
TEST(SoundingProducts, HighStationAndShortAscent)
{
    const TSoundingProducts products = ComputeSoundingProducts(
        TDataPacketList{Level(950.0, 540.0, 15.0, 50.0), Level(800.0, 2000.0, 5.0, 50.0),
                        Level(600.0, 4300.0, -10.0, 50.0)});
    ASSERT_EQ(products.Standard.size(), 4u); // 1000, 925, 850, 700
    const TProductLevel &p1000 = products.Standard.front();
    EXPECT_EQ(p1000.Pressure, 1000.0);
    EXPECT_TRUE(p1000.BelowGround);
    EXPECT_NEAR(*p1000.Height, 105.440, 0.001);
    EXPECT_FALSE(p1000.Temperature || p1000.Dewpoint || p1000.Humidity);
    EXPECT_FALSE(products.Standard[1].BelowGround);
    EXPECT_FALSE(products.LiftedIndex || products.ShowalterIndex || products.KIndex ||
                 products.TotalTotals);
    EXPECT_EQ(products.Surface->Pressure, 950.0);
    EXPECT_EQ(products.Highest->Pressure, 600.0);
}

TEST(SoundingProducts, StabilityIndices)
{
    const TSoundingProducts products = ComputeSoundingProducts(IndexSounding());
    ASSERT_TRUE(products.LiftedIndex && products.ShowalterIndex && products.KIndex &&
                products.TotalTotals);
    EXPECT_NEAR(*products.LiftedIndex, -20.0 + 24.4134, 0.005);
    EXPECT_NEAR(*products.ShowalterIndex, -20.0 + 25.4959, 0.005);
    // (15 + 20) - 34.045 - (5 + 4.555)
    EXPECT_NEAR(*products.KIndex, -8.5997, 0.0005);
    // 15 - 34.045 + 40
    EXPECT_NEAR(*products.TotalTotals, 20.9549, 0.0005);

    // Without humidity at 700 hPa only the K index is lost.
    TDataPacketList packets = IndexSounding();
    packets[2] = Level(700.0, 3000.0, 5.0);
    const TSoundingProducts dry = ComputeSoundingProducts(packets);
    EXPECT_FALSE(dry.KIndex);
    EXPECT_TRUE(dry.LiftedIndex && dry.ShowalterIndex && dry.TotalTotals);
}

// Break points joined by straight lines in ln(p), and noise well below the
// tolerances on every level: the significant levels are the break points and
// nothing else, and lines between them stay within the tolerance of every
// observed level.
TEST(SoundingProducts, SignificantLevelsFindTheBreakPoints)
{
    struct TBreak
    {
        double Pressure, Temperature, Humidity;
    };
    const std::vector<TBreak> breaks{{1000.0, 20.0, 90.0}, {850.0, 10.0, 85.0},
                                     {800.0, 12.0, 30.0},  {500.0, -20.0, 35.0},
                                     {250.0, -52.0, 10.0}, {100.0, -60.0, 5.0}};
    auto along = [&](double p, auto value) {
        size_t k = 1;
        while (breaks[k].Pressure > p)
            ++k;
        const TBreak &a = breaks[k - 1];
        const TBreak &b = breaks[k];
        const double f = std::log(a.Pressure / p) / std::log(a.Pressure / b.Pressure);
        return value(a) + (value(b) - value(a)) * f;
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.3, 0.3);
    TDataPacketList packets;
    for (int i = 0; i <= 900; ++i) {
        const double p = 1000.0 - i;
        const double T = along(p, [](const TBreak &b) { return b.Temperature; }) + noise(random);
        const double RH = along(p, [](const TBreak &b) { return b.Humidity; }) + 10 * noise(random);
        packets.push_back(Level(p, 8000.0 * std::log(1000.0 / p), T, RH));
    }
    const TSoundingProducts products = ComputeSoundingProducts(packets);

    std::vector<double> temperature, humidity;
    for (const TProductLevel &level : products.Significant) {
        if (level.SignificantTemperature)
            temperature.push_back(level.Pressure);
        if (level.SignificantHumidity)
            humidity.push_back(level.Pressure);
    }
    ASSERT_EQ(temperature.size(), breaks.size());
    ASSERT_EQ(humidity.size(), breaks.size());
    for (size_t k = 0; k < breaks.size(); ++k) {
        // Within 3 % of the pressure: noise moves a blunt break a little.
        EXPECT_NEAR(std::log(temperature[k] / breaks[k].Pressure), 0.0, 0.03) << k;
        EXPECT_NEAR(std::log(humidity[k] / breaks[k].Pressure), 0.0, 0.03) << k;
    }
    EXPECT_EQ(products.Significant.front().Pressure, 1000.0);
    EXPECT_EQ(products.Significant.back().Pressure, 100.0);

    // The criterion itself, on the reported levels, above 300 hPa with 2 K.
    const TSoundingProfile &profile = products.Analysis.Profile;
    std::vector<double> logP, values, tolerances;
    for (const TSoundingLevel &level : profile) {
        logP.push_back(std::log(level.Pressure));
        values.push_back(level.Temperature);
        tolerances.push_back(level.Pressure < 300.0 ? 2.0 : 1.0);
    }
    const std::vector<size_t> kept = SignificantPoints(logP, values, tolerances);
    ASSERT_EQ(kept.size(), temperature.size());
    for (size_t k = 0; k + 1 < kept.size(); ++k)
        for (size_t i = kept[k]; i <= kept[k + 1]; ++i) {
            const double f = (logP[kept[k]] - logP[i]) / (logP[kept[k]] - logP[kept[k + 1]]);
            const double line = values[kept[k]] + (values[kept[k + 1]] - values[kept[k]]) * f;
            EXPECT_LE(std::fabs(values[i] - line), tolerances[i]) << i;
        }
}

TEST(SoundingProducts, LevelsTableAndSummary)
{
    LocaleGuard locale("de_DE.UTF-8");
    TDataPacketList packets = IndexSounding();
    packets.insert(packets.begin(), Level(1013.25, 0.0, 31.04, 2.0));
    const TSoundingProducts products = ComputeSoundingProducts(packets);
    const QList<QByteArray> rows = FormatLevelsCsv(products).split('\n');
    ASSERT_GE(rows.size(), 9);
    EXPECT_EQ(rows[0], "kind,pressure_hPa,height_m,temperature_C,dewpoint_C,"
                       "relative_humidity_pct\r");
    EXPECT_EQ(rows[1], "surface,1013.3,0,31.0,-23.8,2.0\r");
    EXPECT_EQ(rows[2], "standard,1000.0,100,30.0,-24.4,2.0\r");
    EXPECT_EQ(rows[3], "standard,925.0,772,22.8,-29.0,2.0\r");
    EXPECT_EQ(rows[6], "standard,500.0,5600,-20.0,-33.1,30.0\r");
    EXPECT_EQ(rows[7], "standard,400.0,7200,-30.0,,\r");
    EXPECT_TRUE(rows[8].startsWith("significant,1013.3,0,31.0,"));
    EXPECT_TRUE(rows.last().isEmpty());

    const QString summary = QString::fromUtf8(FormatSoundingSummary(products, {}));
    EXPECT_TRUE(
        summary.startsWith(QStringLiteral("{\n  \"station\": null,\n  \"latitude\": null,")));
    EXPECT_TRUE(summary.contains(QStringLiteral("\"surface\": {\"pressure_hPa\": 1013.3, "
                                                "\"height_m\": 0, \"temperature_C\": 31.0, ")));
    EXPECT_TRUE(summary.contains(QStringLiteral("\"highest_pressure_hPa\": 400.0,")));
    EXPECT_TRUE(summary.contains(QStringLiteral("\"tropopause_hPa\": null,")));
    EXPECT_TRUE(summary.endsWith(QStringLiteral(
        "\"total_totals\": 21.0,\n  \"screened\": {\"pressure\": 0, \"temperature\": 0, "
        "\"humidity\": 0, \"humidity_capped\": 0},\n  \"gaps\": []\n}\n")))
        << summary.toStdString();

    TStationIdentity station{QStringLiteral("03808"), 50.2, -5.3};
    const QString identified = QString::fromUtf8(FormatSoundingSummary(products, station));
    EXPECT_TRUE(identified.contains(
        QStringLiteral("\"station\": \"03808\",\n  \"latitude\": 50.2,\n  \"longitude\": -5.3,")));

    EXPECT_THROW(FormatLevelsCsv(ComputeSoundingProducts(TDataPacketList{})), EVentrelError);
}
