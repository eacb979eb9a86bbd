#pragma once
// The delivery of the reports as the program sees it: a threaded device
// whose master puts each report into the outbox at once, on the caller's
// thread, so that a crash right after loses nothing, and whose worker
// uploads the pending reports by SFTP in the order they were put, backing
// off after a failure (10 s, 30 s, 1 min, then every 5 min while the
// program runs). A new report or new settings try at once. Reports pending
// from earlier runs go out as soon as settings are given.
#include "devices/DeliverySettings.h"
#include "devices/DeliveryState.h"
#include "devices/Outbox.h"
#include "devices/ThreadedDevice.h"

#include <QByteArray>
#include <QString>
#include <functional>

class TDeliveryManager : public TThreadedDeviceMaster
{
  public:
    // The outbox in `outboxFolder` (TOutbox::DefaultFolder() for the
    // program); EOutboxError when it cannot be made. Sends nothing until
    // Configure is given settings without problems.
    explicit TDeliveryManager(const QString &outboxFolder = TOutbox::DefaultFolder(),
                              TDeliveryTiming timing = TDeliveryTiming(), QObject *owner = nullptr);
    ~TDeliveryManager() override;

    // Where to send; empty settings switch the delivery off (reports stay
    // pending). Settings with problems send nothing, and the state says why.
    void Configure(const TDeliverySettings &settings);
    const TDeliverySettings &Settings() const { return FSettings; }

    // Puts the report into the outbox before it returns, then has the worker
    // try at once. False when that name was already pending or sent with
    // these bytes (nothing is sent twice); EOutboxError for a name that
    // cannot be a file name or a failed write, which leaves the outbox as it
    // was.
    bool Enqueue(const QString &name, const QByteArray &bytes);

    // The latest state from the worker (at first: the outbox's pending
    // reports).
    const TDeliveryState &State() const { return FState; }
    // DeliverySummary of the state, now.
    QString Summary(const std::function<QString(const QString &name)> &label = {}) const;
    const TOutbox &Outbox() const { return FOutbox; }

    // Raised on the user-interface thread when the state has changed.
    std::function<void()> OnStateChanged;

  protected:
    std::unique_ptr<TThreadedDeviceSlave>
    CreateSlave(TThreadedDeviceMessageQueue &commands,
                TThreadedDeviceMessageQueue &results) override;
    void ProcessResults() override;

  private:
    TOutbox FOutbox;
    TDeliveryTiming FTiming;
    TDeliverySettings FSettings;
    TDeliveryState FState;
};
