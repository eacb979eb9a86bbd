#include "devices/KestrinLibrary.h"

#include "foundation/CustomUtilities.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <random>

namespace {

TKestrinResult Configured(const QString &configuration)
{
    TKestrinResult r;
    r.ParseConfiguration(configuration);
    return r;
}

// The message of the exception f raises, or "<none>".
template <class E, class F> QString MessageOf(F f)
{
    try {
        f();
    } catch (const E &e) {
        return e.Message();
    }
    return QStringLiteral("<none>");
}

bool AllNoValue(const TKestrinResult &r)
{
    for (int c = 1; c <= 10; ++c)
        if (!IsNoValue(r.Value(c)))
            return false;
    return true;
}

// 1MR:TPUVVVVF: T 0x17D, P 0x39A, U 0x1CE, V 0x200, 0x000, 0x3FF, 0xabc, F 0x1F40.
const QString Raw1M = QStringLiteral("17D39A1CE2000003FFabc1F40");

} // namespace

// Worked by hand; tolerance 1e-3 in the unit of the curve.
TEST(KestrinDecoding, SensorCurvesAndCounts)
{
    EXPECT_NEAR(VoltsToTemperature(1.0), 73.3067, 1e-3);   // x = 2418854.64, root 1555.2667
    EXPECT_NEAR(VoltsToTemperature(3.0), -102.3257, 1e-3); // x = 1903390.72, root 1379.6343
    EXPECT_TRUE(IsNoValue(VoltsToTemperature(11.0)));      // radicand below zero
    EXPECT_NEAR(VoltsToPressure(2.5), 506.625, 1e-9);
    EXPECT_NEAR(VoltsToHumidity(2.2575), 50.0, 1e-9);
    for (auto curve : {VoltsToTemperature, VoltsToPressure, VoltsToHumidity})
        EXPECT_TRUE(IsNoValue(curve(NoValue)));

    EXPECT_NEAR(Configured("1MR:TPUVVVVF").CountsToVolts(0x200, 4), 2.5, 1e-12);
    const TKestrinResult r = Configured("1RR:VVVVVVFFB");
    EXPECT_NEAR(r.CountsToVolts(0x200, 2), 0.512, 1e-12);
    EXPECT_NEAR(r.CountsToVolts(0x200, 4), 0.625, 1e-12);
    EXPECT_TRUE(IsNoValue(r.CountsToVolts(NoValue, 2)));
    EXPECT_EQ(MessageOf<EKestrinInvalidChannelError>([&] { r.CountsToVolts(1, 11); }),
              "Kestrin Channel 11 is invalid.");
}

TEST(KestrinDecoding, RawFrames)
{
    TKestrinResult r = Configured("1MR:TPUVVVVF");
    EXPECT_EQ(r.RawFrameLength(), 25);
    auto setFrame = [&](const QString &f) {
        return MessageOf<EKestrinInvalidDataError>([&] { r.SetFrame(f); });
    };

    EXPECT_EQ(setFrame(Raw1M), "<none>");
    EXPECT_EQ(r.FrameStatus(), fsData);
    const double expected[8] = {0.30669, 1013.74475, 49.94391, 2.5, 0.0, 4.99512, 13.41797, 8000};
    for (int c = 1; c <= 8; ++c)
        EXPECT_NEAR(r.Value(c), expected[c - 1], 1e-4) << "channel " << c;
    EXPECT_FALSE(r.HasAnyError());

    // Too short, or a bad character among the used positions; values stay empty.
    for (const QString &bad :
         QStringList{Raw1M.left(24), "17D39A1CE200000G3FFabc1F40", " " + Raw1M}) {
        EXPECT_EQ(setFrame(bad), "Raw data telemetry is invalid.");
        EXPECT_EQ(r.FrameStatus(), fsData);
        EXPECT_EQ(r.RawText(), bad);
        EXPECT_TRUE(AllNoValue(r));
    }
    // Characters beyond the used positions are ignored; a "-" anywhere is invalid.
    EXPECT_EQ(setFrame(Raw1M + "9Z"), "<none>");
    EXPECT_NEAR(r.Value(8), 8000.0, 1e-12);
    EXPECT_EQ(setFrame(Raw1M + "-"), "<none>");
    EXPECT_EQ(r.FrameStatus(), fsInvalid);
    EXPECT_TRUE(AllNoValue(r));

    // 828 counts = 111.04 %RH: only the humidity is lost.
    r.SetFrame("17D39A33C2000003FFabc1F40");
    EXPECT_TRUE(IsNoValue(r.Value(3)));
    EXPECT_NEAR(r.Value(2), 1013.74475, 1e-4);
    EXPECT_TRUE(r.HasAnyError());
    EXPECT_FALSE(r.HasValidPrimaryHumidity());

    // 1R: 4.096 V reference on channels 1 to 3; channel 7 absent; B is two digits.
    TKestrinResult r1 = Configured("1RR:VVVVVVFFB");
    EXPECT_EQ(r1.RawFrameLength(), 28);
    r1.SetFrame("2002002002002002001F4000107F");
    EXPECT_NEAR(r1.Value(3), 0.512, 1e-12);
    EXPECT_NEAR(r1.Value(6), 0.625, 1e-12);
    EXPECT_NEAR(r1.Value(9), 16.0, 1e-12);
    EXPECT_NEAR(r1.Value(10), 127.0, 1e-12);
    EXPECT_FALSE(r1.HasAnyError());
}

