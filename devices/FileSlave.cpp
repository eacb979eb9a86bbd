#include "devices/FileSlave.h"

#include "devices/DiskSync.h"
#include "devices/LogFormat.h"
#include "foundation/WrapperClasses.h"

#include <QFile>
#include <algorithm>

TFileSlave::TFileSlave(TThreadedDeviceMessageQueue &commands, TThreadedDeviceMessageQueue &results)
    : TThreadedDeviceSlave(commands, results)
{
    SetInterval(1000);
}

void TFileSlave::ProcessCommands()
{
    while (const TThreadedDeviceMessage *command = PeekCommand()) {
        const auto *text = dynamic_cast<const TStringWrapper *>(command->Data());
        if (text) {
            switch (command->Code()) {
            case fcNewFile:
                NewFile(text->Value);
                break;
            case fcContinueFile:
                NewFile(text->Value, true);
                break;
            case fcWriteLine:
                FPendingLines += EncodeLogLines({text->Value});
                break;
            default:
                break;
            }
        }
        RemoveCommand();
    }
    Flush();
}

void TFileSlave::NewFile(const QString &fileName, bool keep)
{
    Flush();
    // Lines written before any file was named stay pending and go here.
    if (!FPendingLines.isEmpty() && !FFileName.isEmpty()) {
        FEarlierFiles.push_back({FFileName, FPendingLines});
        FPendingLines.clear();
    }

    FFileName = fileName;
    QFile file(FFileName);
    if (!file.open(keep ? QIODevice::WriteOnly | QIODevice::Append
                        : QIODevice::WriteOnly | QIODevice::Truncate)) {
        PostError(QStringLiteral("Could not open file ") + FFileName);
        return;
    }
    SyncFolderOf(FFileName);
}

void TFileSlave::Flush()
{
    for (auto it = FEarlierFiles.begin(); it != FEarlierFiles.end();) {
        if (Append(*it)) {
            it = FEarlierFiles.erase(it);
        } else {
            PostError(QStringLiteral("Could not write to file ") + it->FileName);
            ++it;
        }
    }

    if (FFileName.isEmpty() || FPendingLines.isEmpty())
        return;
    TPendingLines current{FFileName, std::move(FPendingLines)};
    const bool written = Append(current);
    FPendingLines = std::move(current.Data);
    if (!written)
        PostError(QStringLiteral("Could not write to file ") + FFileName);
}

bool TFileSlave::Append(TPendingLines &pending)
{
    if (pending.Data.isEmpty())
        return true;
    QFile file(pending.FileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const qint64 before = file.size();
    const qint64 written = file.write(pending.Data);
    // Written is not yet safe: until the sync the lines sit in the system's
    // cache. A failed sync may have lost them, so they are written again.
    if (written == pending.Data.size() && SyncFileData(file)) {
        pending.Data.clear();
        return true;
    }
    const qint64 reached = file.size() - before;
    if (reached > 0 && !file.resize(before))
        pending.Data.remove(0, std::min<qint64>(reached, pending.Data.size()));
    return false;
}

void TFileSlave::PostError(const QString &message)
{
    PostResult(frError, std::make_unique<TStringWrapper>(message));
}
