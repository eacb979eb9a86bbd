#include "sounding/FlightBulletins.h"

#include "sounding/SoundingBufr.h"
#include "sounding/SoundingExport.h"
#include "sounding/TempReport.h"

#include <QRegularExpression>
#include <optional>

namespace {

// WMO-No. 386, Attachment II-5, Table B1 (T1 = U, upper-air data): T2 = S,
// K, L, E for "upper-level pressure, temperature, humidity and wind" in
// parts A, B, C and D of FM 35 TEMP.
const char *const TempDataTypes[] = {"US", "UK", "UL", "UE"};

// Attachment II-5, Table A: T1 = I, observational data in BUFR, T2 from Table B3 (U, upper
// air), A1 from Table C6, A2 from Table C3. Table C6 for T1T2 = IU:
//   "IU K 01-19 Radio soundings from fixed land stations (up to 100 hPa)
//    TEMP (parts A, B) 002/004"
//   "IU S 01-19 Radiosondes/pibal reports from fixed land stations (entire
//    sounding) TEMP (parts A, B, C, D) 002/004"
// The high-resolution report holds the whole ascent, so IUS, with ii in the
// range of fixed land stations; its data category 002/004 is the message's.
const char *const BufrDataType = "IUS";
constexpr int BufrLastIi = 19;

bool Matches(const char *pattern, const QString &text)
{
    return QRegularExpression(QLatin1String(pattern)).match(text).hasMatch();
}

QString AreaProblem(const QString &a1a2)
{
    // WMO-No. 386, Attachment II-5, Table C1: two letters for the country or territory of the
    // stations.
    return Matches("^[A-Z]{2}$", a1a2)
               ? QString()
               : QStringLiteral("The geographical designator of the headings (A1A2) must be two "
                                "capital letters, for example UK, not \"%1\".")
                     .arg(a1a2);
}

QString IiProblem(const QString &ii)
{
    return Matches("^(0[1-9]|[1-9][0-9])$", ii)
               ? QString()
               : QStringLiteral("The bulletin number ii must be two digits from 01 to 99, not "
                                "\"%1\".")
                     .arg(ii);
}

QString CentreProblem(const QString &centre)
{
    return Matches("^[A-Z]{4}$", centre)
               ? QString()
               : QStringLiteral("The originating centre (CCCC) must be a four-letter location "
                                "indicator, for example EGRR, not \"%1\".")
                     .arg(centre);
}

bool IsTemp(TFlightReport report)
{
    return report != frBufr;
}

const TTempReportPart *FindPart(const std::vector<TTempReportPart> &parts, TFlightReport report)
{
    for (const TTempReportPart &part : parts)
        if (int(part.Part) == int(report))
            return &part;
    return nullptr;
}

QByteArray TempContent(const std::vector<TTempReportPart> &parts, TFlightReport report)
{
    const TTempReportPart *part = FindPart(parts, report);
    if (!part)
        throw EBulletinError(
            QStringLiteral("%1 needs an ascent above 100 hPa").arg(FlightReportName(report)));
    return BulletinText(part->Text);
}

} // namespace

QStringList BulletinOriginProblems(const TBulletinOrigin &origin)
{
    QStringList problems;
    for (const QString &problem :
         {AreaProblem(origin.A1A2), IiProblem(origin.Ii), CentreProblem(origin.Centre)})
        if (!problem.isEmpty())
            problems << problem;
    return problems;
}

TBulletinOrigin ParseBulletinOrigin(const QString &a1a2ii, const QString &centre)
{
    const QString heading = a1a2ii.trimmed().toUpper();
    if (heading.size() != 4)
        throw EBulletinError(QStringLiteral("The heading must be A1A2ii, two letters and two "
                                            "digits such as UK01, not \"%1\".")
                                 .arg(a1a2ii));
    const TBulletinOrigin origin{heading.left(2), heading.mid(2), centre.trimmed().toUpper()};
    const QStringList problems = BulletinOriginProblems(origin);
    if (!problems.isEmpty())
        throw EBulletinError(problems.join(QLatin1Char(' ')));
    return origin;
}

QString FlightReportName(TFlightReport report)
{
    if (report == frBufr)
        return QStringLiteral("BUFR");
    return QStringLiteral("TEMP ") + QLatin1Char(char('A' + int(report)));
}