TEST(KestrinDecoding, ProcessedFrames)
{
    TKestrinResult r = Configured("1MP:VTNNNNNN");
    r.SetFrame("2500,-1.5");
    EXPECT_NEAR(r.Value(1), 2.5, 1e-12);
    EXPECT_NEAR(r.Value(2), -1.5, 1e-12);
    TKestrinResult m3 = Configured("3MP:TNNNNNNN");
    m3.SetFrame("273.15");
    EXPECT_NEAR(m3.Value(1), 0.0, 1e-9);

    // Fields go to present channels in order; a missing, empty or bad field
    // costs only its channel; extra fields are ignored.
    TKestrinResult t = Configured("1MP:TPUVNNNF");
    t.SetFrame("15.5,,45,1-2,+1680,7,8");
    EXPECT_NEAR(t.Value(1), 15.5, 1e-12);
    EXPECT_TRUE(IsNoValue(t.Value(2)));
    EXPECT_NEAR(t.Value(3), 45.0, 1e-12);
    EXPECT_TRUE(IsNoValue(t.Value(4)));
    EXPECT_NEAR(t.Value(8), 1680.0, 1e-12);
    t.SetFrame(".5,1000");
    EXPECT_NEAR(t.Value(1), 0.5, 1e-12);
    EXPECT_TRUE(IsNoValue(t.Value(3)) && IsNoValue(t.Value(8)));
    EXPECT_TRUE(t.HasAnyError());

    for (const char *bad : {"15.5, 1000", "15.5,1e3", "abc"}) {
        t.SetFrame(bad);
        EXPECT_EQ(t.FrameStatus(), fsInvalid) << bad;
        EXPECT_TRUE(AllNoValue(t));
    }

    // The wire's decimal point is '.' whatever the station's locale.
    LocaleGuard german("de_DE.UTF-8");
    r.SetFrame("2500.5,-1.5");
    EXPECT_NEAR(r.Value(1), 2.5005, 1e-12);
    EXPECT_NEAR(r.Value(2), -1.5, 1e-12);
}

TEST(KestrinDecoding, RangeChecksAndConfigurationFrames)
{
    TKestrinResult t = Configured("1MP:TPUVNNNF");
    t.SetFrame("-300,0.01,0,-1,-1");
    EXPECT_NEAR(t.Value(1), -300.0, 1e-12); // temperature is not checked
    EXPECT_NEAR(t.Value(2), 0.01, 1e-12);
    EXPECT_NEAR(t.Value(3), 0.0, 1e-12);
    EXPECT_TRUE(IsNoValue(t.Value(4)) && IsNoValue(t.Value(8)));
    t.SetFrame("0,0.0099,110.001,0,0");
    EXPECT_TRUE(IsNoValue(t.Value(2)) && IsNoValue(t.Value(3)));
    EXPECT_NEAR(t.Value(8), 0.0, 1e-12);

    // Any frame holding ":" is a configuration frame, never invalid, not decoded.
    for (const char *configuration : {"1MR:TPUVVVVF", "1MP:TPUVVVVF"}) {
        TKestrinResult r = Configured(configuration);
        r.SetFrame("1MR:TPU-VVV VF");
        EXPECT_EQ(r.FrameStatus(), fsConfiguration);
        EXPECT_TRUE(AllNoValue(r));
        EXPECT_EQ(r.ConfigurationString(), Configured(configuration).ConfigurationString());
    }
}

