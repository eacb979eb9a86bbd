#include "devices/ThreadedDevice.h"

#include "foundation/WrapperClasses.h"
#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::atomic<int> LiveObjects{0};

class TCountedObject : public TObject
{
  public:
    TCountedObject() { ++LiveObjects; }
    ~TCountedObject() override { --LiveObjects; }
};

enum : int32_t
{
    cmdPostThree = 1,
    cmdThrow = 2,
    cmdPostCounted = 3,
    cmdPostOne = 4
};

class TTestSlave : public TThreadedDeviceSlave
{
  public:
    using TThreadedDeviceSlave::TThreadedDeviceSlave;

  protected:
    void ProcessCommands() override
    {
        while (const TThreadedDeviceMessage *command = PeekCommand()) {
            const int32_t code = command->Code();
            RemoveCommand();
            switch (code) {
            case cmdPostThree:
                for (int i = 10; i <= 12; ++i)
                    PostResult(i, std::make_unique<TIntegerWrapper>(i * 100));
                break;
            case cmdThrow:
                throw EVentrelError(QStringLiteral("device failure"));
            case cmdPostCounted:
                PostResult(20, std::make_unique<TCountedObject>());
                break;
            case cmdPostOne:
                PostResult(30);
                break;
            }
        }
    }
};

class TTestMaster : public TThreadedDeviceMaster
{
  public:
    explicit TTestMaster(int32_t interval = 100)
        : TThreadedDeviceMaster(nullptr), FInterval(interval)
    {
        Initialise();
    }
    ~TTestMaster() override = default;

    struct TEvent
    {
        int32_t Code;
        int32_t Value;
    };
    std::vector<TEvent> Events;
    std::function<void(const TThreadedDeviceMessage &)> OnResult;
    int PendingResults() const { return FResults ? FResults->Count() : 0; }

  protected:
    std::unique_ptr<TThreadedDeviceSlave> CreateSlave(TThreadedDeviceMessageQueue &commands,
                                                      TThreadedDeviceMessageQueue &results) override
    {
        FResults = &results;
        auto slave = std::make_unique<TTestSlave>(commands, results);
        slave->SetInterval(FInterval);
        return slave;
    }
    void ProcessResults() override
    {
        while (DeliverOneResult([this](const TThreadedDeviceMessage &m) {
            const auto *w = dynamic_cast<const TIntegerWrapper *>(m.Data());
            Events.push_back({m.Code(), w ? w->Value : -1});
            if (OnResult)
                OnResult(m);
        })) {
        }
    }

  private:
    int32_t FInterval;
    TThreadedDeviceMessageQueue *FResults = nullptr;
};

// Waits without running the event loop, so that the master's timer cannot
// deliver anything meanwhile.
bool WaitWithoutEvents(const std::function<bool()> &cond)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > 10000)
            return cond();
        QThread::msleep(1);
    }
    return true;
}

} // namespace

TEST(ThreadedDeviceQueue, IsFirstInFirstOutAndFreesWhatItRemoves)
{
    TThreadedDeviceMessageQueue queue;
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(queue.Peek(), nullptr);
    queue.Remove(); // harmless on an empty queue

    const int before = LiveObjects;
    queue.Push(std::make_unique<TThreadedDeviceMessage>(1, std::make_unique<TCountedObject>()));
    queue.Push(std::make_unique<TThreadedDeviceMessage>(2));
    queue.Push(std::make_unique<TThreadedDeviceMessage>(3, std::make_unique<TCountedObject>()));
    EXPECT_EQ(LiveObjects, before + 2);

    ASSERT_NE(queue.Peek(), nullptr);
    EXPECT_EQ(queue.Peek()->Code(), 1);
    EXPECT_EQ(queue.Peek()->Code(), 1); // Peek leaves it
    queue.Remove();
    EXPECT_EQ(LiveObjects, before + 1);
    EXPECT_EQ(queue.Peek()->Code(), 2);
    queue.Remove();
    EXPECT_EQ(queue.Peek()->Code(), 3);
    EXPECT_FALSE(queue.IsEmpty());
    {
        TThreadedDeviceMessageQueue dropped;
        dropped.Push(
            std::make_unique<TThreadedDeviceMessage>(4, std::make_unique<TCountedObject>()));
    }
    EXPECT_EQ(LiveObjects, before + 1);
}