std::vector<TFlightReport> AvailableReports(const TSoundingProducts &products,
                                            const TStationIdentity &station)
{
    std::vector<TFlightReport> reports;
    if (!products.Surface || !StationNumberProblem(station.Number).isEmpty())
        return reports;
    reports = {frTempA, frTempB};
    if (products.Passed100hPa())
        reports.insert(reports.end(), {frTempC, frTempD});
    if (station.HasPosition())
        reports.push_back(frBufr);
    return reports;
}

QChar BufrAreaDesignator(double latitude, double longitude)
{
    // WMO-No. 386, Attachment II-5, Table C3: the quadrants of each hemisphere by longitude.
    const int quadrant = longitude < -90.0 ? 1 : longitude < 0.0 ? 0 : longitude < 90.0 ? 3 : 2;
    return QLatin1Char(char((latitude >= 0.0 ? 'A' : 'I') + quadrant));
}

QString ReportDesignators(TFlightReport report, const TBulletinOrigin &origin,
                          const TStationIdentity &station)
{
    const QStringList problems = BulletinOriginProblems(origin);
    if (!problems.isEmpty())
        throw EBulletinError(problems.join(QLatin1Char(' ')));
    if (IsTemp(report))
        return QLatin1String(TempDataTypes[report]) + origin.A1A2 + origin.Ii;
    if (origin.Ii.toInt() > BufrLastIi)
        throw EBulletinError(
            QStringLiteral("The BUFR heading of a fixed land station takes ii from 01 to 19, "
                           "not %1.")
                .arg(origin.Ii));
    if (!station.HasPosition())
        throw EBulletinError(
            QStringLiteral("The BUFR heading needs the station's latitude and longitude."));
    return QLatin1String(BufrDataType) + BufrAreaDesignator(*station.Latitude, *station.Longitude) +
           origin.Ii;
}

QByteArray ReportContent(const TSoundingProducts &products, const TStationIdentity &station,
                         double stationHeight, TFlightReport report)
{
    if (IsTemp(report))
        return TempContent(TempReportParts(products, station), report);
    return EncodeSoundingBufr(products, station, stationHeight);
}

std::vector<TBulletinFile> FlightBulletins(const TSoundingProducts &products,
                                           const TStationIdentity &station, double stationHeight,
                                           const TBulletinOrigin &origin,
                                           const TBulletinRequest &request)
{
    const QStringList problems = BulletinOriginProblems(origin);
    if (!problems.isEmpty())
        throw EBulletinError(problems.join(QLatin1Char(' ')));
    if (const QString problem = StationNumberProblem(station.Number); !problem.isEmpty())
        throw EBulletinError(problem);
    // WMO-No. 386, Part II, 2.3.2: YYGGgg of bulletins of reports made for a
    // standard time of observation is that time; a sounding's is the nominal
    // time its TEMP gives as YYGG, the minutes 00.
    const QDateTime nominal = TempNominalTime(products, station);
    if (!nominal.isValid())
        throw ESoundingExportError(QStringLiteral(
            "There is no sounding to report: no frame has a valid pressure and temperature"));

    std::optional<std::vector<TTempReportPart>> parts;
    std::array<bool, FlightReportCount> seen{};
    std::vector<TBulletinFile> bulletins;
    bulletins.reserve(request.Reports.size());
    for (const TFlightReport report : request.Reports) {
        if (size_t(report) >= FlightReportCount)
            throw EBulletinError(QStringLiteral("There is no report %1").arg(int(report)));
        if (seen[report])
            throw EBulletinError(
                QStringLiteral("%1 was asked for twice").arg(FlightReportName(report)));
        seen[report] = true;

        TBulletinFile bulletin;
        bulletin.Report = report;
        const QString &bbb = request.Corrections[report];
        const int correction = CorrectionNumber(bbb);
        bulletin.Heading = {ReportDesignators(report, origin, station), origin.Centre, nominal,
                            bbb};
        QByteArray content;
        if (IsTemp(report)) {
            if (!parts)
                parts = TempReportParts(products, station);
            content = TempContent(*parts, report);
        } else {
            content = EncodeSoundingBufr(products, station, stationHeight, correction);
        }
        bulletin.Bytes = WmoMessage(bulletin.Heading, content,
                                    request.FirstSequenceNumber + uint32_t(bulletins.size()),
                                    request.SequenceLength);
        const TBulletinFileType type = IsTemp(report)                     ? bfText
                                       : request.Destination == bdWis2box ? bfBufr4
                                                                          : bfBinary;
        bulletin.FileName = BulletinFileName(bulletin.Heading, type);
        bulletins.push_back(std::move(bulletin));
    }
    return bulletins;
}