TEST(KestrinDecoding, DecimalPlacesAndTexts)
{
    const TKestrinResult m = Configured("1MR:VTPUNNNF");
    const TKestrinResult r = Configured("1RR:VTPUNNFFB");
    const TKestrinResult p = Configured("1RP:VTPUNNFFB");
    EXPECT_EQ(QList<int>({m.DecimalPlaces(1), m.DecimalPlaces(2), m.DecimalPlaces(8)}),
              QList<int>({3, 1, 0}));
    EXPECT_EQ(QList<int>({r.DecimalPlaces(1), r.DecimalPlaces(4), r.DecimalPlaces(10)}),
              QList<int>({3, 2, 0}));
    EXPECT_EQ(QList<int>({p.DecimalPlaces(1), p.DecimalPlaces(2), p.DecimalPlaces(8)}),
              QList<int>({3, 0, 0}));
    EXPECT_EQ(MessageOf<EKestrinInvalidChannelError>([&] { r.DecimalPlaces(7); }),
              "GetDecimalPlaces: Channel 7 is not available");

    QStringList list{"stale"};
    Configured("1RR:TPUVNVFFB").ColumnHeadings(list);
    EXPECT_EQ(list,
              QStringList({"Raw Time", "Time", "Ch1 T (degC)", "Ch2 P (mbar)", "Ch3 U (%RH)",
                           "Ch4 V (volt)", "Ch6 V (volt)", "Ch8 F (Hz)", "Ch9 F (Hz)", "Ch10 PB"}));

    LocaleGuard english("C");
    TKestrinResult f = Configured("1MR:TPUVVVVF");
    f.SetTime(46000.5432175926);
    f.SetFrame("17D39A33C2000003FFabc1F40");
    f.FormatValues(list);
    EXPECT_EQ(list, QStringList({"46000.5432175926", "1:02:14 PM", "0.3", "1013.7", "Error",
                                 "2.500", "0.000", "4.995", "13.418", "8000"}));
    LocaleGuard german("de_DE.UTF-8");
    f.FormatValues(list);
    EXPECT_EQ(list.mid(0, 4), QStringList({"46000,5432175926", "13:02:14", "0,3", "1013,7"}));
}

TEST(KestrinDecoding, PrimaryAccessors)
{
    const TKestrinResult none = Configured("1ER:VVN");
    using E = EKestrinInvalidChannelError;
    EXPECT_EQ(MessageOf<E>([&] { none.PrimaryTemperature(); }),
              "Primary temperature channel does not exist");
    EXPECT_EQ(MessageOf<E>([&] { none.PrimaryPressureChannelChecked(); }),
              "Primary pressure channel does not exist");
    EXPECT_EQ(MessageOf<E>([&] { none.PrimaryHumidity(); }),
              "Primary humidity channel does not exist");
    EXPECT_FALSE(none.HasValidPrimaryTemperature() || none.HasValidPrimaryPressure());

    TKestrinResult p = Configured("1MP:T_TPUNNNN");
    p.SetFrame("10,20,0,50");
    EXPECT_NEAR(p.PrimaryTemperature(), 20.0, 1e-12);
    EXPECT_EQ(p.PrimaryPressureChannelChecked(), 3);
    EXPECT_FALSE(p.HasValidPrimaryPressure()); // 0 mbar failed the range check
    EXPECT_TRUE(p.HasValidPrimaryHumidity());
}

// Whatever arrives between two delimiters, decoding succeeds or raises the
// one documented exception, and leaves only finite values behind.
TEST(KestrinDecoding, ArbitraryFramesNeverBreakTheDecoder)
{
    std::mt19937 random(20240607);
    const QString alphabet = QStringLiteral("0123456789abcdefABCDEFxz,+-.: \t\x01\u00ff\u03b1");
    std::uniform_int_distribution<int> pick(0, int(alphabet.size()) - 1);
    for (const char *configuration :
         {"1MR:TPUVVVVF", "1RR:TPUVVVFFB", "1MP:TPUVVVVF", "3MP:TPUCVVVC", "1ER:NNN"}) {
        TKestrinResult r = Configured(configuration);
        for (int i = 0; i < 3000; ++i) {
            QString frame;
            for (int n = i % 60; n > 0; --n)
                frame += alphabet[pick(random)];
            try {
                r.SetFrame(frame);
            } catch (const EKestrinInvalidDataError &) {
                ASSERT_TRUE(AllNoValue(r));
            }
            for (int c = 1; c <= 10; ++c)
                ASSERT_TRUE(std::isfinite(r.Value(c)));
            QStringList list;
            r.FormatValues(list);
        }
    }
}
