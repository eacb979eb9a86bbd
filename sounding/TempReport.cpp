#include "sounding/TempReport.h"

#include "foundation/CustomUtilities.h"
#include "sounding/SoundingExport.h"

#include <QDateTime>
#include <QStringList>
#include <cmath>

namespace {

const QString NoGroup = QStringLiteral("/////");

// Half away from zero, as the code tables expect.
long long RoundHalfAway(double v)
{
    return std::llround(v);
}

QString LastDigits(long long value, int digits)
{
    long long modulus = 1;
    for (int i = 0; i < digits; ++i)
        modulus *= 10;
    return QStringLiteral("%1").arg(((value % modulus) + modulus) % modulus, digits, 10,
                                    QLatin1Char('0'));
}

// The standard surfaces of part A (up to 100 hPa) and of part C, with their
// two-figure indicators.
QString SurfaceIndicator(double pressure)
{
    return pressure == 1000.0 ? QStringLiteral("00")
           : pressure == 925.0
               ? QStringLiteral("92")
               : LastDigits(RoundHalfAway(pressure / (pressure >= 100.0 ? 10.0 : 1.0)), 2);
}

// Section 1 of a part: MMMM YYGG/ IIiii, YYGG the nominal time.
QString SectionOne(const char *part, const TSoundingProducts &products,
                   const TStationIdentity &station)
{
    const QDateTime nominal = TempNominalTime(products, station);
    return QStringLiteral("%1 %2%3/ %4")
        .arg(QLatin1String(part))
        .arg(nominal.date().day(), 2, 10, QLatin1Char('0'))
        .arg(nominal.time().hour(), 2, 10, QLatin1Char('0'))
        .arg(station.Number);
}

// The groups of a tropopause: 88PPP TTTDD /////, or 88999 where there is
// none in the part's range.
void AddTropopause(QStringList &groups, const std::optional<TProductLevel> &tropopause, bool upper)
{
    if (tropopause && (upper ? tropopause->Pressure < 100.0 : tropopause->Pressure >= 100.0))
        groups << QStringLiteral("88") + (upper ? TempPressureTenths(tropopause->Pressure)
                                                : TempPressure(tropopause->Pressure))
               << TempTemperatureGroup(*tropopause) << NoGroup;
    else
        groups << QStringLiteral("88999");
}

// The standard surfaces of one range (up to 100 hPa, or above it), the
// tropopause and, there being no wind, 77999.
void AddStandardSurfaces(QStringList &groups, const TSoundingProducts &products, bool upper)
{
    for (const TProductLevel &level : products.Standard)
        if (upper == (level.Pressure < 100.0) && level.Height)
            groups << SurfaceIndicator(level.Pressure) + TempHeight(level.Pressure, *level.Height)
                   << TempTemperatureGroup(level);
    AddTropopause(groups, products.Tropopause, upper);
    groups << QStringLiteral("77999");
}

// Significant levels of one range, numbered 11, 22, ..., 99, 11, ...; the
// surface as 00.
void AddSignificant(QStringList &groups, const TSoundingProducts &products, bool upper)
{
    int number = 0;
    for (const TProductLevel &level : products.Significant) {
        if (upper != (level.Pressure < 100.0))
            continue;
        QString indicator;
        if (level.ProfileIndex == products.Surface->ProfileIndex) {
            indicator = QStringLiteral("00");
        } else {
            number = number % 9 + 1;
            indicator = QString(2, QLatin1Char('0' + number));
        }
        groups << indicator +
                      (upper ? TempPressureTenths(level.Pressure) : TempPressure(level.Pressure))
               << TempTemperatureGroup(level);
    }
}

QString Part(QStringList groups)
{
    groups.last() += QLatin1Char('=');
    return groups.join(QLatin1Char(' '));
}

} // namespace

QString TempPressure(double hPa)
{
    return LastDigits(RoundHalfAway(hPa), 3);
}

