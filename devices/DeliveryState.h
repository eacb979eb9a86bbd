#pragma once
// What the delivery tells the window: per report pending, being sent, sent
// at a time, or waiting with the last error and the time of the next try;
// the timing it runs on; and a one-line summary built from them.
#include "devices/SftpUploader.h"
#include "foundation/RootObject.h"

#include <QDateTime>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

enum TDeliveryStatus : uint8_t
{
    dsPending = 0, // in the outbox, not tried yet (or the delivery is not set up)
    dsSending = 1, // being uploaded now
    dsSent = 2,    // confirmed whole by the server
    dsWaiting = 3  // the last try failed; tried again at NextTry
};

struct TDeliveryFileState
{
    QString Name{};
    TDeliveryStatus Status = dsPending;
    QDateTime SentAt{};                   // dsSent: when the server confirmed it (UTC)
    QString LastError{};                  // dsWaiting: why the last try failed
    TUploadOutcome Outcome = uoConfirmed; // dsWaiting: the kind of that failure
    QDateTime NextTry{};                  // dsWaiting: when it is tried again (UTC)
    int32_t Attempts = 0;                 // failed tries in this run

    bool operator==(const TDeliveryFileState &) const = default;
};

struct TDeliveryState
{
    // The reports of this run and those pending from earlier runs, in the
    // order they came into the outbox.
    std::vector<TDeliveryFileState> Files{};
    // Why nothing is sent at all (the delivery not set up, or its settings'
    // first problem); empty when it can send.
    QString SettingsProblem{};
    // The outbox's own trouble (its log or a move into sent/ failed); empty
    // when there is none.
    QString OutboxProblem{};

    const TDeliveryFileState *File(const QString &name) const;
    bool operator==(const TDeliveryState &) const = default;
};

// A state as the payload of a device message.
class TDeliveryStateWrapper : public TObject
{
  public:
    explicit TDeliveryStateWrapper(TDeliveryState value) : Value(std::move(value)) {}
    TDeliveryState Value;
};

struct TDeliveryTiming
{
    // The time now, in UTC. Called on the worker thread and on the
    // user-interface thread: it must be safe from both.
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTimeUtc(); };
    // The waits after the first, second, ... failed round; the last one
    // repeats for as long as the program runs.
    std::vector<std::chrono::milliseconds> Backoff{
        std::chrono::seconds(10), std::chrono::seconds(30), std::chrono::minutes(1),
        std::chrono::minutes(5)};
    TSftpUploadOptions Upload;
};

// The wait after `failures` failed rounds in a row (1: the first).
std::chrono::milliseconds BackoffDelay(const TDeliveryTiming &timing, int32_t failures);

// "next try in 30 s", "next try in 5 min", "next try now".
QString NextTryPhrase(const QDateTime &next, const QDateTime &now);

// The state in one line, the reports in their order, neighbours in the same
// state in one group: "TEMP A, B sent 11:47:12 UTC; C, D, BUFR waiting:
// connection refused by met-switch:22, next try in 30 s". `label` names a
// report (its file name without one); a label that repeats the first word
// of the label before it drops that word ("TEMP A, B"). A host-key refusal
// shows as "LABELS: Host key of ... : not sent"; reports that cannot go out
// because of the settings as "LABELS not sent: PROBLEM". Empty when there
// are no reports and no problem.
QString DeliverySummary(const TDeliveryState &state, const QDateTime &now,
                        const std::function<QString(const QString &name)> &label = {});
