#include "devices/KestrinReceiver.h"

#include "foundation/CustomUtilities.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>

namespace {

const QString FakeLibrary = QStringLiteral(VENTREL_BIN_DIR "/libfakedxsoftex.so");
const QString InitOnlyLibrary = QStringLiteral(VENTREL_BIN_DIR "/libfakedxsoftex_initonly.so");

// The control side of the fake exchange library. Opened with dlopen, whose
// reference count keeps it loaded while receivers load and release it.
struct TFakeExchange
{
    void *Handle = dlopen(FakeLibrary.toLocal8Bit().constData(), RTLD_NOW);
    void (*Reset)(int32_t) = nullptr;
    void (*PushBytes)(const char *, int32_t) = nullptr;
    int32_t (*PendingBatches)() = nullptr;
    int64_t (*EndsReported)() = nullptr;
    int32_t (*InitCalls)() = nullptr;
    int32_t (*LastInitArgument)() = nullptr;
    void (*Flood)(const char *) = nullptr;

    template <typename T> void Resolve(T &function, const char *name)
    {
        function = Handle ? reinterpret_cast<T>(dlsym(Handle, name)) : nullptr;
    }
    TFakeExchange()
    {
        Resolve(Reset, "FakeDxsoftReset");
        Resolve(PushBytes, "FakeDxsoftPush");
        Resolve(PendingBatches, "FakeDxsoftPendingBatches");
        Resolve(EndsReported, "FakeDxsoftEndsReported");
        Resolve(InitCalls, "FakeDxsoftInitCalls");
        Resolve(LastInitArgument, "FakeDxsoftLastInitArgument");
        Resolve(Flood, "FakeDxsoftFlood");
    }
    ~TFakeExchange()
    {
        if (Handle)
            dlclose(Handle);
    }
    TFakeExchange(const TFakeExchange &) = delete;
    TFakeExchange &operator=(const TFakeExchange &) = delete;
    bool Ready() const { return Reset && PushBytes && PendingBatches && EndsReported && Flood; }
    void Push(const std::string &bytes) { PushBytes(bytes.data(), int32_t(bytes.size())); }
};

struct TEvent
{
    int Code;
    QString Text;
    std::shared_ptr<TKestrinResult> Result;
};

// Waits without running the event loop, so that nothing is delivered by the
// receiver's own timer meanwhile.
bool WaitWithoutEvents(const std::function<bool()> &cond, int milliseconds = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > milliseconds)
            return cond();
        QThread::usleep(200);
    }
    return true;
}

class KestrinReceiver : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(Fake.Ready()) << dlerror();
        Fake.Reset(1);
    }

    void Create(const QString &library = FakeLibrary)
    {
        Receiver = std::make_unique<TKestrinReceiver>(nullptr, library);
        Receiver->OnRawCharacters = [this](const QString &t) { Events.push_back({0, t, {}}); };
        Receiver->OnData = [this](const TKestrinResult &r) {
            Events.push_back({1, r.RawText(), std::make_shared<TKestrinResult>(r)});
        };
        Receiver->OnInvalidFrame = [this](const QString &t) { Events.push_back({2, t, {}}); };
        Receiver->OnConfigurationReceived = [this](const QString &t) {
            Events.push_back({3, t, {}});
        };
        Receiver->OnReceiverError = [this] { Events.push_back({4, {}, {}}); };
        Receiver->OnConfigurationSet = [this](const TKestrinResult &r) {
            Events.push_back({5, {}, std::make_shared<TKestrinResult>(r)});
        };
    }

    // Waits until the slave has read everything pushed and finished the poll
    // that read it, then delivers the results.
    void Settle()
    {
        ASSERT_TRUE(WaitWithoutEvents([&] { return Fake.PendingBatches() == 0; }));
        const int64_t ends = Fake.EndsReported();
        ASSERT_TRUE(WaitWithoutEvents([&] { return Fake.EndsReported() > ends; }));
        Receiver->TimerTick();
    }

    void StartAcquiring()
    {
        Create();
        Receiver->Start();
        Settle();
        Events.clear();
    }

    // Pushes one poll's arrivals and returns the events they caused.
    std::vector<TEvent> Poll(const std::string &arrivals)
    {
        Events.clear();
        Fake.Push(arrivals);
        Settle();
        return Events;
    }

    static std::vector<int> Codes(const std::vector<TEvent> &events)
    {
        std::vector<int> codes;
        for (const TEvent &e : events)
            codes.push_back(e.Code);
        return codes;
    }

    TFakeExchange Fake;
    std::unique_ptr<TKestrinReceiver> Receiver;
    std::vector<TEvent> Events;
};

} // namespace

