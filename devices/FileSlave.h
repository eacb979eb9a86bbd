#pragma once
// The worker half of the run-log writer: collects lines and appends them to
// the current file about once a second, so that nobody waits on the disk,
// and forces each append to the disk, so that a power cut cannot take it.
#include "devices/ThreadedDevice.h"

#include <QByteArray>
#include <QString>
#include <vector>

class TFileSlave : public TThreadedDeviceSlave
{
  public:
    // Commands (data: TStringWrapper) and the one result (data: the message).
    enum : int32_t
    {
        fcNewFile = 0,
        fcWriteLine = 1,
        fcContinueFile = 2
    };
    enum : int32_t
    {
        frError = 1
    };

    TFileSlave(TThreadedDeviceMessageQueue &commands, TThreadedDeviceMessageQueue &results);

  protected:
    void ProcessCommands() override;
    // Lines still waiting when the device is shut down are written, not lost.
    void ProcessFinalCommands() override { ProcessCommands(); }

  private:
    // Lines bound for one file, already encoded, each ended by CR LF.
    struct TPendingLines
    {
        QString FileName;
        QByteArray Data;
    };

    // Later lines go to `fileName`, emptied first unless `keep`.
    void NewFile(const QString &fileName, bool keep = false);
    void Flush();
    // Appends the whole of `pending.Data` in one write and forces it to the
    // disk. On failure the file is cut back to its former size, so a retry
    // neither repeats nor loses a line; should that be impossible, the part
    // that did reach the file is taken off the pending data instead. Returns
    // true when all was written and synced.
    bool Append(TPendingLines &pending);
    void PostError(const QString &message);

    QString FFileName;
    QByteArray FPendingLines;
    // Lines of earlier files that could not be written when the next file was
    // named; they keep being retried into their own file, never the new one.
    std::vector<TPendingLines> FEarlierFiles;
};
