#include "sounding/StationIdentity.h"

#include "foundation/CustomUtilities.h"
#include "foundation/Errors.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

// A log's local date-time as it keeps it, whatever zone the machine is in.
double LocalDays(int y, int m, int d, int hh, int mm)
{
    return double(QDate(1899, 12, 30).daysTo(QDate(y, m, d))) + (hh * 60 + mm) / 1440.0;
}

QString Utc(double days, const QString &zone)
{
    TStationIdentity station;
    station.TimeZone = zone;
    return LocalDaysToUtc(days, station).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// The machine's zone for the life of the guard.
class TZoneGuard
{
  public:
    explicit TZoneGuard(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            FSaved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TZoneGuard()
    {
        if (FSaved)
            setenv("TZ", FSaved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> FSaved;
};

} // namespace

TEST(StationTimeZone, NamesAndOffsets)
{
    for (const char *zone : {"", "UTC", "Europe/London", "America/New_York", "Etc/GMT+5", "+05:30",
                             "-03:00", "+14:00", "-00:00"})
        EXPECT_EQ(TimeZoneProblem(QString::fromLatin1(zone)), QString()) << zone;
    // Unknown names, paths the zone library would open as files, offsets
    // out of form or range.
    for (const char *zone :
         {"Mars/Olympus_Mons", "../../etc/passwd", "/etc/localtime", "Europe//London",
          "Europe/London ", "+5:30", "+15:00", "+05:60", "UTC+01:00", "0530"}) {
        EXPECT_EQ(TimeZoneProblem(QString::fromLatin1(zone)),
                  QStringLiteral("The time zone must be a name of the time-zone database (for "
                                 "example Europe/London) or an offset from UTC as +HH:MM or "
                                 "-HH:MM, not \"%1\"")
                      .arg(QString::fromLatin1(zone)));
        TStationIdentity station;
        station.TimeZone = QString::fromLatin1(zone);
        EXPECT_THROW(StationTimeZone(station), EConvertError) << zone;
    }
    TStationIdentity zoned;
    zoned.TimeZone = QStringLiteral("Asia/Tokyo");
    EXPECT_FALSE(zoned.IsEmpty());
}

// One log time (7 December 2026 11:40, winter) under several zones, and
// the daylight-saving changes: a time in the gap or the overlap is read
// with the offset after the change.
TEST(StationTimeZone, LocalTimeToUtc)
{
    const double log = LocalDays(2026, 12, 7, 11, 40);
    EXPECT_EQ(Utc(log, "UTC"), "2026-12-07 11:40");
    EXPECT_EQ(Utc(log, "Asia/Tokyo"), "2026-12-07 02:40");
    EXPECT_EQ(Utc(log, "America/New_York"), "2026-12-07 16:40");
    EXPECT_EQ(Utc(log, "+05:30"), "2026-12-07 06:10");
    EXPECT_EQ(Utc(log, "-03:00"), "2026-12-07 14:40");
    EXPECT_EQ(Utc(LocalDays(2026, 7, 1, 12, 0), "America/New_York"), "2026-07-01 16:00");
    EXPECT_EQ(Utc(LocalDays(2026, 7, 1, 12, 0), "Europe/London"), "2026-07-01 11:00");
    // New York: 02:00 EST became 03:00 EDT on 8 March; 02:00 EDT became
    // 01:00 EST on 1 November. London: 01:00 GMT to 02:00 BST on 29 March,
    // 02:00 BST back to 01:00 GMT on 25 October.
    EXPECT_EQ(Utc(LocalDays(2026, 3, 8, 2, 30), "America/New_York"), "2026-03-08 06:30");
    EXPECT_EQ(Utc(LocalDays(2026, 11, 1, 1, 30), "America/New_York"), "2026-11-01 06:30");
    EXPECT_EQ(Utc(LocalDays(2026, 3, 29, 1, 30), "Europe/London"), "2026-03-29 00:30");
    EXPECT_EQ(Utc(LocalDays(2026, 10, 25, 1, 30), "Europe/London"), "2026-10-25 01:30");
    // Seconds and milliseconds come through.
    TStationIdentity tokyo;
    tokyo.TimeZone = QStringLiteral("Asia/Tokyo");
    EXPECT_EQ(LocalDaysToUtc(log + 12.345 / 86400.0, tokyo).toString(Qt::ISODateWithMs),
              "2026-12-07T02:40:12.345Z");
}

// Without a zone of its own the station keeps the machine's, as before; in
// the gap, where the machine's own conversion has no answer, the rule above.
TEST(StationTimeZone, TheMachinesZoneWhenUnset)
{
    const double log = LocalDays(2026, 12, 7, 11, 40);
    for (const char *machine : {"UTC", "Asia/Tokyo", "America/New_York"}) {
        TZoneGuard zone(machine);
        EXPECT_EQ(LocalDaysToUtc(log, TStationIdentity()), DaysToDateTime(log).toUTC()) << machine;
        EXPECT_EQ(Utc(log, QString()), Utc(log, QString::fromLatin1(machine))) << machine;
    }
    TZoneGuard zone("America/New_York");
    EXPECT_EQ(Utc(LocalDays(2026, 3, 8, 2, 30), QString()), "2026-03-08 06:30");
}
