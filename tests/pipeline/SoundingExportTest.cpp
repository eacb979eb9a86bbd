
#include "devices/KestrinLibrary.h"
#include "foundation/CustomUtilities.h"
#include "pipeline/ProcessedDataExport.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// 7 December 2026, 13:06:00.250 local time, as a date-time.
double LocalDays(int hour, int minute, int second, int msec)
{
    return QDate(1899, 12, 30).daysTo(QDate(2026, 12, 7)) +
           (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / 86400000.0;
}

TDataPacket Channels(double t, double v1, double v2, double v3)
{
    TDataPacket packet;
    packet.SetTime(t);
    packet.SetValue(1, v1);
    packet.SetValue(2, v2);
    packet.SetValue(3, v3);
    return packet;
}

TDataPacket Level(double p, double z, double T, double Td, double time = 0.0)
{
    TDataPacket packet;
    packet.SetPressure(p);
    packet.SetAltitude(z);
    packet.SetTemperature(T);
    if (!std::isnan(Td))
        packet.SetDewpoint(Td);
    packet.SetTime(time);
    return packet;
}

const char *const Locales[] = {"C", "de_DE.UTF-8"};

} // namespace

TEST(SoundingExport, ProcessedDataCsv)
{
    TKestrinResult configuration;
    configuration.ParseConfiguration("1MP:TPUNNNNN");

    TDataPacketList packets;
    packets.push_back(Channels(LocalDays(13, 6, 0, 250), 15.3, 1000.2, 45.0));
    packets.back().SetDewpoint(3.294);
    packets.back().SetAltitude(100.0);
    packets.push_back(Channels(LocalDays(13, 6, 1, 250), 14.85, 990.5, NoValue));
    packets.back().SetAltitude(184.853);
    packets.back().SetRiseRate(84.853);
    packets.push_back(Channels(LocalDays(13, 7, 1, 750), -0.004, 985.0, 1e-7));
    packets.back().SetDewpoint(-0.001);
    packets.back().SetAltitude(190.0);
    packets.back().SetRiseRate(std::numeric_limits<double>::infinity());
    packets.push_back(Channels(LocalDays(23, 59, 59, 999), 1.0, 2.0, 3.0)); // nothing derived

    const QByteArray expected =
        "Date Time,Time,Ch1 T (degC),Ch2 P (mbar),Ch3 U (%RH),Dewpt (degC),Alt (m),Rise (m/min)\r\n"
        "2026-12-07T13:06:00.250,13:06:00,15.3,1000.2,45,3.29,100.0,0.0\r\n"
        "2026-12-07T13:06:01.250,13:06:01,14.85,990.5,,,184.9,84.9\r\n"
        "2026-12-07T13:07:01.750,13:07:01,-0.004,985,1E-7,0.00,190.0,\r\n"
        "2026-12-07T23:59:59.999,23:59:59,1,2,3,,,\r\n";
    for (const char *locale : Locales) {
        LocaleGuard guard(locale);
        EXPECT_EQ(FormatProcessedDataCsv(configuration, packets), expected) << locale;
    }
}

TEST(SoundingExport, SharppySounding)
{
    const double launch =
        DateTimeToDays(QDateTime(QDate(2026, 12, 7), QTime(13, 6, 30), Qt::UTC).toLocalTime());
    const double nan = std::nan("");
    const TDataPacketList packets{
        Level(1000.004, 100.0, 30.0, 20.0, launch),
        Level(1000.001, 100.5, 29.9, 20.0), // the same pressure once written
        Level(950.0, 540.25, 26.5, nan),    // no dew point
        Level(960.0, 450.0, 27.0, 20.0),    // a step back down
        Level(900.5, 1000.125, 22.125, -5.5),
        Level(850.0, 1500.0, nan, -6.0), // no temperature: no level
    };
    const QByteArray expected = "%TITLE%\n"
                                " KS01   261207/1306\n"
                                "\n"
                                "   LEVEL       HGHT       TEMP       DWPT       WDIR       WSPD\n"
                                "---------------------------------------------------------------\n"
                                "%RAW%\n"
                                " 1000.00,    100.00,     30.00,     20.00,  -9999.00,  -9999.00\n"
                                "  950.00,    540.25,     26.50,  -9999.00,  -9999.00,  -9999.00\n"
                                "  900.50,   1000.13,     22.13,     -5.50,  -9999.00,  -9999.00\n"
                                "%END%\n";
    for (const char *locale : Locales) {
        LocaleGuard guard(locale);
        EXPECT_EQ(FormatSharppySounding(packets, TStationIdentity{QStringLiteral("KS 01,"), {}, {}}), expected) << locale;
    }
    EXPECT_TRUE(FormatSharppySounding(packets).contains("\n VNTRL   261207/1306\n"));
}

// Saving writes the formatted bytes; a failed export leaves an earlier file
// whole and says why.
TEST(SoundingExport, Saving)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("flight.txt");
    const TDataPacketList packets{Level(1000.0, 100.0, 30.0, 20.0),
                                  Level(900.0, 1000.0, 22.0, 10.0)};
    SaveSharppySounding(name, packets);
    EXPECT_EQ(ReadFileBytes(name), FormatSharppySounding(packets));

    try {
        SaveSharppySounding(name, {Level(1000.0, 100.0, nan(""), 20.0)});
        ADD_FAILURE() << "no error for a flight without levels";
    } catch (const ESoundingExportError &e) {
        EXPECT_EQ(e.Message(), "There is no sounding to export: no frame has a valid pressure and "
                               "temperature");
    }
    EXPECT_EQ(ReadFileBytes(name), FormatSharppySounding(packets));

    TKestrinResult configuration;
    configuration.ParseConfiguration("1MP:TPUNNNNN");
    const QString missing = dir.filePath("no such folder/flight.csv");
    EXPECT_THROW(SaveProcessedDataCsv(missing, configuration, packets), EFileError);
    EXPECT_FALSE(QFile::exists(missing));
}

// The CSV's first two cells are written without QDate and QTime for the
// years 1 to 9999; they must read as those classes write them, at either end
// of that range and beyond it.
TEST(SoundingExport, CsvDatesAsQtWritesThem)
{
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    const QDate epoch(1899, 12, 30);
    TDataPacketList packets;
    for (double days : {-693594.0, -693593.0, -693592.75, 0.0, 0.999999999, 46000.5000115741,
                        2958465.9999, 2958466.0, 2958466.5, -2.5e6, 2.9e6})
        packets.push_back(Channels(days, 1, 2, 3));
    const QStringList rows = QString::fromUtf8(FormatProcessedDataCsv(configuration, packets))
                                 .split(QStringLiteral("\r\n"));
    for (size_t i = 0; i < packets.size(); ++i) {
        const double days = packets[i].Time();
        const double whole = std::floor(days);
        qint64 msecs = std::llround((days - whole) * 86400000.0);
        qint64 count = qint64(whole);
        if (msecs >= 86400000)
            msecs -= 86400000, ++count;
        const QDate date = epoch.addDays(count);
        const QTime time = QTime::fromMSecsSinceStartOfDay(int(msecs));
        const QString expected = date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T') +
                                 time.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(',') +
                                 time.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(',');
        EXPECT_TRUE(rows[qsizetype(i) + 1].startsWith(expected))
            << rows[qsizetype(i) + 1].toStdString() << " for " << expected.toStdString();
    }
}
