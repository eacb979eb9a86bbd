#include "sounding/SoundingExport.h"

#include <QDateTime>
#include <cmath>

namespace {

QString StationIdentifier(const QString &station)
{
    QString id;
    for (QChar c : station)
        if (c.unicode() > 0x20 && c.unicode() < 0x7F && c != QLatin1Char(','))
            id += c;
    return id.isEmpty() ? QStringLiteral("VNTRL") : id;
}

} // namespace

void RequireSounding(const TSoundingProducts &products, const char *verb)
{
    if (products.Surface)
        return;
    if (!products.Flight.Problem.isEmpty())
        throw ESoundingExportError(products.Flight.Problem);
    throw ESoundingExportError(
        QStringLiteral("There is no sounding to %1: no frame has a valid pressure and temperature")
            .arg(QLatin1String(verb)));
}

TFormatSettings DecimalPointSettings()
{
    TFormatSettings settings;
    settings.DecimalSeparator = QLatin1Char('.');
    return settings;
}

QByteArray FormatSharppyProfile(const TSoundingProfile &profile, const TStationIdentity &station)
{
    if (profile.empty())
        throw ESoundingExportError(QStringLiteral(
            "There is no sounding to export: no frame has a valid pressure and temperature"));

    const QDateTime utc = LocalDaysToUtc(profile.front().Time, station);

    const TFormatSettings point = DecimalPointSettings();
    auto field = [&](double v, int width) {
        return FormatFixed(v, 2, point).rightJustified(width, QLatin1Char(' '));
    };
    const QString missing = field(-9999.0, 10);

    QString text;
    text += QStringLiteral("%TITLE%\n");
    text += QLatin1Char(' ') + StationIdentifier(station.Number) + QStringLiteral("   ") +
            utc.toString(QStringLiteral("yyMMdd/HHmm"));
    if (station.HasPosition())
        text += QStringLiteral("   ") + FormatFixed(*station.Latitude, 4, point) +
                QLatin1Char(',') + FormatFixed(*station.Longitude, 4, point);
    text += QLatin1Char('\n');
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
