#include "pipeline/SoundingExport.h"

#include "devices/KestrinLibrary.h"
#include "foundation/CustomUtilities.h"
#include "pipeline/SoundingAnalysis.h"

#include <QDate>
#include <QDateTime>
#include <QSaveFile>
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

TFormatSettings DecimalPointSettings()
{
    TFormatSettings settings;
    settings.DecimalSeparator = QLatin1Char('.');
    return settings;
}

void WriteExportFile(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EFileError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EFileError(QStringLiteral("Cannot write %1: %2").arg(fileName, reason));
    }
    if (!file.commit())
        throw EFileError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
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

QString StationIdentifier(const QString &station)
{
    QString id;
    for (QChar c : station)
        if (c.unicode() > 0x20 && c.unicode() < 0x7F && c != QLatin1Char(','))
            id += c;
    return id.isEmpty() ? QStringLiteral("VNTRL") : id;
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

QByteArray FormatSharppySounding(const TDataPacketList &packets, const QString &station)
{
    const TSoundingProfile profile = BuildSoundingProfile(packets);
    if (profile.empty())
        throw ESoundingExportError(QStringLiteral(
            "There is no sounding to export: no frame has a valid pressure and temperature"));

    const QDateTime utc = DaysToDateTime(profile.front().Time).toUTC();

    const TFormatSettings point = DecimalPointSettings();
    auto field = [&](double v, int width) {
        return FormatFixed(v, 2, point).rightJustified(width, QLatin1Char(' '));
    };
    const QString missing = field(-9999.0, 10);

    QString text;
    text += QStringLiteral("%TITLE%\n");
    text += QLatin1Char(' ') + StationIdentifier(station) + QStringLiteral("   ") +
            utc.toString(QStringLiteral("yyMMdd/HHmm")) + QLatin1Char('\n');
    text += QLatin1Char('\n');
    const QString columns =
        QStringLiteral("   LEVEL       HGHT       TEMP       DWPT       WDIR       WSPD");
    text += columns + QLatin1Char('\n');
    text += QString(columns.size(), QLatin1Char('-')) + QLatin1Char('\n');
    text += QStringLiteral("%RAW%\n");
    qint64 lastP = 0;
    qint64 lastZ = 0;
    bool first = true;
    for (const TSoundingLevel &level : profile) {
        // Compare what will be written, in hundredths.
        const qint64 p = std::llround(level.Pressure * 100.0);
        const qint64 z = std::llround(level.Altitude * 100.0);
        if (!first && !(p < lastP && z > lastZ))
            continue;
        first = false;
        lastP = p;
        lastZ = z;
        text += field(level.Pressure, 8) + QLatin1Char(',') + field(level.Altitude, 10) +
                QLatin1Char(',') + field(level.Temperature, 10) + QLatin1Char(',') +
                (level.HasDewpoint ? field(level.Dewpoint, 10) : missing) + QLatin1Char(',') +
                missing + QLatin1Char(',') + missing + QLatin1Char('\n');
    }
    text += QStringLiteral("%END%\n");
    return text.toUtf8();
}

void SaveSharppySounding(const QString &fileName, const TDataPacketList &packets,
                         const QString &station)
{
    WriteExportFile(fileName, FormatSharppySounding(packets, station));
}
