// A long simulated flight sent fast through the whole window: every frame
// reaches the log, the recorded lines and the data list, and memory grows by
// no more than what is kept per frame. scripts/soak runs the long versions
// (VENTREL_SOAK_FRAMES; the live run at one frame a second with
// VENTREL_LIVE_SECONDS) and reports the figures.
#include "RunHarness.h"
#include "ui/DataList.h"
#include "ui/DataListView.h"

#include <QEventLoop>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

int EnvironmentNumber(const char *name, int fallback)
{
    const char *text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

// The memory the program holds. Under AddressSanitizer the resident size
// also holds the sanitizer's quarantine of freed blocks, which fills with
// whatever the program frees and says nothing of what it keeps: there the
// heap in use counts instead.
int64_t MemoryInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return int64_t(__sanitizer_get_current_allocated_bytes());
#else
    return ResidentBytes();
#endif
}

class Soak : public TRunHarness
{
};

} // namespace

TEST_F(Soak, LongFlightKeepsEveryFrameAndOnlyItsOwnMemory)
{
    LocaleGuard locale("C");
    const int frames = EnvironmentNumber("VENTREL_SOAK_FRAMES", 5000);
    const int rate = EnvironmentNumber("VENTREL_SOAK_RATE", 1000);
    const QString log = Dir.filePath(QStringLiteral("soak.txt"));
    StartRun(log);
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = ProcessCpuSeconds();
    // Frames that reach the port before the receiver has started are thrown
    // away with the start: the sonde begins once the start is taken up.
    ASSERT_TRUE(WaitFor([&] { return Window->Session().Receiver().PendingCommands() == 0; }));
    StartSimulator(Sim,
                   {QStringLiteral("--rate"), QString::number(rate), QStringLiteral("--frames"),
                    QString::number(frames), QStringLiteral("--step"), QStringLiteral("0.2")});

    // Resident memory at every tenth of the flight.
    struct TSample
    {
        int Frames;
        int64_t Resident;
    };
    std::vector<TSample> samples;
    const auto recorded = [&] { return int(Window->Session().RecordedLines().size()); };
    ASSERT_TRUE(WaitFor(
        [&] {
            const int n = recorded();
            if (n >= int(samples.size() + 1) * frames / 10)
                samples.push_back({n, MemoryInUse()});
            return n >= frames && Sim.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(60 + 4 * frames / 100)))
        << recorded() << " of " << frames << " frames recorded";
    const int total = recorded();
    EXPECT_EQ(total, frames);
    // The data list and the graphs have caught up when the last row is in.
    ASSERT_TRUE(WaitFor([&] { return Window->dlvData().RightPane().LineCount() == total; },
                        std::chrono::seconds(60)));
    const double seconds = double(clock.elapsed()) / 1000.0;
    samples.push_back({total, MemoryInUse()});
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    StopRun();
    ExpectLogComplete(log);

    // From a tenth of the flight on (the first packets bring the allocators'
    // own start-up), memory grows per frame by what the frame leaves behind:
    // its recorded line, its packet (twice: all and good), its data-list row
    // and the graphs' points, a few kilobytes at most.
    ASSERT_GE(samples.size(), 5u);
    const TSample &first = samples.front();
    const TSample &last = samples.back();
    const double perFrame =
        double(last.Resident - first.Resident) / double(std::max(1, last.Frames - first.Frames));
    const QString line = Window->Session().RecordedLines().constLast();
    std::printf("soak: %d frames at %d/s (%d recorded) in %.1f s, %.1f CPU s; memory %.1f MB at %d "
                "frames, %.1f MB at %d; %.0f bytes per frame (a log line is %lld characters)\n",
                frames, rate, total, seconds, cpu, double(first.Resident) / 1e6, first.Frames,
                double(last.Resident) / 1e6, last.Frames, perFrame,
                static_cast<long long>(line.size()));
    for (const TSample &sample : samples)
        std::printf("soak: %6d frames  memory %8.1f MB\n", sample.Frames,
                    double(sample.Resident) / 1e6);
    constexpr double Budget = 8 * 1024;
    EXPECT_LT(perFrame, Budget);
}

// One frame a second for a minute through the whole program as it runs for
// an operator: a plain event loop, no polling of the test's own. Reports the
// CPU seconds the process spent.
TEST_F(Soak, DISABLED_LiveRunAtOneFrameASecond)
{
    LocaleGuard locale("C");
    const int seconds = EnvironmentNumber("VENTREL_LIVE_SECONDS", 60);
    const QString log = Dir.filePath(QStringLiteral("live.txt"));
    StartSimulator(Sim, {QStringLiteral("--rate"), QStringLiteral("1")});
    StartRun(log);
    ASSERT_TRUE(WaitFor([&] { return Window->Session().RecordedLines().size() >= 2; },
                        std::chrono::seconds(20)));
    const int before = int(Window->Session().RecordedLines().size());
    const double cpuBefore = ProcessCpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const int received = int(Window->Session().RecordedLines().size()) - before;
    std::printf("live run: %d frames in %d s, %.2f CPU s (%.2f %% of one core)\n", received,
                seconds, cpu, 100.0 * cpu / seconds);
    EXPECT_GE(received, seconds - 2);
    StopRun();
    ExpectLogComplete(log);
}
