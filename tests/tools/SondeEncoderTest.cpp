// The simulator's frames decode, through the ground station's own decoder,
// to the values it meant to send.
#include "SondeEncoder.h"

#include "support/TestSupport.h"

#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Half a converter step, in the channel's unit: the most a raw value can be
// off after rounding to a count. Steps: 1R channels 1 to 3 1 mV, 1R channels
// 4 and above 5/4096 V, other models 5/1024 V; steepest sensor slopes
// 94 degC/V (at -100 degC), 253.32 mbar/V, 34.19 %RH/V.
double RawTolerance(TSondeModel model, int channel, TChannelType type)
{
    const double step = model == sm1R ? (channel <= 3 ? 0.001 : 5.0 / 4096) : 5.0 / 1024;
    switch (type) {
    case ctVoltage:
        return 0.5 * step + 1e-9;
    case ctTemperature:
        return 0.5 * step * 94.0;
    case ctPressure:
        return 0.5 * step * 253.32;
    case ctHumidity:
        return 0.5 * step * 34.19;
    default:
        return 1e-9; // counts go as they are
    }
}

// Processed values are sent with 1 decimal of millivolts, 2 decimals of
// degrees and millibars, 1 of %RH and the custom value, whole frequencies.
double ProcessedTolerance(TChannelType type)
{
    switch (type) {
    case ctVoltage:
        return 0.00005 + 1e-9;
    case ctTemperature:
    case ctPressure:
        return 0.005 + 1e-9;
    case ctHumidity:
    case ctCustom:
        return 0.05 + 1e-9;
    default:
        return 1e-9;
    }
}

TKestrinResult Configuration(const char *text)
{
    TKestrinResult r;
    r.ParseConfiguration(QString::fromLatin1(text));
    return r;
}

} // namespace