QString TempPressureTenths(double hPa)
{
    return LastDigits(RoundHalfAway(hPa * 10.0), 3);
}

QString TempHeight(double pressure, double height)
{
    long long h = RoundHalfAway(pressure >= 700.0 ? height : height / 10.0);
    if (h < 0)
        h = 500 - h;
    return LastDigits(h, 3);
}

QString TempTemperature(double T)
{
    long long tenths = RoundHalfAway(std::fabs(T) * 10.0);
    if ((tenths % 2 == 1) != (T < 0.0))
        ++tenths;
    return LastDigits(tenths, 3);
}

QString TempDewpointDepression(double T, const std::optional<double> &dewpoint)
{
    if (!dewpoint || !std::isfinite(*dewpoint))
        return QStringLiteral("//");
    const double depression = std::max(T - *dewpoint, 0.0);
    const long long tenths = RoundHalfAway(depression * 10.0);
    if (tenths <= 50)
        return LastDigits(tenths, 2);
    const long long whole = RoundHalfAway(depression);
    if (whole <= 5)
        return QStringLiteral("50");
    if (whole <= 49)
        return QString::number(50 + whole);
    return QStringLiteral("//");
}

QString TempTemperatureGroup(const TProductLevel &level)
{
    if (level.BelowGround || !level.Temperature || !std::isfinite(*level.Temperature))
        return NoGroup;
    return TempTemperature(*level.Temperature) +
           TempDewpointDepression(*level.Temperature, level.Dewpoint);
}

QString TempWindGroup(const TProductLevel &level)
{
    if (!level.WindDirection || !level.WindSpeed)
        return NoGroup;
    const long long speed = RoundHalfAway(*level.WindSpeed);
    if (speed == 0)
        return QStringLiteral("00000");
    // ddd to the nearest 5 degrees, north as 360; 500 added for 100 and more.
    long long direction = RoundHalfAway(*level.WindDirection / 5.0) * 5;
    if (direction == 0)
        direction = 360;
    if (speed >= 100)
        direction += 500;
    return LastDigits(direction, 3) + LastDigits(speed, 2);
}

QDateTime TempNominalTime(const TSoundingProducts &products, const TStationIdentity &station)
{
    if (!products.Surface)
        return {};
    const QDateTime launch = LocalDaysToUtc(products.Surface->Time, station).addSecs(30 * 60);
    return QDateTime(launch.date(), QTime(launch.time().hour(), 0), Qt::UTC);
}

std::vector<TTempReportPart> TempReportParts(const TSoundingProducts &products,
                                             const TStationIdentity &station)
{
    RequireSounding(products, "report");
    if (!MissingStationParts(station, srTemp).empty())
        throw ESoundingExportError(
            QStringLiteral("The TEMP report needs the WMO block and station number"));

    std::vector<TTempReportPart> parts;
    QStringList a{SectionOne("TTAA", products, station)};
    a << QStringLiteral("99") + TempPressure(products.Surface->Pressure)
      << TempTemperatureGroup(*products.Surface) << TempWindGroup(*products.Surface);
    AddStandardSurfaces(a, products, false);
    parts.push_back({tpA, Part(a)});

    QStringList b{SectionOne("TTBB", products, station)};
    AddSignificant(b, products, false);
    parts.push_back({tpB, Part(b)});

    if (products.Passed100hPa()) {
        QStringList c{SectionOne("TTCC", products, station)};
        AddStandardSurfaces(c, products, true);
        parts.push_back({tpC, Part(c)});

        QStringList d{SectionOne("TTDD", products, station)};
        AddSignificant(d, products, true);
        parts.push_back({tpD, Part(d)});
    }
    return parts;
}

QByteArray FormatTempReport(const TSoundingProducts &products, const TStationIdentity &station)
{
    QStringList parts;
    for (const TTempReportPart &part : TempReportParts(products, station))
        parts << part.Text;
    return (parts.join(QStringLiteral("\r\n\r\n")) + QStringLiteral("\r\n")).toLatin1();
}
