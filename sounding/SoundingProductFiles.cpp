#include "sounding/SoundingProductFiles.h"

#include "foundation/CustomUtilities.h"
#include "sounding/SoundingExport.h"

#include <QStringList>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Fixed-point with a decimal point; never "-0.0", which would read as a
// different value to a person.
QString Number(double value, int decimals)
{
    static const TFormatSettings point = DecimalPointSettings();
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0;
    return FormatFixed(value, decimals, point);
}

QString Cell(const std::optional<double> &value, int decimals)
{
    return value && std::isfinite(*value) ? Number(*value, decimals) : QString();
}

QString Row(const char *kind, const TProductLevel &level)
{
    return QStringList{QLatin1String(kind),     Number(level.Pressure, 1),
                       Cell(level.Height, 0),   Cell(level.Temperature, 1),
                       Cell(level.Dewpoint, 1), Cell(level.Humidity, 1)}
        .join(QLatin1Char(','));
}

QString Json(const std::optional<double> &value, int decimals)
{
    return value && std::isfinite(*value) ? Number(*value, decimals) : QStringLiteral("null");
}

QString JsonString(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c.unicode() < 0x20)
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + QLatin1Char('"');
}

// An angle as given, without trailing zeros (at most six decimals, a tenth
// of a metre).
QString JsonAngle(const std::optional<double> &degrees)
{
    if (!degrees)
        return QStringLiteral("null");
    QString text = Number(*degrees, 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

template <class T> std::optional<double> Pressure(const std::optional<T> &level)
{
    return level ? std::optional<double>(level->Pressure) : std::nullopt;
}

} // namespace

QByteArray FormatLevelsCsv(const TSoundingProducts &products)
{
    RequireSounding(products, "export");
    QByteArray out =
        "kind,pressure_hPa,height_m,temperature_C,dewpoint_C,relative_humidity_pct\r\n";
    auto add = [&](const char *kind, const TProductLevel &level) {
        out += Row(kind, level).toLatin1() + "\r\n";
    };
    add("surface", *products.Surface);
    for (const TProductLevel &level : products.Standard)
        add("standard", level);
    for (const TProductLevel &level : products.Significant)
        add("significant", level);
    if (products.Tropopause)
        add("tropopause", *products.Tropopause);
    return out;
}

QByteArray FormatSoundingSummary(const TSoundingProducts &products, const TStationIdentity &station)
{
    RequireSounding(products, "export");
    const TSoundingAnalysis &analysis = products.Analysis;
    const TProductLevel &surface = *products.Surface;
    const TFlightSummary &flight = products.Flight;
    const TScreeningCounts &screened = products.Screening.Counts;
    QStringList gapList;
    for (const TProductGap &gap : products.Screening.Gaps)
        gapList << QStringLiteral("{\"from_hPa\": %1, \"to_hPa\": %2, \"what\": \"%3\"}")
                       .arg(Number(gap.BottomPressure, 1), Number(gap.TopPressure, 1),
                            gap.What == gkTemperature ? QStringLiteral("temperature")
                                                      : QStringLiteral("humidity"));
    const QString gaps = QLatin1Char('[') + gapList.join(QStringLiteral(", ")) + QLatin1Char(']');
    // The launch is the release, the surface level's time.
    const QString launch =
        LocalDaysToUtc(surface.Time, station).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
        QLatin1Char('Z');
    const QString release = flight.Release ? JsonString(ReleaseSourceText(flight.Release->Source))
                                           : QStringLiteral("null");
    const QString termination = flight.Termination ? QString::number(int(flight.Termination->Code))
                                                   : QStringLiteral("null");
    const QString terminationText = flight.Termination
                                        ? JsonString(TerminationText(flight.Termination->Code))
                                        : QStringLiteral("null");
    auto height = [](const auto &level) {
        return level ? std::optional<double>(level->Altitude) : std::nullopt;
    };

    const std::vector<std::pair<const char *, QString>> fields{
        {"station", station.Number.isEmpty() ? QStringLiteral("null") : JsonString(station.Number)},
        {"latitude", JsonAngle(station.Latitude)},
        {"longitude", JsonAngle(station.Longitude)},
        {"launch_time_utc", JsonString(launch)},
        {"release", release},
        {"ground_minutes", Number(flight.GroundMinutes, 1)},
        {"surface_source",
         JsonString(flight.SurfaceSource == ssObservation ? QStringLiteral("observation")
                                                          : QStringLiteral("sonde"))},
        {"sonde_pressure_offset_hPa", Json(flight.SondePressureOffset, 1)},
        {"surface", QStringLiteral("{\"pressure_hPa\": %1, \"height_m\": %2, \"temperature_C\": "
                                   "%3, \"dewpoint_C\": %4}")
                        .arg(Number(surface.Pressure, 1), Json(surface.Height, 0),
                             Json(surface.Temperature, 1), Json(surface.Dewpoint, 1))},
        {"highest_pressure_hPa", Json(Pressure(products.Highest), 1)},
        {"highest_height_m", Json(products.Highest->Height, 0)},
        {"termination", termination},
        {"termination_text", terminationText},
        {"burst_pressure_hPa",
         Json(flight.Burst ? std::optional<double>(flight.Burst->Pressure) : std::nullopt, 1)},
        {"burst_height_m", Json(flight.BurstHeight, 0)},
        {"lcl_hPa", Json(Pressure(analysis.Lcl), 1)},
        {"lfc_hPa", Json(Pressure(analysis.Lfc), 1)},
        {"el_hPa", Json(Pressure(analysis.El), 1)},
        {"cape_J_kg", Json(analysis.Cape, 0)},
        {"cin_J_kg", Json(analysis.Cin, 0)},
        {"precipitable_water_mm", Json(analysis.PrecipitableWater, 1)},
        {"freezing_level_m", Json(height(analysis.FreezingLevel), 0)},
        {"tropopause_hPa", Json(Pressure(products.Tropopause), 1)},
        {"tropopause_m", Json(products.Tropopause ? products.Tropopause->Height : std::nullopt, 0)},
        {"lifted_index", Json(products.LiftedIndex, 1)},
        {"showalter_index", Json(products.ShowalterIndex, 1)},
        {"k_index", Json(products.KIndex, 1)},
        {"total_totals", Json(products.TotalTotals, 1)},
        {"screened", QStringLiteral("{\"pressure\": %1, \"temperature\": %2, \"humidity\": %3, "
                                    "\"humidity_capped\": %4}")
                         .arg(screened.Pressure)
                         .arg(screened.Temperature)
                         .arg(screened.Humidity)
                         .arg(screened.HumidityCapped)},
        {"gaps", gaps},
    };
    QString text = QStringLiteral("{\n");
    for (size_t i = 0; i < fields.size(); ++i)
        text += QStringLiteral("  \"%1\": %2%3\n")
                    .arg(QLatin1String(fields[i].first), fields[i].second,
                         i + 1 < fields.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral("}\n");
    return text.toUtf8();
}
