// The TEMP and BUFR reports: each coding rule with the examples of the WMO
// manual's kind, a whole TEMP checked by hand, and the BUFR message decoded
// again with ecCodes.
#include "sounding/SoundingBufr.h"
#include "sounding/SoundingExport.h"
#include "sounding/TempReport.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "pipeline/PacketSounding.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>
#include <eccodes.h>
#include <gtest/gtest.h>

namespace {

// 7 December 2026, 11:40 UTC, in local time as frames carry it.
const double Launch =
    DateTimeToDays(QDateTime(QDate(2026, 12, 7), QTime(11, 40), Qt::UTC).toLocalTime());

TDataPacket Level(double p, double z, double T, std::optional<double> RH, double minutes)
{
    TDataPacket packet;
    packet.SetPressure(p);
    packet.SetAltitude(z);
    packet.SetTemperature(T);
    packet.SetTime(Launch + minutes / 1440.0);
    if (RH) {
        packet.SetHumidity(*RH);
        packet.SetDewpoint(DewPoint(T, *RH));
    }
    return packet;
}

// A short ascent from a station at 995 hPa with levels exactly at 850, 500,
// 250, 100 and 50 hPa, an inversion at 900 hPa and the tropopause at
// 250 hPa; no humidity above 250 hPa. Dew-point depressions (Magnus): 5.64 K
// at 20 degC and 70 %RH, 5.73 at 22 and 70, 7.41 at 10 and 60, 10.09 at -20
// and 40, 11.57 at -60 and 20.
TDataPacketList ShortSounding()
{
    return {Level(995.0, 120.0, 20.0, 70.0, 0.0),           Level(900.0, 960.0, 22.0, 70.0, 3.0),
            Level(850.0, 1420.0, 10.0, 60.0, 4.0),          Level(500.0, 5560.0, -20.0, 40.0, 18.0),
            Level(250.0, 10400.0, -60.0, 20.0, 35.0),       Level(100.0, 16000.0, -60.0, {}, 53.0),
            Level(50.0, 20500.0, -55.0, std::nullopt, 68.0)};
}

} // namespace

TEST(TempReport, CodingRules)
{
    EXPECT_EQ(TempPressure(1005.0), "005");
    EXPECT_EQ(TempPressure(987.0), "987");
    EXPECT_EQ(TempPressure(999.5), "000");
    EXPECT_EQ(TempPressureTenths(85.3), "853");
    EXPECT_EQ(TempPressureTenths(9.8), "098");
    EXPECT_EQ(TempPressureTenths(85.35), "854");

    const struct
    {
        double Pressure, Height;
        const char *Code;
    } heights[] = {{850.0, 1457.0, "457"},  {700.0, 3012.0, "012"}, {500.0, 5580.0, "558"},
                   {250.0, 10360.0, "036"}, {10.0, 31040.0, "104"}, {1000.0, -40.0, "540"},
                   {1000.0, 111.4, "111"}};
    for (const auto &h : heights)
        EXPECT_EQ(TempHeight(h.Pressure, h.Height), h.Code) << h.Pressure << " " << h.Height;

    const struct
    {
        double T;
        const char *Code;
    } temperatures[] = {{15.3, "154"}, {-5.6, "057"}, {-52.9, "529"}, {0.0, "000"},
                        {15.2, "152"}, {-5.7, "057"}, {-0.04, "001"}};
    for (const auto &t : temperatures)
        EXPECT_EQ(TempTemperature(t.T), t.Code) << t.T;

    const struct
    {
        double T;
        std::optional<double> Td;
        const char *Code;
    } depressions[] = {{10.0, 10.0, "00"},  {10.0, 12.0, "00"},  {10.0, 6.7, "33"},
                       {10.0, 5.0, "50"},   {10.0, 4.8, "50"},   {10.0, 4.4, "56"},
                       {10.0, -39.0, "99"}, {10.0, -39.6, "//"}, {10.0, std::nullopt, "//"}};
    for (const auto &d : depressions)
        EXPECT_EQ(TempDewpointDepression(d.T, d.Td), d.Code) << d.T << " " << d.Td.value_or(-999);

    TProductLevel level;
    level.Temperature = -5.6;
    level.Dewpoint = -8.0;
    EXPECT_EQ(TempTemperatureGroup(level), "05724");
    level.BelowGround = true;
    EXPECT_EQ(TempTemperatureGroup(level), "/////");
    level = TProductLevel{};
    EXPECT_EQ(TempTemperatureGroup(level), "/////");
}

