#include "devices/DeliverySlave.h"

#include "foundation/WrapperClasses.h"

#include <QLockFile>
#include <algorithm>

TDeliverySlave::TDeliverySlave(TThreadedDeviceMessageQueue &commands,
                               TThreadedDeviceMessageQueue &results, const QString &outboxFolder,
                               TDeliveryTiming timing)
    : TThreadedDeviceSlave(commands, results), FOutbox(outboxFolder), FTiming(std::move(timing))
{
    Configure(TDeliverySettings());
}

void TDeliverySlave::ProcessCommands()
{
    while (const TThreadedDeviceMessage *command = PeekCommand()) {
        if (const auto *settings = dynamic_cast<const TDeliverySettingsWrapper *>(command->Data());
            settings && command->Code() == dcConfigure)
            Configure(settings->Value);
        else if (const auto *name = dynamic_cast<const TStringWrapper *>(command->Data());
                 name && command->Code() == dcWake) {
            Know(name->Value);
            FNextTry = QDateTime();
            FRefresh = true;
        }
        RemoveCommand();
    }
    if (FRefresh)
        Refresh();
    const bool due = !FNextTry.isValid() || FTiming.Clock() >= FNextTry;
    const bool anyPending =
        std::any_of(FState.Files.begin(), FState.Files.end(),
                    [](const TDeliveryFileState &f) { return f.Status != dsSent; });
    if (FUploader && due && anyPending)
        SendRound();
    PostState();
}

void TDeliverySlave::Configure(const TDeliverySettings &settings)
{
    FSettings = settings;
    FFailures = 0;
    FNextTry = QDateTime();
    FRefresh = true;
    FUploader.reset();
    const QStringList problems = DeliverySettingsProblems(settings);
    if (settings.IsEmpty())
        FState.SettingsProblem = QStringLiteral("the delivery is not set up");
    else if (!problems.isEmpty())
        FState.SettingsProblem = problems.first();
    else
        FState.SettingsProblem.clear();
    if (FState.SettingsProblem.isEmpty())
        FUploader = std::make_unique<TSftpUploader>(settings, FTiming.Upload);
    // What waited for the old settings waits for the new ones afresh.
    for (TDeliveryFileState &file : FState.Files)
        if (file.Status != dsSent)
            file = TDeliveryFileState{.Name = file.Name};
}

void TDeliverySlave::Know(const QString &name)
{
    FileState(name);
}

TDeliveryFileState &TDeliverySlave::FileState(const QString &name)
{
    auto it = std::find_if(FState.Files.begin(), FState.Files.end(),
                           [&](const TDeliveryFileState &f) { return f.Name == name; });
    if (it != FState.Files.end())
        return *it;
    FState.Files.push_back(TDeliveryFileState{.Name = name});
    return FState.Files.back();
}

void TDeliverySlave::Refresh()
{
    FRefresh = false;
    QStringList pending;
    for (const TOutboxEntry &entry : FOutbox.PendingEntries()) {
        pending << entry.Name;
        TDeliveryFileState &file = FileState(entry.Name);
        // Put again with other bytes after it was sent: pending anew.
        if (file.Status == dsSent)
            file = TDeliveryFileState{.Name = entry.Name};
    }
    std::erase_if(FState.Files, [&](TDeliveryFileState &file) {
        if (pending.contains(file.Name))
            return false;
        if (file.Status == dsSent)
            return false;
        // Sent by another run meanwhile, or put with bytes already sent.
        if (FOutbox.IsSent(file.Name)) {
            file = TDeliveryFileState{
                .Name = file.Name, .Status = dsSent, .SentAt = FOutbox.SentTime(file.Name)};
            return false;
        }
        // Taken out of the outbox by hand.
        return true;
    });
}

void TDeliverySlave::SendRound()
{
    // Two programs on one outbox take turns, so that neither sends what the
    // other is sending. Only a running program holds the lock.
    QLockFile lock(FOutbox.Folder() + QStringLiteral("/.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        FNextTry = FTiming.Clock().addMSecs(BackoffDelay(FTiming, 1).count());
        FRefresh = true;
        if (lock.error() != QLockFile::LockFailedError)
            FState.OutboxProblem = QStringLiteral("Could not lock the outbox ") + FOutbox.Folder();
        return;
    }
    FRefresh = true;
    FState.OutboxProblem.clear();
    bool failed = false;
    TUploadResult stop; // a failure that holds for every report after it
    for (const TOutboxEntry &entry : FOutbox.PendingEntries()) {
        TDeliveryFileState &file = FileState(entry.Name);
        if (stop.Outcome != uoConfirmed) {
            file.Status = dsWaiting;
            file.LastError = stop.Message;
            file.Outcome = stop.Outcome;
            continue;
        }
        if (isInterruptionRequested())
            break;
        file.Status = dsSending;
        PostState();

        TUploadResult result;
        QByteArray bytes;
        try {
            bytes = FOutbox.Read(entry);
        } catch (const EOutboxError &e) {
            result = {uoRemote, e.Message()};
        }
        if (result.Confirmed())
            result =
                FUploader->Upload(entry.Name, bytes, [this] { return isInterruptionRequested(); });
        const QDateTime now = FTiming.Clock();
        TDeliveryFileState &done = FileState(entry.Name);
        if (result.Outcome == uoAborted) {
            done.Status = dsPending;
            LogAttempt(now, entry.Name, QStringLiteral("stopped"));
            break;
        }
        LogAttempt(now, entry.Name,
                   result.Confirmed() ? QStringLiteral("sent")
                                      : QStringLiteral("not sent: ") + result.Message);
        if (result.Confirmed()) {
            try {
                // A copy put meanwhile with other bytes stays pending.
                const bool moved = FOutbox.MarkSent(entry, now);
                done = moved
                           ? TDeliveryFileState{.Name = entry.Name, .Status = dsSent, .SentAt = now}
                           : TDeliveryFileState{.Name = entry.Name};
            } catch (const EOutboxError &e) {
                // Still pending: sent again later under the same name,
                // which the receiving side takes as the same file.
                result = {uoRemote, e.Message()};
                FState.OutboxProblem = e.Message();
            }
        }
        if (!result.Confirmed()) {
            failed = true;
            done.Status = dsWaiting;
            done.LastError = result.Message;
            done.Outcome = result.Outcome;
            ++done.Attempts;
            // Only a refusal of this one file lets the next ones try.
            if (result.Outcome != uoRemote)
                stop = result;
        }
    }
    if (failed) {
        ++FFailures;
        FNextTry = FTiming.Clock().addMSecs(BackoffDelay(FTiming, FFailures).count());
        for (TDeliveryFileState &file : FState.Files)
            if (file.Status == dsWaiting)
                file.NextTry = FNextTry;
    } else {
        FFailures = 0;
        FNextTry = QDateTime();
    }
}

void TDeliverySlave::LogAttempt(const QDateTime &time, const QString &name, const QString &result)
{
    try {
        FOutbox.Log(time, name, FUploader ? FUploader->Address() : QString(), result);
    } catch (const EOutboxError &e) {
        FState.OutboxProblem = e.Message();
    }
}

void TDeliverySlave::PostState()
{
    if (FPostedOnce && FState == FPosted)
        return;
    FPosted = FState;
    FPostedOnce = true;
    PostResult(drState, std::make_unique<TDeliveryStateWrapper>(FState));
}
