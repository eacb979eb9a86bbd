#pragma once
// The run-log writer as the program sees it: a threaded device whose master
// accepts new-file and write-line commands and reports write failures.
#include "devices/ThreadedDevice.h"

#include <QString>
#include <functional>

class TFileManager : public TThreadedDeviceMaster
{
  public:
    explicit TFileManager(QObject *owner = nullptr);
    ~TFileManager() override;

    // Flushes what is pending into the current file, then creates (or
    // empties) the named file; later lines go there.
    void NewFile(const QString &fileName);
    // As NewFile, but what the file holds stays: later lines go after it.
    void ContinueFile(const QString &fileName);
    // Queues one line; the line end is added when it is written.
    void WriteLine(const QString &text);

    // Raised on the user-interface thread with a message for the operator.
    std::function<void(const QString &message)> OnError;

  protected:
    std::unique_ptr<TThreadedDeviceSlave>
    CreateSlave(TThreadedDeviceMessageQueue &commands,
                TThreadedDeviceMessageQueue &results) override;
    void ProcessResults() override;
};