// Worked by hand from ShortSounding: the launch at 11:40 UTC on the 7th
// rounds to 12 UTC. 1000 hPa lies 43 m below the ground (76.67 m); 925 hPa
// is interpolated between the ground and 900 hPa (730.6 m, 21.45 degC, 5.71 K
// depression: "216", "56"); 700 hPa at 2934.8 m, -0.98 degC ("011"), 8.44 K;
// 400 hPa at 7118 m, -32.88 degC, 10.58 K; 200 and 150 hPa at 11764 and
// 13522 m, between a level with humidity and one without; 70 hPa at
// 18316 m, -57.43 degC ("575").
TEST(TempReport, WholeMessage)
{
    const TSoundingProducts products = ComputeSoundingProducts(ShortSounding());
    ASSERT_TRUE(products.Tropopause);
    ASSERT_EQ(products.Tropopause->Pressure, 250.0);
    const QString report =
        QString::fromLatin1(FormatTempReport(products, {QStringLiteral("03808"), {}, {}}));
    const QStringList parts = report.split(QStringLiteral("\r\n\r\n"));
    ASSERT_EQ(parts.size(), 4) << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("=\r\n")));

    EXPECT_EQ(parts[0], QStringLiteral("TTAA 0712/ 03808 99995 20056 ///// 00077 ///// 92731 21656 "
                                       "85420 10057 70935 01158 50556 20160 40712 32961 30913 ") +
                            TempTemperatureGroup(*products.StandardLevel(300.0)) +
                            QStringLiteral(" 25040 60162 20176 601// 15352 601// 10600 601// "
                                           "88250 60162 ///// 77999="));
    // The ground, the inversion and its top, the tropopause and 100 hPa.
    EXPECT_EQ(parts[1], QStringLiteral("TTBB 0712/ 03808 00995 20056 11900 22056 22850 10057 "
                                       "33250 60162 44100 601//="));
    EXPECT_EQ(parts[2], QStringLiteral("TTCC 0712/ 03808 70832 575// 50050 551// 88999 77999="));
    EXPECT_EQ(parts[3], QStringLiteral("TTDD 0712/ 03808 11500 551//=\r\n"));

    // Below 100 hPa there are no parts C and D; without a number, no report.
    TDataPacketList low = ShortSounding();
    low.pop_back();
    EXPECT_EQ(QString::fromLatin1(
                  FormatTempReport(ComputeSoundingProducts(low), {QStringLiteral("03808"), {}, {}}))
                  .count(QStringLiteral("\r\n\r\n")),
              1);
    EXPECT_THROW(FormatTempReport(products, {}), EVentrelError);
}