TEST(SondeEncoder, EveryModelAndTransmissionRoundTripsThroughTheDecoder)
{
    LocaleGuard locale("C");
    // A 1R with pressure on channels 1 to 3 (the second raw 1R set) reads at
    // most about 910 mbar; it is checked only where the air fits.
    const char *configurations[] = {
        "1ER:TPF",         "1ER:UVF",      "1EP:TPF",         "1EP:_UVF",      "1MR:TPUVVVVF",
        "1MR:VTPUTPUN",    "1MP:TPUVVVVF", "1MP:_TT_P_UVVVN", "1RR:TUVPTVFFB", "1RR:VPUTVVNFB",
        "1RP:_TT_PUVVFFB", "3MP:TPUVCVVC", "3MP:_TTPUVCCF",
    };
    const TStandardAscent flight(0.0);
    int checked = 0;
    for (const char *text : configurations) {
        SCOPED_TRACE(text);
        const TKestrinResult configuration = Configuration(text);
        const bool raw = configuration.TransmissionType() == ttRaw;
        const bool lowPressureOnly = QByteArray(text) == "1RR:VPUTVVNFB";
        for (double seconds : {0.0, 300.0, 1000.0, 2200.0, 4000.0, 6000.0, 7500.0}) {
            TSondeReading reading = flight.At(seconds, int64_t(seconds));
            if (lowPressureOnly && reading.Pressure > 900.0)
                continue;
            const TChannelValues values = ChannelValues(configuration, reading);
            const QString frame = EncodeFrame(configuration, values);
            SCOPED_TRACE(frame.toStdString());
            if (raw) {
                EXPECT_EQ(frame.size(), configuration.RawFrameLength());
                EXPECT_TRUE(
                    QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(frame).hasMatch());
            } else {
                EXPECT_TRUE(
                    QRegularExpression(QStringLiteral("^[0-9,+.-]*$")).match(frame).hasMatch());
            }

            TKestrinResult decoded = configuration;
            decoded.SetFrame(frame);
            ASSERT_EQ(decoded.FrameStatus(), fsData);
            EXPECT_FALSE(decoded.HasAnyError());
            for (int c = 1; c <= KestrinChannels; ++c) {
                const TChannelType type = configuration.ChannelType(c);
                if (!IsPresentChannelType(type)) {
                    EXPECT_TRUE(IsNoValue(values[c - 1]));
                    continue;
                }
                const double tolerance =
                    raw ? RawTolerance(configuration.Model(), c, type) : ProcessedTolerance(type);
                EXPECT_NEAR(decoded.Value(c), values[c - 1], tolerance) << "channel " << c;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
}

TEST(SondeEncoder, RawFieldsAreClampedToTheirRange)
{
    LocaleGuard locale("C");
    // A 1R reads at most 4.095 V on channels 1 to 3: about 910.7 mbar.
    const TKestrinResult configuration = Configuration("1RR:TPUVVVFFB");
    TChannelValues values;
    values.fill(NoValue);
    values[0] = 3000.0;  // hotter than the curve goes: below 0 V, count 0
    values[1] = 1013.25; // above the channel's range: the top count
    values[2] = 150.0;   // %RH
    values[3] = 2.5;     // V
    values[4] = -1.0;    // V, below 0: count 0
    values[5] = 9.0;     // V, above 5: the top count
    values[7] = 70000.0; // Hz, above FFFF
    values[8] = 0.4;     // Hz, rounds to 0
    values[9] = 300.0;   // a byte
    const QString frame = EncodeFrame(configuration, values);
    EXPECT_EQ(frame.size(), configuration.RawFrameLength());
    EXPECT_EQ(frame.mid(0, 3), QStringLiteral("000"));
    EXPECT_EQ(frame.mid(3, 3), QStringLiteral("FFF"));
    EXPECT_EQ(frame.mid(12, 3), QStringLiteral("000"));
    EXPECT_EQ(frame.mid(15, 3), QStringLiteral("FFF"));
    EXPECT_EQ(frame.mid(18, 4), QStringLiteral("FFFF"));
    EXPECT_EQ(frame.mid(22, 4), QStringLiteral("0000"));
    EXPECT_EQ(frame.mid(26, 2), QStringLiteral("FF"));

    TKestrinResult decoded = configuration;
    decoded.SetFrame(frame);
    EXPECT_NEAR(decoded.Value(2), (0.25 * 4.095 - 0.125) * 1013.25, 1e-6);
    EXPECT_NEAR(decoded.Value(4), 2.5, RawTolerance(sm1R, 4, ctVoltage));
}

TEST(SondeEncoder, ProcessedFramesUseAPointWhateverTheLocale)
{
    LocaleGuard locale("de_DE.UTF-8");
    const TKestrinResult configuration = Configuration("3MP:TPUVCVVC");
    const QString frame =
        EncodeFrame(configuration, ChannelValues(configuration, TStandardAscent().At(0.0)));
    EXPECT_EQ(frame.split(QLatin1Char(',')).size(), 8);
    EXPECT_TRUE(frame.startsWith(QStringLiteral("288.15,1013.25,")));
    EXPECT_EQ(SpoilFrame(configuration, frame).size(), frame.size() + 1);

    TKestrinResult spoiled = configuration;
    spoiled.SetFrame(SpoilFrame(configuration, frame));
    EXPECT_EQ(spoiled.FrameStatus(), fsInvalid);
    TKestrinResult rawSpoiled = Configuration("1MR:TPUVVVVF");
    rawSpoiled.SetFrame(SpoilFrame(rawSpoiled, QStringLiteral("15A39A2762141C317111F1130")));
    EXPECT_EQ(rawSpoiled.FrameStatus(), fsInvalid);
}

TEST(SondeEncoder, FlightFollowsTheStandardAtmosphere)
{
    // The 1976 standard atmosphere at geometric altitudes of 0, 5, 11, 20 and
    // 30 km: 1013.25, 540.48, 227.00, 55.29, 11.97 mbar; 15.0, -17.474,
    // -56.376, -56.5, -46.641 degC.
    const struct
    {
        double Altitude, Pressure, Temperature;
    } table[] = {{0, 1013.25, 15.0},
                 {5000, 540.48, -17.474},
                 {11000, 227.00, -56.376},
                 {20000, 55.29, -56.5},
                 {30000, 11.97, -46.641}};
    for (const auto &row : table) {
        EXPECT_NEAR(StandardPressure(row.Altitude), row.Pressure, 0.01) << row.Altitude;
        EXPECT_NEAR(StandardTemperature(row.Altitude), row.Temperature, 0.001) << row.Altitude;
    }

    const TStandardAscent flight(120.0); // 300 m a minute from 120 m to 33 km
    EXPECT_NEAR(flight.At(60.0).Altitude, 420.0, 1e-9);
    const double burst = (33000.0 - 120.0) / 5.0;
    EXPECT_NEAR(flight.At(burst).Altitude, 33000.0, 1e-6);
    EXPECT_NEAR(flight.At(burst + 100.0).Altitude, 33000.0 - 1500.0, 1e-6);
    EXPECT_NEAR(flight.At(burst * 10).Altitude, 120.0, 1e-9); // landed
    double previous = 2000.0;
    for (double t = 0; t < burst; t += 60.0) {
        const TSondeReading r = flight.At(t, int64_t(t));
        EXPECT_LT(r.Pressure, previous);
        previous = r.Pressure;
        EXPECT_TRUE(r.Humidity >= 1.0 && r.Humidity <= 100.0);
        EXPECT_GT(r.Battery, 2.0);
        EXPECT_EQ(r.ParallelByte, int64_t(t) % 256);
    }
}

TEST(SondeEncoder, ImpossibleHumiditiesStillArriveAsReadings)
{
    // The decoder keeps 0 to 110 %RH; the nearest count to 110 % decodes a
    // hair above it on most channels (1M: count 822 is 110.04 %).
    for (const char *text : {"1MR:TPUVVVVF", "1ER:UVF", "1RR:TPUVVVFFB", "1RR:TPVUVVFFB"}) {
        const TKestrinResult configuration = Configuration(text);
        const int channel = configuration.PrimaryHumidityChannel();
        TSondeReading reading = TStandardAscent().At(0.0);
        for (double percent : {0.0, 110.0}) {
            reading.Humidity = percent;
            TKestrinResult decoded = configuration;
            decoded.SetFrame(EncodeFrame(configuration, ChannelValues(configuration, reading)));
            EXPECT_NEAR(decoded.Value(channel), percent,
                        2.0 * RawTolerance(configuration.Model(), channel, ctHumidity))
                << text << " " << percent;
        }
    }
}
