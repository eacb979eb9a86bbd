#include "pipeline/ProcessedDataExport.h"

#include "devices/KestrinLibrary.h"
#include "foundation/CustomUtilities.h"
#include "foundation/FileTransaction.h"
#include "pipeline/PacketSounding.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

namespace {

// The date and time of day of a date-time, taken straight from the encoding:
// a local QDateTime would move times that fall into a daylight-saving gap.
void SplitDateTime(double days, QDate &date, QTime &time)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        days = 0.0;
    const double whole = std::floor(days);
    qint64 msecs = std::llround((days - whole) * 86400000.0);
    qint64 dayCount = qint64(whole);
    if (msecs >= 86400000) {
        msecs -= 86400000;
        ++dayCount;
    }
    date = QDate(1899, 12, 30).addDays(dayCount);
    time = QTime::fromMSecsSinceStartOfDay(int(msecs));
}

} // namespace

void WriteExportFile(const QString &fileName, const QByteArray &bytes)
{
    WriteFileSafely(fileName, bytes);
}

namespace {

// Appends `value` with at least `digits` digits (ASCII, zeros in front).
void AppendDigits(QString &text, int value, int digits)
{
    char reversed[12];
    int count = 0;
    do {
        reversed[count++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (; count < digits; ++count)
        reversed[count] = '0';
    while (count > 0)
        text += QLatin1Char(reversed[--count]);
}

// "yyyy-MM-ddTHH:mm:ss.zzz,HH:mm:ss" as QDate and QTime write it, written
// directly for the years 1 to 9999 (four digits each): QDate's own formatting
// costs more than the rest of the row.
void AppendDateTimeCells(QString &text, const QDate &date, const QTime &time)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        text += date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T') +
                time.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(',') +
                time.toString(QStringLiteral("HH:mm:ss"));
        return;
    }
    AppendDigits(text, date.year(), 4);
    text += QLatin1Char('-');
    AppendDigits(text, date.month(), 2);
    text += QLatin1Char('-');
    AppendDigits(text, date.day(), 2);
    text += QLatin1Char('T');
    const qsizetype clock = text.size();
    AppendDigits(text, time.hour(), 2);
    text += QLatin1Char(':');
    AppendDigits(text, time.minute(), 2);
    text += QLatin1Char(':');
    AppendDigits(text, time.second(), 2);
    const QString hms = text.mid(clock);
    text += QLatin1Char('.');
    AppendDigits(text, time.msec(), 3);
    text += QLatin1Char(',') + hms;
}

} // namespace

QByteArray FormatProcessedDataCsv(const TKestrinResult &configuration,
                                  const TDataPacketList &packets)
{
    const TFormatSettings point = DecimalPointSettings();
    QStringList headings;
    configuration.ColumnHeadings(headings);
    headings.removeFirst(); // "Raw Time"
    headings.removeFirst(); // "Time"
    QStringList header{QStringLiteral("Date Time"), QStringLiteral("Time")};
    header << headings << QStringLiteral("Dewpt (degC)") << QStringLiteral("Alt (m)")
           << QStringLiteral("Rise (m/min)");

    // One text for the whole table, encoded once.
    QString text = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    text.reserve(qsizetype(packets.size() + 1) * 128);
    for (const TDataPacket &packet : packets) {
        QDate date;
        QTime time;
        SplitDateTime(packet.Time(), date, time);
        AppendDateTimeCells(text, date, time);
        for (int c = 1; c <= KestrinChannels; ++c) {
            if (!IsPresentChannelType(configuration.ChannelType(c)))
                continue;
            const double v = packet.Value(c);
            text += QLatin1Char(',');
            if (!IsNoValue(v) && std::isfinite(v))
                text += FormatGeneral(v, 10, point);
        }
        text += QLatin1Char(',');
        if (packet.HasDewpoint() && std::isfinite(packet.Dewpoint()))
            text += FormatFixed(packet.Dewpoint(), 2, point);
        const bool altitude = packet.HasAltitude() && std::isfinite(packet.Altitude());
        text += QLatin1Char(',');
        if (altitude)
            text += FormatFixed(packet.Altitude(), 1, point);
        text += QLatin1Char(',');
        if (altitude && std::isfinite(packet.RiseRate()))
            text += FormatFixed(packet.RiseRate(), 1, point);
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

void SaveProcessedDataCsv(const QString &fileName, const TKestrinResult &configuration,
                          const TDataPacketList &packets)
{
    WriteExportFile(fileName, FormatProcessedDataCsv(configuration, packets));
}

QByteArray FormatSharppySounding(const TDataPacketList &packets, const TStationIdentity &station)
{
    return FormatSharppyProfile(BuildSoundingProfile(packets), station);
}

void SaveSharppySounding(const QString &fileName, const TDataPacketList &packets,
                         const TStationIdentity &station)
{
    WriteExportFile(fileName, FormatSharppySounding(packets, station));
}