TEST_F(KestrinReceiver, CutsTheStreamIntoFramesStampedWithTheirOpeningPoll)
{
    StartAcquiring();
    const double beforeFirst = NowDays();
    auto events = Poll("abc/123");
    const double afterFirst = NowDays();
    ASSERT_EQ(Codes(events), std::vector<int>{0});
    EXPECT_EQ(events[0].Text, QStringLiteral("abc/123"));

    events = Poll("456/78");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1}));
    EXPECT_EQ(events[0].Text, QStringLiteral("456/78"));
    EXPECT_EQ(events[1].Text, QStringLiteral("123456"));
    const double stamp = events[1].Result->Time();
    EXPECT_GE(stamp, beforeFirst);
    EXPECT_LE(stamp, afterFirst); // the poll that received its opening "/"

    const double beforeThird = NowDays();
    events = Poll("/9/");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(events[1].Text, QStringLiteral("78"));
    EXPECT_LE(events[1].Result->Time(), beforeThird);
    EXPECT_EQ(events[2].Text, QStringLiteral("9"));
    EXPECT_GE(events[2].Result->Time(), beforeThird);
}

TEST_F(KestrinReceiver, DropsBlanksControlsAndEmptyFrames)
{
    StartAcquiring();
    auto events = Poll("/12 34\r\n\t\x01/");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1}));
    EXPECT_EQ(events[0].Text, QStringLiteral("/1234/"));
    EXPECT_EQ(events[1].Text, QStringLiteral("1234"));

    EXPECT_EQ(Codes(Poll("///")), std::vector<int>{0});
    events = Poll("5/"); // the buffer was left holding just "/"
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1}));
    EXPECT_EQ(events[1].Text, QStringLiteral("5"));

    EXPECT_TRUE(Poll(" \r\n").empty()); // nothing visible: nothing posted
}

TEST_F(KestrinReceiver, ConfigurationAndInvalidFramesHaveTheirOwnEvents)
{
    StartAcquiring();
    auto events = Poll("/1MR:TPUVVVVF/12-34/");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 3, 2}));
    EXPECT_EQ(events[1].Text, QStringLiteral("1MR:TPUVVVVF"));
    EXPECT_EQ(events[2].Text, QStringLiteral("12-34"));

    // A raw frame too short to decode is still data, with no values.
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MR:TPUVVVVF"));
    Receiver->SetConfiguration(configuration);
    events = Poll("ABC/");
    ASSERT_EQ(Codes(events), (std::vector<int>{5, 0, 1}));
    EXPECT_EQ(events[2].Text, QStringLiteral("ABC"));
    EXPECT_TRUE(IsNoValue(events[2].Result->Value(1)));
}

TEST_F(KestrinReceiver, DecodesAgainstTheConfigurationSetBeforeThePoll)
{
    StartAcquiring();
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MP:TPUVVVVF"));
    Receiver->SetConfiguration(configuration);
    configuration.ParseConfiguration(QStringLiteral("1ER:TUF")); // the caller keeps its own
    auto events = Poll("/15.5,1000.25,50,2500,100,200,300,1234/");
    ASSERT_EQ(Codes(events), (std::vector<int>{5, 0, 1}));
    EXPECT_EQ(events[0].Result->ConfigurationString(), QStringLiteral("1MP:_T_P_UVVVVF"));
    const TKestrinResult &r = *events[2].Result;
    EXPECT_EQ(r.Model(), sm1M);
    EXPECT_EQ(r.TransmissionType(), ttProcessed);
    EXPECT_NEAR(r.Value(1), 15.5, 1e-9);
    EXPECT_NEAR(r.Value(2), 1000.25, 1e-9);
    EXPECT_NEAR(r.Value(4), 2.5, 1e-9);
    EXPECT_NEAR(r.Value(8), 1234.0, 1e-9);
}

