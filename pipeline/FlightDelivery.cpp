#include "pipeline/FlightDelivery.h"

#include "foundation/FileTransaction.h"
#include "pipeline/StationSettingsXml.h"
#include "sounding/TempReport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <map>
#include <set>

namespace {

const QString SettingsRoot = QStringLiteral("VentrelDelivery");

// The ledger's word for a report (no blanks, one per line).
QString ReportToken(TFlightReport report)
{
    return QString(FlightReportName(report)).remove(QStringLiteral("TEMP "));
}

struct TIssue
{
    QString Bbb;  // "" for the first issue
    QString Hash; // SHA-1 of the report's content as issued
};
struct TLedger
{
    std::map<TFlightReport, TIssue> Issues;
    // The automatic deliveries done for the ascent ("first": A and B,
    // "all"), so that a restarted program does not deliver them again.
    std::set<QString> Stages;
};

// Each line "REPORT HASH [BBB]"; a line this program did not write is
// passed over, so that a damaged ledger at worst issues a report again.
TLedger ReadLedger(const QString &path)
{
    TLedger ledger;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ledger;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '));
        if (words.size() == 2 && words[0] == QLatin1String("STAGE"))
            ledger.Stages.insert(words[1]);
        if (words.size() < 2 || words.size() > 3)
            continue;
        for (size_t r = 0; r < FlightReportCount; ++r)
            if (ReportToken(TFlightReport(r)) == words[0])
                ledger.Issues[TFlightReport(r)] = {words.value(2), words[1]};
    }
    return ledger;
}

void WriteLedger(const QString &path, const TLedger &ledger)
{
    QByteArray bytes;
    for (const QString &stage : ledger.Stages)
        bytes += QStringLiteral("STAGE %1\n").arg(stage).toLatin1();
    for (const auto &[report, issue] : ledger.Issues)
        bytes += (QStringList{ReportToken(report), issue.Hash, issue.Bbb}
                      .join(QLatin1Char(' '))
                      .trimmed() +
                  QLatin1Char('\n'))
                     .toLatin1();
    WriteFileSafely(path, bytes);
}

// Outbox files are its own: a failure to write one is the outbox's.
template <class TWrite> void OutboxWrite(TWrite write)
{
    try {
        write();
    } catch (const EFileError &e) {
        throw EOutboxError(e.Message());
    }
}

QString AscentKey(const TSoundingProducts &products, const TStationIdentity &station)
{
    return station.Number + QLatin1Char('-') +
           TempNominalTime(products, station).toString(QStringLiteral("yyyyMMddHH"));
}

bool Has(const std::vector<TFlightReport> &reports, TFlightReport report)
{
    return std::find(reports.begin(), reports.end(), report) != reports.end();
}

} // namespace

QStringList FlightDeliveryProblems(const TFlightDeliverySettings &settings)
{
    QStringList problems = DeliverySettingsProblems(settings.Server);
    if (!settings.Server.IsEmpty() || settings.Automatic || !settings.Origin.IsEmpty())
        problems << BulletinOriginProblems(settings.Origin);
    if (settings.Automatic && settings.Server.IsEmpty())
        problems << QStringLiteral("Automatic delivery needs a server to send to.");
    return problems;
}

QString BulletinLabel(const QString &fileName)
{
    // A_T1T2A1A2iiCCCCYYGGgg[BBB]_C_...
    const QString heading = fileName.section(QLatin1Char('_'), 1, 1);
    if (!fileName.startsWith(QStringLiteral("A_")) ||
        (heading.size() != 16 && heading.size() != 19))
        return fileName;
    static const std::pair<const char *, const char *> Kinds[] = {
        {"US", "TEMP A"}, {"UK", "TEMP B"}, {"UL", "TEMP C"}, {"UE", "TEMP D"}, {"IU", "BUFR"}};
    for (const auto &[t1t2, label] : Kinds)
        if (heading.startsWith(QLatin1String(t1t2)))
            return QLatin1String(label) +
                   (heading.size() == 19 ? QLatin1Char(' ') + heading.right(3) : QString());
    return fileName;
}

TFlightDelivery::TFlightDelivery(const QString &outboxFolder, TDeliveryTiming timing)
    : FFolder(outboxFolder),
      FManager(std::make_unique<TDeliveryManager>(outboxFolder, std::move(timing)))
{
    FManager->OnStateChanged = [this] {
        if (OnStateChanged)
            OnStateChanged();
    };
    if (!QFile::exists(SettingsFile()))
        return;
    try {
        const QDomDocument document = ReadOwnDocument(SettingsFile(), SettingsRoot,
                                                      QStringLiteral("a delivery settings file"));
        TFlightDeliverySettings settings;
        settings.Server = LoadDeliveryFromXml(document.documentElement());
        LoadBulletinsFromXml(document.documentElement(), settings.Origin, settings.Automatic);
        FSettings = settings;
        FManager->Configure(FSettings.Server);
    } catch (const EVentrelError &e) {
        FAutomaticProblem = QStringLiteral("The delivery settings in %1 cannot be read (%2)")
                                .arg(QDir::toNativeSeparators(SettingsFile()), e.Message());
    }
}

TFlightDelivery::~TFlightDelivery() = default;

QString TFlightDelivery::LedgerFile(const TSoundingProducts &products,
                                    const TStationIdentity &station) const
{
    const QString ascents = QDir(FFolder).filePath(QStringLiteral("ascents"));
    if (!QDir().mkpath(ascents))
        throw EOutboxError(
            QStringLiteral("Cannot make the folder %1").arg(QDir::toNativeSeparators(ascents)));
    return QDir(ascents).filePath(AscentKey(products, station));
}

