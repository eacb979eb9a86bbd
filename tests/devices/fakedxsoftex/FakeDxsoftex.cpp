// A stand-in for the exchange library whose arrivals the tests control
// exactly. Characters are pushed in batches; one poll (a run of calls up to
// the next -1) reads exactly one batch, so a test decides what each receiver
// poll sees. It can also flood: never answer -1.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex Lock;
std::deque<std::string> Batches;
size_t Position = 0;
int32_t InitResult = 1;
int32_t InitCalls = 0;
int32_t LastInitArgument = 0;
int64_t EndsReported = 0;
std::string Flood;
size_t FloodPosition = 0;

} // namespace

FAKE_EXPORT int32_t _DxsoftExchangeInit(int32_t argument)
{
    std::lock_guard<std::mutex> lock(Lock);
    ++InitCalls;
    LastInitArgument = argument;
    return InitResult;
}

#ifndef FAKE_WITHOUT_GETSYM
FAKE_EXPORT int32_t _DxsoftGetSymFromRxBuffer(void)
{
    std::lock_guard<std::mutex> lock(Lock);
    if (!Flood.empty()) {
        const unsigned char c = Flood[FloodPosition];
        FloodPosition = (FloodPosition + 1) % Flood.size();
        return c;
    }
    if (!Batches.empty() && Position < Batches.front().size())
        return static_cast<unsigned char>(Batches.front()[Position++]);
    if (!Batches.empty()) {
        Batches.pop_front();
        Position = 0;
    }
    ++EndsReported;
    return -1;
}
#endif

// --- control, for the tests only ------------------------------------------

FAKE_EXPORT void FakeDxsoftReset(int32_t initResult)
{
    std::lock_guard<std::mutex> lock(Lock);
    Batches.clear();
    Position = 0;
    InitResult = initResult;
    InitCalls = 0;
    LastInitArgument = 0;
    EndsReported = 0;
    Flood.clear();
    FloodPosition = 0;
}

FAKE_EXPORT void FakeDxsoftPush(const char *bytes, int32_t length)
{
    std::lock_guard<std::mutex> lock(Lock);
    Batches.emplace_back(bytes, size_t(length));
}

FAKE_EXPORT int32_t FakeDxsoftPendingBatches()
{
    std::lock_guard<std::mutex> lock(Lock);
    return int32_t(Batches.size());
}

// How many times -1 was answered: once at the end of every poll or drain.
FAKE_EXPORT int64_t FakeDxsoftEndsReported()
{
    std::lock_guard<std::mutex> lock(Lock);
    return EndsReported;
}

FAKE_EXPORT int32_t FakeDxsoftInitCalls()
{
    std::lock_guard<std::mutex> lock(Lock);
    return InitCalls;
}

FAKE_EXPORT int32_t FakeDxsoftLastInitArgument()
{
    std::lock_guard<std::mutex> lock(Lock);
    return LastInitArgument;
}

// Characters that never stop coming (the pattern repeated); empty stops it.
FAKE_EXPORT void FakeDxsoftFlood(const char *pattern)
{
    std::lock_guard<std::mutex> lock(Lock);
    Flood = pattern;
    FloodPosition = 0;
}