TEST_F(KestrinReceiver, ThrowsAwayWhatArrivedBeforeTheStart)
{
    Fake.Push("/before construction/");
    Create();
    ASSERT_EQ(Fake.InitCalls(), 1);
    EXPECT_EQ(Fake.LastInitArgument(), 1);
    Fake.Push("/before start/");
    Receiver->Start();
    Settle();
    EXPECT_TRUE(Events.empty());
    auto events = Poll("/after/");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1}));
    EXPECT_EQ(events[1].Text, QStringLiteral("after"));

    Receiver->Stop();
    Receiver->SetConfiguration(TKestrinResult()); // acknowledged in the cycle that stops
    ASSERT_TRUE(WaitFor([&] { return !Events.empty() && Events.back().Code == 5; }));
    Fake.Push("/while stopped/");
    const int64_t ends = Fake.EndsReported();
    Receiver->SetConfiguration(TKestrinResult());
    ASSERT_TRUE(WaitFor([&] { return Events.back().Code == 5 && Events.size() >= 4; }));
    EXPECT_EQ(Fake.EndsReported(), ends); // an idle slave leaves the library alone
    EXPECT_EQ(Fake.PendingBatches(), 1);
}

TEST_F(KestrinReceiver, DropsFramesLongerThanAnyRealFrame)
{
    StartAcquiring();
    const std::string longest(TKestrinSlave::MaxFrameLength, '1');
    auto events = Poll("/" + longest + "/" + longest + "1/ok/");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(events[1].Text.size(), TKestrinSlave::MaxFrameLength);
    EXPECT_EQ(events[2].Text, QStringLiteral("ok"));

    // An unfinished one is not held either; its tail is garbage.
    events = Poll("/" + std::string(TKestrinSlave::MaxFrameLength + 10, '2'));
    EXPECT_EQ(Codes(events), std::vector<int>{0});
    events = Poll("222/next/");
    ASSERT_EQ(Codes(events), (std::vector<int>{0, 1}));
    EXPECT_EQ(events[1].Text, QStringLiteral("next"));
}

TEST_F(KestrinReceiver, AFloodingLibraryIsReadInBoundedPolls)
{
    StartAcquiring();
    const std::string frame = std::string(200, '7') + "/";
    Fake.Flood(frame.c_str());
    size_t frames = 0;
    ASSERT_TRUE(WaitFor([&] {
        for (const TEvent &e : Events)
            if (e.Code == 1)
                ++frames;
        bool bounded = true;
        for (const TEvent &e : Events)
            if (e.Code == 0 && e.Text.size() > TKestrinSlave::MaxPollCharacters)
                bounded = false;
        EXPECT_TRUE(bounded);
        Events.clear();
        return frames > 3000;
    }));
    Receiver.reset(); // ends although the library never runs dry
    Fake.Flood("");
}

TEST_F(KestrinReceiver, NotConnectedReportsAnErrorEveryCycleWhileAcquiring)
{
    for (const QString &library :
         {QStringLiteral(VENTREL_BIN_DIR "/libdoesnotexist.so"), InitOnlyLibrary, FakeLibrary}) {
        SCOPED_TRACE(library.toStdString());
        Fake.Reset(0); // only the real fake sees this: its initialisation fails
        Events.clear();
        Create(library);
        Receiver->Start();
        Receiver->SetConfiguration(TKestrinResult());
        // Commands first, then the poll: the error comes on the same cycle.
        ASSERT_TRUE(WaitFor([&] { return Events.size() >= 2; }));
        EXPECT_EQ(Codes(std::vector<TEvent>(Events.begin(), Events.begin() + 2)),
                  (std::vector<int>{5, 4}));
        ASSERT_TRUE(WaitFor([&] { return Events.size() >= 4; }));
        for (size_t i = 1; i < Events.size(); ++i)
            EXPECT_EQ(Events[i].Code, 4);

        Receiver->Stop();
        Receiver->SetConfiguration(TKestrinResult());
        ASSERT_TRUE(WaitFor([&] { return Events.back().Code == 5; }));
        const size_t stopped = Events.size();
        Receiver->SetConfiguration(TKestrinResult()); // one more whole cycle
        ASSERT_TRUE(WaitFor([&] { return Events.size() > stopped; }));
        EXPECT_EQ(Events.size(), stopped + 1);
        EXPECT_EQ(Events.back().Code, 5);
        Receiver.reset();
    }
}
