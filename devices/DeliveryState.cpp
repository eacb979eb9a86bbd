#include "devices/DeliveryState.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

const TDeliveryFileState *TDeliveryState::File(const QString &name) const
{
    const auto it = std::find_if(Files.begin(), Files.end(),
                                 [&](const TDeliveryFileState &f) { return f.Name == name; });
    return it == Files.end() ? nullptr : &*it;
}

std::chrono::milliseconds BackoffDelay(const TDeliveryTiming &timing, int32_t failures)
{
    if (timing.Backoff.empty())
        return std::chrono::minutes(5);
    const size_t index = size_t(std::clamp<int32_t>(failures, 1, int32_t(timing.Backoff.size())));
    return timing.Backoff[index - 1];
}

QString NextTryPhrase(const QDateTime &next, const QDateTime &now)
{
    const qint64 ms = now.msecsTo(next);
    if (!next.isValid() || ms <= 0)
        return QStringLiteral("next try now");
    const qint64 seconds = (ms + 999) / 1000;
    if (seconds < 60)
        return QStringLiteral("next try in %1 s").arg(seconds);
    return QStringLiteral("next try in %1 min").arg((seconds + 30) / 60);
}

namespace {

// What puts two neighbouring reports into one group.
bool SameGroup(const TDeliveryFileState &a, const TDeliveryFileState &b)
{
    if (a.Status != b.Status)
        return false;
    if (a.Status != dsWaiting)
        return true;
    return a.LastError == b.LastError &&
           a.NextTry.toSecsSinceEpoch() == b.NextTry.toSecsSinceEpoch();
}

QString FirstWord(const QString &label)
{
    const qsizetype space = label.indexOf(QLatin1Char(' '));
    return space > 0 ? label.left(space) : QString();
}

} // namespace

QString DeliverySummary(const TDeliveryState &state, const QDateTime &now,
                        const std::function<QString(const QString &)> &label)
{
    QStringList groups;
    QString lastPrefix;
    const auto &files = state.Files;
    for (size_t first = 0; first < files.size();) {
        size_t end = first + 1;
        while (end < files.size() && SameGroup(files[first], files[end]))
            ++end;
        QStringList labels;
        QDateTime latest;
        for (size_t i = first; i < end; ++i) {
            const QString text = label ? label(files[i].Name) : files[i].Name;
            const QString prefix = FirstWord(text);
            labels << (!prefix.isEmpty() && prefix == lastPrefix ? text.mid(prefix.size() + 1)
                                                                 : text);
            lastPrefix = prefix;
            if (!latest.isValid() || files[i].SentAt > latest)
                latest = files[i].SentAt;
        }
        const QString names = labels.join(QStringLiteral(", "));
        const TDeliveryFileState &head = files[first];
        switch (head.Status) {
        case dsSent:
            groups << names + QStringLiteral(" sent") +
                          (latest.isValid()
                               ? latest.toUTC().toString(QStringLiteral(" HH:mm:ss 'UTC'"))
                               : QString());
            break;
        case dsSending:
            groups << names + QStringLiteral(" sending");
            break;
        case dsWaiting:
            if (head.Outcome == uoHostKey)
                groups << names + QStringLiteral(": ") + head.LastError;
            else
                groups << names + QStringLiteral(" waiting: ") + head.LastError +
                              QStringLiteral(", ") + NextTryPhrase(head.NextTry, now);
            break;
        case dsPending:
        default:
            groups << (state.SettingsProblem.isEmpty()
                           ? names + QStringLiteral(" pending")
                           : names + QStringLiteral(" not sent: ") + state.SettingsProblem);
            break;
        }
        first = end;
    }
    if (!state.OutboxProblem.isEmpty())
        groups << state.OutboxProblem;
    return groups.join(QStringLiteral("; "));
}