TEST(ThreadedDeviceSlave, IntervalBelowOneMillisecondIsRefused)
{
    TThreadedDeviceMessageQueue commands, results;
    TTestSlave slave(commands, results);
    EXPECT_EQ(slave.Interval(), 100);
    try {
        slave.SetInterval(0);
        FAIL() << "SetInterval(0) accepted";
    } catch (const EThreadedDeviceError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Timer interval cannot be less than 1 usec."));
    }
    EXPECT_THROW(slave.SetInterval(-5), EThreadedDeviceError);
    EXPECT_EQ(slave.Interval(), 100);
    slave.SetInterval(1);
    EXPECT_EQ(slave.Interval(), 1);
}

TEST(ThreadedDeviceMaster, ResultsOfOneCycleArriveInOrderWithinOneTick)
{
    TTestMaster master;
    master.PostCommand(cmdPostThree);
    master.PostCommand(cmdPostOne); // same cycle: all commands are drained first
    ASSERT_TRUE(WaitWithoutEvents([&] { return master.PendingResults() == 4; }));
    master.TimerTick();
    ASSERT_EQ(master.Events.size(), 4u);
    EXPECT_EQ(master.Events[0].Code, 10);
    EXPECT_EQ(master.Events[0].Value, 1000);
    EXPECT_EQ(master.Events[1].Code, 11);
    EXPECT_EQ(master.Events[2].Code, 12);
    EXPECT_EQ(master.Events[2].Value, 1200);
    EXPECT_EQ(master.Events[3].Code, 30);
    EXPECT_EQ(master.Events[3].Value, -1);
    EXPECT_EQ(master.PendingResults(), 0);
}

TEST(ThreadedDeviceMaster, UncollectedResultsAreFreedAndDestructionReturns)
{
    const int before = LiveObjects;
    {
        TTestMaster master;
        for (int i = 0; i < 5; ++i)
            master.PostCommand(cmdPostCounted);
        ASSERT_TRUE(WaitWithoutEvents([&] { return LiveObjects == before + 5; }));
    }
    EXPECT_EQ(LiveObjects, before);

    // A slave sleeping a long interval still ends promptly.
    std::unique_ptr<QThread> owner(QThread::create([] {
        auto master = std::make_unique<TTestMaster>(60 * 60 * 1000);
        master.reset();
    }));
    owner->start();
    EXPECT_TRUE(owner->wait(QDeadlineTimer(10000)));
}

TEST(ThreadedDeviceMaster, FailingCycleDoesNotStopTheDevice)
{
    TTestMaster master;
    master.PostCommand(cmdThrow);
    master.PostCommand(cmdPostOne);
    ASSERT_TRUE(WaitFor([&] { return !master.Events.empty(); }));
    master.PostCommand(cmdPostThree);
    ASSERT_TRUE(WaitFor([&] { return master.Events.size() == 4; }));
    EXPECT_EQ(master.Events[1].Code, 10);
}

TEST(ThreadedDeviceMaster, HandlerFailureAndNestedTicksNeitherRepeatNorReorder)
{
    TTestMaster master;
    int calls = 0;
    master.OnResult = [&](const TThreadedDeviceMessage &m) {
        ++calls;
        if (m.Code() == 10) {
            master.TimerTick(); // as a message box's event loop would
            EXPECT_EQ(master.Events.size(), 1u) << "delivered underneath a running handler";
        }
        if (m.Code() == 11)
            throw EVentrelError(QStringLiteral("handler failed"));
    };
    master.PostCommand(cmdPostThree);
    ASSERT_TRUE(WaitWithoutEvents([&] { return master.PendingResults() == 3; }));
    EXPECT_THROW(master.TimerTick(), EVentrelError);
    EXPECT_EQ(master.Events.size(), 2u);
    // The failed result is gone; the next tick goes on with the third.
    master.TimerTick();
    ASSERT_EQ(master.Events.size(), 3u);
    EXPECT_EQ(master.Events[2].Code, 12);
    EXPECT_EQ(calls, 3);
}