// The message decoded with ecCodes holds the station, the launch time and
// every level the program computed, within BUFR's precision.
TEST(BufrReport, DecodesToTheComputedLevels)
{
    const TSoundingProducts products = ComputeSoundingProducts(ShortSounding());
    const std::vector<TBufrLevel> levels = BufrLevels(products);
    // Seven observed levels and the standard surfaces 1000 (below the
    // ground), 925, 700, 400, 300, 200, 150 and 70 hPa; 850, 500, 250, 100
    // and 50 hPa were observed.
    ASSERT_EQ(levels.size(), 15u);
    EXPECT_EQ(levels[0].Pressure, 100000.0);
    EXPECT_EQ(levels[0].Flags, uint32_t(bfStandard));
    EXPECT_FALSE(levels[0].TimeSinceLaunch);
    EXPECT_EQ(levels[1].Flags,
              uint32_t(bfSurface | bfSignificantTemperature | bfSignificantHumidity));
    EXPECT_EQ(*levels[1].TimeSinceLaunch, 0.0);
    EXPECT_EQ(levels[9].Flags, uint32_t(bfStandard | bfTropopause | bfSignificantTemperature |
                                        bfSignificantHumidity));
    EXPECT_EQ(levels[3].Pressure, 90000.0);
    EXPECT_EQ(*levels[3].TimeSinceLaunch, 180.0);
    EXPECT_EQ(levels[4].Flags, uint32_t(bfStandard | bfSignificantTemperature));

    const QByteArray bytes =
        EncodeSoundingBufr(products, {QStringLiteral("03808"), 50.2, -5.3}, 120.0);
    ASSERT_TRUE(bytes.startsWith("BUFR") && bytes.endsWith("7777"));
    codes_handle *h =
        codes_handle_new_from_message(nullptr, bytes.constData(), size_t(bytes.size()));
    ASSERT_TRUE(h);
    ASSERT_EQ(codes_set_long(h, "unpack", 1), 0);
    auto number = [&](const char *key) {
        double v = 0;
        EXPECT_EQ(codes_get_double(h, key, &v), 0) << key;
        return v;
    };
    EXPECT_EQ(number("edition"), 4);
    EXPECT_EQ(number("unexpandedDescriptors"), 309057);
    EXPECT_EQ(number("bufrHeaderCentre"), 255);
    EXPECT_EQ(number("dataCategory"), 2);
    EXPECT_EQ(number("internationalDataSubCategory"), 4);
    EXPECT_EQ(number("blockNumber"), 3);
    EXPECT_EQ(number("stationNumber"), 808);
    EXPECT_EQ(number("typicalHour"), 11);
    EXPECT_EQ(number("typicalMinute"), 40);
    EXPECT_EQ(number("hour"), 11);
    EXPECT_EQ(number("day"), 7);
    EXPECT_NEAR(number("latitude"), 50.2, 1e-5);
    EXPECT_NEAR(number("longitude"), -5.3, 1e-5);
    EXPECT_EQ(number("heightOfStationGroundAboveMeanSeaLevel"), 120.0);
    EXPECT_EQ(number("extendedDelayedDescriptorReplicationFactor"), 15);

    auto array = [&](const char *key) {
        std::vector<double> values(levels.size() + 1);
        size_t size = values.size();
        EXPECT_EQ(codes_get_double_array(h, key, values.data(), &size), 0) << key;
        values.resize(size);
        return values;
    };
    const auto pressure = array("pressure");
    const auto height = array("nonCoordinateGeopotentialHeight");
    const auto temperature = array("airTemperature");
    const auto dewpoint = array("dewpointTemperature");
    const auto flags = array("extendedVerticalSoundingSignificance");
    ASSERT_EQ(pressure.size(), levels.size());
    auto same = [](const std::optional<double> &expected, double decoded, double precision) {
        return expected ? std::fabs(*expected - decoded) <= precision
                        : decoded == CODES_MISSING_DOUBLE;
    };
    for (size_t i = 0; i < levels.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pressure[i], levels[i].Pressure);
        EXPECT_TRUE(same(levels[i].Height, height[i], 0.0));
        EXPECT_TRUE(same(levels[i].Temperature, temperature[i], 0.005));
        EXPECT_TRUE(same(levels[i].Dewpoint, dewpoint[i], 0.005));
        EXPECT_EQ(flags[i], levels[i].Flags);
    }
    codes_handle_delete(h);

    EXPECT_THROW(EncodeSoundingBufr(products, {QStringLiteral("03808"), 50.2, {}}, 120.0),
                 EVentrelError);
}

