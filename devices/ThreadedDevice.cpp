#include "devices/ThreadedDevice.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QTimer>
#include <algorithm>

// ---------------------------------------------------------------------------
// TThreadedDeviceMessageQueue

bool TThreadedDeviceMessageQueue::IsEmpty() const
{
    QMutexLocker lock(&FLock);
    return FMessages.size() < 1;
}

TThreadedDeviceMessage *TThreadedDeviceMessageQueue::Peek() const
{
    QMutexLocker lock(&FLock);
    return IsEmpty() ? nullptr : FMessages.front().get();
}

void TThreadedDeviceMessageQueue::Remove()
{
    std::unique_ptr<TThreadedDeviceMessage> removed;
    {
        QMutexLocker lock(&FLock);
        if (IsEmpty())
            return;
        removed = std::move(FMessages.front());
        FMessages.pop_front();
    }
    // The message and its data are freed outside the lock.
}

void TThreadedDeviceMessageQueue::Push(std::unique_ptr<TThreadedDeviceMessage> message)
{
    if (!message)
        return;
    QMutexLocker lock(&FLock);
    FMessages.push_back(std::move(message));
}

int TThreadedDeviceMessageQueue::Count() const
{
    QMutexLocker lock(&FLock);
    return int(FMessages.size());
}

// ---------------------------------------------------------------------------
// TThreadedDeviceSlave

TThreadedDeviceSlave::TThreadedDeviceSlave(TThreadedDeviceMessageQueue &commands,
                                           TThreadedDeviceMessageQueue &results)
    : FCommands(commands), FResults(results)
{
}

void TThreadedDeviceSlave::SetInterval(int32_t milliseconds)
{
    if (milliseconds < 1)
        throw EThreadedDeviceError(QStringLiteral("Timer interval cannot be less than 1 usec."));
    FInterval.store(milliseconds);
}

void TThreadedDeviceSlave::PostResult(int32_t code, std::unique_ptr<TObject> data)
{
    FResults.Push(std::make_unique<TThreadedDeviceMessage>(code, std::move(data)));
}

void TThreadedDeviceSlave::PostResultMessage(std::unique_ptr<TThreadedDeviceMessage> message)
{
    FResults.Push(std::move(message));
}

void TThreadedDeviceSlave::RunCycle(bool final)
{
    // An exception escaping a thread body ends the whole program. The concrete
    // devices catch what they expect and report it through their own
    // results; anything else abandons this one cycle and the device carries
    // on with the next. The program keeps no log to note it in.
    try {
        if (final)
            ProcessFinalCommands();
        else
            ProcessCommands();
    } catch (...) {
    }
}

void TThreadedDeviceSlave::SleepInterval()
{
    // Slept in short slices so that a termination request is seen promptly,
    // also by a device that sleeps a second between cycles.
    constexpr int SliceMilliseconds = 10;
    QDeadlineTimer deadline(Interval());
    while (!isInterruptionRequested()) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            break;
        QThread::msleep(unsigned(std::min<qint64>(remaining, SliceMilliseconds)));
    }
}

void TThreadedDeviceSlave::run()
{
    while (!isInterruptionRequested()) {
        RunCycle(false);
        SleepInterval();
    }
    RunCycle(true);
}

// ---------------------------------------------------------------------------
// TThreadedDeviceMaster

TThreadedDeviceMaster::TThreadedDeviceMaster(QObject *owner)
    : QObject(owner), FResultQueue(std::make_unique<TThreadedDeviceMessageQueue>()),
      FCommandQueue(std::make_unique<TThreadedDeviceMessageQueue>())
{
}

void TThreadedDeviceMaster::Initialise()
{
    FSlave = CreateSlave(*FCommandQueue, *FResultQueue);
    FTimer = std::make_unique<QTimer>();
    QObject::connect(FTimer.get(), &QTimer::timeout, this, [this] { TimerTick(); });
    FTimer->setInterval(100);
    FTimer->start();
    FSlave->start();
}

TThreadedDeviceMaster::~TThreadedDeviceMaster()
{
    FTimer.reset();
    if (FSlave) {
        FSlave->requestInterruption();
        FSlave->wait();
        FSlave.reset();
    }
    FResultQueue.reset();
    FCommandQueue.reset();
}

void TThreadedDeviceMaster::TimerTick()
{
    if (FDelivering)
        return;
    FDelivering = true;
    struct TReset
    {
        bool &Flag;
        ~TReset() { Flag = false; }
    } reset{FDelivering};
    ProcessResults();
}

void TThreadedDeviceMaster::PostCommand(int32_t code, std::unique_ptr<TObject> data)
{
    FCommandQueue->Push(std::make_unique<TThreadedDeviceMessage>(code, std::move(data)));
}

void TThreadedDeviceMaster::PostCommandMessage(std::unique_ptr<TThreadedDeviceMessage> message)
{
    FCommandQueue->Push(std::move(message));
}
