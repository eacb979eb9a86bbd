#pragma once
// The delivery of a flight's reports: which reports go out when, as which
// bulletins, and whether a report issued again is a correction. The outbox
// and the upload are TDeliveryManager's; beside them in the outbox folder
// this keeps what a restart must not forget:
//   delivery.xml  the settings last given, so that reports pending from an
//                 earlier run go out as soon as the program starts;
//   sequence      the next transmission sequence number;
//   ascents/      per ascent (IIiii-yyyyMMddHH, the station and the nominal
//                 time), what each report said when it was last issued and
//                 under which BBB, so that the same report is never issued
//                 twice and a changed one goes out as CCA, CCB, ...
#include "devices/DeliveryManager.h"
#include "devices/DeliverySettings.h"
#include "sounding/FlightBulletins.h"
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

struct TFlightDeliverySettings
{
    TDeliverySettings Server;
    TBulletinOrigin Origin;
    // TEMP A and B go out once the ascent has passed 100 hPa, C, D and the
    // BUFR at its termination, without the operator.
    bool Automatic = false;

    bool IsEmpty() const { return Server.IsEmpty() && Origin.IsEmpty() && !Automatic; }
    bool operator==(const TFlightDeliverySettings &) const = default;
};

// Every problem of the settings for the operator, one sentence each: the
// server's, then the headings'. None for empty settings (delivery off).
QStringList FlightDeliveryProblems(const TFlightDeliverySettings &settings);

// "TEMP A" ... "BUFR" for a bulletin's file name; the name itself when it is
// not one of a flight's bulletins.
QString BulletinLabel(const QString &fileName);

class TFlightDelivery
{
  public:
    // The outbox in `outboxFolder`, with the settings kept there. Raises
    // EOutboxError when the folder cannot be made.
    explicit TFlightDelivery(const QString &outboxFolder = TOutbox::DefaultFolder(),
                             TDeliveryTiming timing = TDeliveryTiming());
    ~TFlightDelivery();

    const TFlightDeliverySettings &Settings() const { return FSettings; }
    // Keeps the settings (in delivery.xml as well) and hands the server to
    // the upload. EOutboxError when they cannot be kept; nothing changes then.
    void SetSettings(const TFlightDeliverySettings &settings);

    // Puts the bulletins of those of `reports` that the products allow into
    // the outbox, under their WMO names: first issues, or corrections of
    // reports whose content has changed since they were issued. A report
    // issued with this content already is not issued again, and a WIS 2.0
    // node (an object store) takes the BUFR alone. Returns the labels of the
    // bulletins put. EBulletinError (and what the report makers raise) with
    // one sentence when the settings or the products do not allow it, and
    // EOutboxError when the outbox cannot be written; what was put before
    // stays put.
    QStringList Send(const TSoundingProducts &products, const TStationIdentity &station,
                     double stationHeight, const std::vector<TFlightReport> &reports);

    // Newer products of the flight being received. With automatic delivery
    // on, sends TEMP A and B once the ascent has passed 100 hPa, and what is
    // left at its termination, each once per ascent, also across restarts.
    // A failure is kept for the summary, not raised, and tried again with
    // the next products.
    void ProductsArrived(const TSoundingProducts &products, const TStationIdentity &station,
                         double stationHeight);

    // The delivery in one line for the operator ("TEMP A, B sent 11:47:12
    // UTC; ..."), the last automatic failure first.
    QString Summary() const;
    const TDeliveryState &State() const;

    // Raised on the user-interface thread when the delivery's state changed.
    std::function<void()> OnStateChanged;

  private:
    QString SettingsFile() const;
    // The ascent's ledger; EOutboxError when its folder cannot be made.
    QString LedgerFile(const TSoundingProducts &products, const TStationIdentity &station) const;
    TFlightDeliverySettings FSettings;
    QString FFolder;
    std::unique_ptr<TDeliveryManager> FManager;
    QString FAutomaticProblem;
};