QString TFlightDelivery::SettingsFile() const
{
    return QDir(FFolder).filePath(QStringLiteral("delivery.xml"));
}

void TFlightDelivery::SetSettings(const TFlightDeliverySettings &settings)
{
    if (settings.IsEmpty()) {
        if (QFile::exists(SettingsFile()) && !QFile::remove(SettingsFile()))
            throw EOutboxError(
                QStringLiteral("Cannot remove %1").arg(QDir::toNativeSeparators(SettingsFile())));
    } else {
        QDomDocument document = NewOwnDocument(SettingsRoot);
        QDomElement root = document.documentElement();
        SaveDeliveryToXml(settings.Server, root);
        SaveBulletinsToXml(settings.Origin, settings.Automatic, root);
        OutboxWrite([&] { WriteFileSafely(SettingsFile(), document.toByteArray(1)); });
    }
    FSettings = settings;
    FAutomaticProblem.clear();
    FManager->Configure(FSettings.Server);
}

QStringList TFlightDelivery::Send(const TSoundingProducts &products,
                                  const TStationIdentity &station, double stationHeight,
                                  const std::vector<TFlightReport> &reports)
{
    // wis2box takes BUFR alone: its pipelines publish no TEMP.
    const bool objectStore = FSettings.Server.UploadDirectly;
    if (!MissingStationParts(station, srTemp).empty())
        throw EBulletinError(QStringLiteral("The reports name the station: enter its WMO block "
                                            "and station number and press Set Station first."));
    const std::vector<TFlightReport> available = AvailableReports(products, station);
    TBulletinRequest request;
    request.Destination = objectStore ? bdWis2box : bdMessageSwitch;
    std::vector<TFlightReport> wanted;
    for (TFlightReport report : reports)
        if (Has(available, report) && (!objectStore || report == frBufr))
            wanted.push_back(report);
    if (wanted.empty())
        throw EBulletinError(objectStore && !Has(reports, frBufr)
                                 ? QStringLiteral("A WIS 2.0 node takes the BUFR report alone.")
                                 : QStringLiteral("These reports cannot be made from the "
                                                  "flight yet."));

    const QString ledgerFile = LedgerFile(products, station);
    TLedger ledger = ReadLedger(ledgerFile);
    std::map<TFlightReport, QString> hashes;
    for (TFlightReport report : wanted) {
        const QByteArray content = ReportContent(products, station, stationHeight, report);
        const QString hash = QString::fromLatin1(
            QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex());
        const auto issued = ledger.Issues.find(report);
        if (issued != ledger.Issues.end() && issued->second.Hash == hash)
            continue;
        request.Corrections[report] =
            issued == ledger.Issues.end() ? QString() : NextCorrection(issued->second.Bbb);
        request.Reports.push_back(report);
        hashes[report] = hash;
    }
    if (request.Reports.empty())
        return {};

    const QString sequenceFile = QDir(FFolder).filePath(QStringLiteral("sequence"));
    QFile sequence(sequenceFile);
    if (sequence.open(QIODevice::ReadOnly))
        request.FirstSequenceNumber = sequence.readAll().trimmed().toUInt() % 1000;
    const std::vector<TBulletinFile> bulletins =
        FlightBulletins(products, station, stationHeight, FSettings.Origin, request);

    QStringList put;
    for (const TBulletinFile &bulletin : bulletins) {
        FManager->Enqueue(bulletin.FileName, bulletin.Bytes);
        ledger.Issues[bulletin.Report] = {request.Corrections[bulletin.Report],
                                          hashes[bulletin.Report]};
        OutboxWrite([&] {
            WriteLedger(ledgerFile, ledger);
            WriteFileSafely(
                sequenceFile,
                QByteArray::number((request.FirstSequenceNumber + put.size() + 1) % 1000));
        });
        put << BulletinLabel(bulletin.FileName);
    }
    return put;
}

void TFlightDelivery::ProductsArrived(const TSoundingProducts &products,
                                      const TStationIdentity &station, double stationHeight)
{
    if (!FSettings.Automatic || FSettings.Server.IsEmpty())
        return;
    if (AvailableReports(products, station).empty())
        return;
    const bool ended = products.Flight.Termination.has_value();
    try {
        const QString ledgerFile = LedgerFile(products, station);
        const std::set<QString> done = ReadLedger(ledgerFile).Stages;
        const bool first = done.count(QStringLiteral("first")) > 0;
        QString stage;
        if (ended && !done.count(QStringLiteral("all"))) {
            std::vector<TFlightReport> rest{frTempC, frTempD, frBufr};
            if (!first)
                rest.insert(rest.begin(), {frTempA, frTempB});
            Send(products, station, stationHeight, rest);
            stage = QStringLiteral("all");
        } else if (!ended && products.Passed100hPa() && !first) {
            if (!FSettings.Server.UploadDirectly)
                Send(products, station, stationHeight, {frTempA, frTempB});
            stage = QStringLiteral("first");
        }
        if (!stage.isEmpty()) {
            TLedger ledger = ReadLedger(ledgerFile);
            ledger.Stages.insert(stage);
            OutboxWrite([&] { WriteLedger(ledgerFile, ledger); });
        }
        FAutomaticProblem.clear();
    } catch (const EVentrelError &e) {
        FAutomaticProblem = QStringLiteral("Automatic delivery failed: ") + e.Message();
    }
    if (OnStateChanged)
        OnStateChanged();
}

QString TFlightDelivery::Summary() const
{
    const QString state = FManager->Summary(BulletinLabel);
    if (FAutomaticProblem.isEmpty())
        return state;
    return state.isEmpty() ? FAutomaticProblem : FAutomaticProblem + QStringLiteral("; ") + state;
}

const TDeliveryState &TFlightDelivery::State() const
{
    return FManager->State();
}
