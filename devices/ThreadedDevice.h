#pragma once
// A slow or blocking device split in two halves that share nothing but two
// message queues: the master lives on the user-interface thread and polls its
// result queue from a timer; the slave is a worker thread that polls its
// command queue in a sleep loop. Whatever travels in a message changes owner
// with it.
#include "foundation/Errors.h"
#include "foundation/RootObject.h"

#include <QObject>
#include <QRecursiveMutex>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

class QTimer;

VENTREL_DECLARE_ERROR(EThreadedDeviceError, EVentrelError);

class TThreadedDeviceMessage
{
  public:
    explicit TThreadedDeviceMessage(int32_t code, std::unique_ptr<TObject> data = nullptr)
        : FCode(code), FData(std::move(data))
    {
    }
    int32_t Code() const { return FCode; }
    // The payload, owned by the message; null when the code needs none.
    TObject *Data() const { return FData.get(); }

  private:
    int32_t FCode;
    std::unique_ptr<TObject> FData;
};

// First in, first out, each operation under one lock. The lock is recursive
// because Peek and Remove ask IsEmpty while they hold it.
class TThreadedDeviceMessageQueue
{
  public:
    TThreadedDeviceMessageQueue() = default;
    TThreadedDeviceMessageQueue(const TThreadedDeviceMessageQueue &) = delete;
    TThreadedDeviceMessageQueue &operator=(const TThreadedDeviceMessageQueue &) = delete;

    bool IsEmpty() const;
    // The oldest message, left in the queue; null when there is none. Only the
    // one consumer of the queue removes messages, so the pointer stays valid
    // until that consumer calls Remove.
    TThreadedDeviceMessage *Peek() const;
    // Takes out the oldest message, if any, and frees it with its data.
    void Remove();
    void Push(std::unique_ptr<TThreadedDeviceMessage> message);
    int Count() const;

  private:
    mutable QRecursiveMutex FLock;
    std::deque<std::unique_ptr<TThreadedDeviceMessage>> FMessages;
};

class TThreadedDeviceSlave : public QThread
{
  public:
    // Created not running; the master starts it once it is fully built.
    TThreadedDeviceSlave(TThreadedDeviceMessageQueue &commands,
                         TThreadedDeviceMessageQueue &results);

    int32_t Interval() const { return FInterval.load(); }
    // Milliseconds slept between two cycles; below 1 raises EThreadedDeviceError.
    void SetInterval(int32_t milliseconds);

  protected:
    // Drains the pending commands, then does one cycle of device work. A
    // cycle is never interrupted: termination is tested only between cycles.
    virtual void ProcessCommands() = 0;
    // Called once on the slave's thread after termination was requested and
    // the last cycle has finished. A device that holds data on its way out
    // (the file writer's pending lines) handles the remaining commands here.
    virtual void ProcessFinalCommands() {}

    TThreadedDeviceMessage *PeekCommand() const { return FCommands.Peek(); }
    void RemoveCommand() { FCommands.Remove(); }
    void PostResult(int32_t code, std::unique_ptr<TObject> data = nullptr);
    void PostResultMessage(std::unique_ptr<TThreadedDeviceMessage> message);

    void run() override;

  private:
    void RunCycle(bool final);
    void SleepInterval();

    TThreadedDeviceMessageQueue &FCommands;
    TThreadedDeviceMessageQueue &FResults;
    std::atomic<int32_t> FInterval{100};
};

class TThreadedDeviceMaster : public QObject
{
  public:
    ~TThreadedDeviceMaster() override;

    void PostCommand(int32_t code, std::unique_ptr<TObject> data = nullptr);
    void PostCommandMessage(std::unique_ptr<TThreadedDeviceMessage> message);

    // Raised by the timer every 100 ms; collects and delivers the results.
    // A handler that runs a nested event loop (a message box) does not see
    // the next results delivered underneath it; they wait for its return.
    virtual void TimerTick();

    // Results posted by the slave and not yet delivered.
    int PendingResults() const { return FResultQueue->Count(); }
    // Commands the slave has not taken up yet.
    int PendingCommands() const { return FCommandQueue->Count(); }

  protected:
    // Builds the queues. The concrete master finishes construction with
    // Initialise(), since the slave it creates is of its own kind.
    explicit TThreadedDeviceMaster(QObject *owner);
    // Creates the slave on the two queues, then the 100 ms timer, then starts
    // the slave thread.
    void Initialise();

    virtual std::unique_ptr<TThreadedDeviceSlave>
    CreateSlave(TThreadedDeviceMessageQueue &commands, TThreadedDeviceMessageQueue &results) = 0;
    // Drains the result queue, turning each result into an event.
    virtual void ProcessResults() = 0;

    TThreadedDeviceMessage *PeekResult() const { return FResultQueue->Peek(); }
    void RemoveResult() { FResultQueue->Remove(); }
    TThreadedDeviceSlave *Slave() const { return FSlave.get(); }

    // Hands the oldest result to `handle` and removes it afterwards, also when
    // the handler raises: a result whose handler failed is not delivered again
    // on every later tick.
    template <typename Handler> bool DeliverOneResult(Handler &&handle);

  private:
    std::unique_ptr<TThreadedDeviceMessageQueue> FResultQueue;
    std::unique_ptr<TThreadedDeviceMessageQueue> FCommandQueue;
    std::unique_ptr<TThreadedDeviceSlave> FSlave;
    std::unique_ptr<QTimer> FTimer;
    bool FDelivering = false;
};

template <typename Handler> bool TThreadedDeviceMaster::DeliverOneResult(Handler &&handle)
{
    TThreadedDeviceMessage *message = PeekResult();
    if (!message)
        return false;
    struct TRemover
    {
        TThreadedDeviceMaster *Master;
        ~TRemover() { Master->RemoveResult(); }
    } remover{this};
    handle(*message);
    return true;
}
