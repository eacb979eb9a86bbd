#pragma once
// The worker half of the delivery: sends the outbox's pending reports in
// order, one SFTP upload after the other, moves each confirmed one to sent/,
// and backs off after a failed round. Never waits on anything but the
// server, and gives an upload up when the program ends.
#include "devices/DeliverySettings.h"
#include "devices/DeliveryState.h"
#include "devices/Outbox.h"
#include "devices/SftpUploader.h"
#include "devices/ThreadedDevice.h"

#include <memory>

class TDeliverySlave : public TThreadedDeviceSlave
{
  public:
    // Commands: new settings (TDeliverySettingsWrapper); a report was put
    // (TStringWrapper: its name), try at once. Result: the whole state
    // (TDeliveryStateWrapper) whenever it changed.
    enum : int32_t
    {
        dcConfigure = 0,
        dcWake = 1
    };
    enum : int32_t
    {
        drState = 1
    };

    TDeliverySlave(TThreadedDeviceMessageQueue &commands, TThreadedDeviceMessageQueue &results,
                   const QString &outboxFolder, TDeliveryTiming timing);

  protected:
    void ProcessCommands() override;

  private:
    void Configure(const TDeliverySettings &settings);
    void Know(const QString &name);
    // Brings the list of reports in line with the outbox.
    void Refresh();
    // One pass over the pending reports, in order.
    void SendRound();
    TDeliveryFileState &FileState(const QString &name);
    void PostState();
    void LogAttempt(const QDateTime &time, const QString &name, const QString &result);

    TOutbox FOutbox;
    TDeliveryTiming FTiming;
    TDeliverySettings FSettings;
    std::unique_ptr<TSftpUploader> FUploader;
    TDeliveryState FState;
    TDeliveryState FPosted;
    bool FPostedOnce = false;
    bool FRefresh = true;
    // Failed rounds in a row, and when the next round is due (invalid: now).
    int32_t FFailures = 0;
    QDateTime FNextTry;
};

// Settings as the payload of a device message.
class TDeliverySettingsWrapper : public TObject
{
  public:
    explicit TDeliverySettingsWrapper(TDeliverySettings value) : Value(std::move(value)) {}
    TDeliverySettings Value;
};