// A station below what BUFR can code (-400 m): what ecCodes says of it is in
// the one message, and nothing of it reaches standard error.
TEST(BufrReport, WhatEcCodesSaysIsPartOfTheMessage)
{
    const TSoundingProducts products = ComputeSoundingProducts(ShortSounding());
    auto failure = [&](double height) {
        try {
            EncodeSoundingBufr(products, {QStringLiteral("03808"), 50.2, -5.3}, height);
        } catch (const ESoundingExportError &e) {
            return e.Message();
        }
        return QString();
    };
    testing::internal::CaptureStderr();
    const QString low = failure(-450.0);
    // The next report's message holds nothing of the last one's.
    const QString high = failure(13000.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(low.startsWith(QStringLiteral("ecCodes could not encode the BUFR report (")))
        << low.toStdString();
    EXPECT_TRUE(low.contains(QStringLiteral(
        "(ecCodes: encode_double_value: heightOfStationGroundAboveMeanSeaLevel (007030). Value "
        "(-450) out of range")))
        << low.toStdString();
    EXPECT_FALSE(low.contains(QLatin1Char('\n')));
    EXPECT_TRUE(high.contains(QStringLiteral("Value (13000) out of range"))) << high.toStdString();
    EXPECT_FALSE(high.contains(QStringLiteral("-450"))) << high.toStdString();
}

// What a real flight adds: the station's surface wind in the TEMP and the
// BUFR, the reason for termination, the software, blanks after the WIGOS
// local identifier, and a level beyond the time element's reach that keeps
// its values with its time missing (a flight of seven hours would otherwise
// get no BUFR at all).
TEST(BufrReport, WhatARealFlightAdds)
{
    const struct
    {
        std::optional<double> Direction, Speed;
        const char *Group;
    } winds[] = {{250.0, 4.5, "25005"},
                 {2.0, 3.0, "36003"},
                 {183.0, 0.2, "00000"},
                 {181.0, 120.0, "68020"},
                 {std::nullopt, std::nullopt, "/////"}};
    for (const auto &w : winds) {
        TProductLevel level;
        level.WindDirection = w.Direction;
        level.WindSpeed = w.Speed;
        EXPECT_EQ(TempWindGroup(level), w.Group) << w.Group;
    }

    TSoundingProducts products = ComputeSoundingProducts(ShortSounding());
    products.Surface->WindDirection = 250.0;
    products.Surface->WindSpeed = 4.5;
    products.Flight.Termination = TFlightTermination{6, tcBalloonBurst};
    EXPECT_TRUE(FormatTempReport(products, {QStringLiteral("03808"), {}, {}})
                    .contains(" 99995 20056 25005 "));
    // The last level seven hours after the launch.
    products.Analysis.Profile.back().Time = Launch + 7.0 / 24.0;
    const std::vector<TBufrLevel> levels = BufrLevels(products);
    EXPECT_FALSE(levels.back().TimeSinceLaunch);
    EXPECT_EQ(levels[1].WindDirection, 250.0);
    const QByteArray bytes =
        EncodeSoundingBufr(products, {QStringLiteral("03808"), 50.2, -5.3}, 120.0);
    codes_handle *h =
        codes_handle_new_from_message(nullptr, bytes.constData(), size_t(bytes.size()));
    ASSERT_TRUE(h);
    ASSERT_EQ(codes_set_long(h, "unpack", 1), 0);
    auto text = [&](const char *key) {
        char value[64] = {};
        size_t length = sizeof value;
        EXPECT_EQ(codes_get_string(h, key, value, &length), 0) << key;
        return std::string(value);
    };
    long termination = 0, calculation = -1;
    EXPECT_EQ(codes_get_long(h, "reasonForTermination", &termination), 0);
    EXPECT_EQ(termination, 1);
    EXPECT_EQ(codes_get_long(h, "geopotentialHeightCalculation", &calculation), 0);
    EXPECT_EQ(calculation, 0);
    EXPECT_EQ(text("softwareVersionNumber").rfind("Ventrel ", 0), 0u);
    EXPECT_EQ(text("wigosLocalIdentifierCharacter").find('\0'), std::string::npos);
    std::vector<double> speeds(levels.size());
    size_t size = speeds.size();
    EXPECT_EQ(codes_get_double_array(h, "windSpeed", speeds.data(), &size), 0);
    EXPECT_DOUBLE_EQ(speeds[1], 4.5);
    codes_handle_delete(h);
}
