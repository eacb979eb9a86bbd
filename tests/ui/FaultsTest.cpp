// The whole window under faults of its surroundings: the log's folder gone
// and back, a full file system, the telemetry source lost and back, and a
// flood of garbage on the exchange port. Nothing recorded may be lost.
#include "RunHarness.h"
#include "devices/FileManager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class Faults : public TRunHarness
{
  protected:
    // Runs until a write to the log fails (`breakLog` makes it fail), keeps
    // the error box up while the writer retries, repairs the cause and stops
    // the run from within the box; afterwards no second box may come and the
    // log must hold every recorded line.
    void FailAndRepair(const QString &log, const std::function<void()> &breakLog,
                       const std::function<void()> &repairLog)
    {
        StartSimulator(Sim, {QStringLiteral("--rate"), QStringLiteral("10")});
        StartRun(log);
        ASSERT_TRUE(
            WaitFor([&] { return LogDataLines(log).size() >= 3; }, std::chrono::seconds(20)));
        breakLog();

        int recordedAtFailure = -1;
        int pendingWhileShown = 0;
        Script.ExpectError([&] {
            recordedAtFailure = int(Window->Session().RecordedLines().size());
            // As under a real box: the event loop runs and the writer keeps
            // failing once a second. Any box requested now would be stacked
            // on this one, and the script would refuse it.
            EXPECT_TRUE(
                WaitFor([&] { return Window->Session().FileManager().PendingResults() >= 2; },
                        std::chrono::seconds(20)));
            pendingWhileShown = Window->Session().FileManager().PendingResults();
            repairLog();
            Window->StopRun();
            // Once the log has caught up no failure is on its way any more.
            ExpectLogComplete(log);
        });
        ASSERT_TRUE(
            WaitFor([&] { return Script.PendingAnswers() == 0 && !Window->Session().Running(); },
                    std::chrono::seconds(30)));
        ASSERT_EQ(Script.Requests().size(), 3u); // information, save, error, nothing more
        EXPECT_EQ(Script.Requests().back().Text, QStringLiteral("Could not write to file ") + log);
        EXPECT_GE(pendingWhileShown, 2);
        // Repeats are dropped, not deferred: ticks come and go without a box.
        const int ticks = 3;
        int seen = 0;
        QTimer counter;
        QObject::connect(&counter, &QTimer::timeout, [&] { ++seen; });
        counter.start(100);
        ASSERT_TRUE(WaitFor([&] { return seen >= ticks; }));
        EXPECT_EQ(Window->Session().FileManager().PendingResults(), 0);
        EXPECT_EQ(Script.Requests().size(), 3u);

        EXPECT_GT(Window->Session().RecordedLines().size(), recordedAtFailure)
            << "nothing arrived meanwhile";
        ExpectLogComplete(log);
    }
};

// The first write with no room makes room for nothing else: fill every byte
// the file system has left.
bool FillFileSystem(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const std::vector<char> block(512, 'x');
    for (;;) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n > 0)
            continue;
        const bool full = n < 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }
}

} // namespace

TEST_F(Faults, LogFolderGoneAndBackLosesNothing)
{
    LocaleGuard locale("C");
    const QString folder = Dir.filePath(QStringLiteral("logs"));
    const QString away = Dir.filePath(QStringLiteral("logs.away"));
    ASSERT_TRUE(QDir().mkpath(folder));
    // A file where the folder was: no write reaches the log, root or not.
    FailAndRepair(
        folder + QStringLiteral("/run.txt"),
        [&] {
            ASSERT_TRUE(QDir().rename(folder, away));
            QFile blocker(folder);
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        },
        [&] {
            ASSERT_TRUE(QFile::remove(folder));
            ASSERT_TRUE(QDir().rename(away, folder));
        });
}

TEST_F(Faults, FullFileSystemThenFreedLosesNothing)
{
    LocaleGuard locale("C");
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const QString mountPoint = Dir.filePath(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QByteArray target = QFile::encodeName(mountPoint);
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct TUnmount
    {
        QByteArray Target;
        ~TUnmount() { ::umount2(Target.constData(), MNT_DETACH); }
    } unmount{target};

    const QString filler = mountPoint + QStringLiteral("/filler");
    FailAndRepair(
        mountPoint + QStringLiteral("/run.txt"), [&] { ASSERT_TRUE(FillFileSystem(filler)); },
        [&] { ASSERT_TRUE(QFile::remove(filler)); });
}

TEST_F(Faults, FramesAfterTheSourceReconnectsAreRecorded)
{
    LocaleGuard locale("C");
    const QString log = Dir.filePath(QStringLiteral("run.txt"));
    StartSimulator(Sim, {QStringLiteral("--rate"), QStringLiteral("50")});
    StartRun(log);
    ASSERT_TRUE(WaitFor([&] { return Window->Session().RecordedLines().size() >= 10; },
                        std::chrono::seconds(20)));
    Sim.kill();
    ASSERT_TRUE(Sim.waitForFinished(10000));
    // Whatever was on its way is in; then nothing comes.
    const QStringList before = Window->Session().RecordedLines();

    // Another sonde (or the decoder restarted) on a fresh connection.
    Sim2.setReadChannel(QProcess::StandardOutput);
    StartSimulator(Sim2, {QStringLiteral("--rate"), QStringLiteral("50"), QStringLiteral("--echo"),
                          QStringLiteral("--launch-elevation"), QStringLiteral("1200")});
    QByteArray echoed;
    ASSERT_TRUE(WaitFor(
        [&] {
            echoed += Sim2.readAllStandardOutput();
            return Window->Session().RecordedLines().size() >= before.size() + 30;
        },
        std::chrono::seconds(20)));
    StopRun();
    ASSERT_TRUE(WaitFor([&] {
        echoed += Sim2.readAllStandardOutput();
        return echoed.count('\n') >= Window->Session().RecordedLines().size() - before.size();
    }));

    // The frames of the second source follow the first's, whole and in order
    // (frames of the first still on their way at the kill come before them).
    const QStringList recorded = Window->Session().RecordedLines();
    const QStringList sent = QString::fromLatin1(echoed).split(QLatin1Char('\n'));
    QStringList raw;
    for (const QString &line : recorded)
        raw << line.section(QLatin1Char('\t'), -1);
    ASSERT_GE(sent.size(), 5);
    const auto start = std::search(raw.begin(), raw.end(), sent.begin(), sent.begin() + 5);
    ASSERT_NE(start, raw.end()) << "the second source's first frames are missing";
    EXPECT_GE(start - raw.begin(), before.size());
    EXPECT_GE(raw.end() - start, 20);
    EXPECT_TRUE(std::equal(start, raw.end(), sent.begin()));
    ExpectLogComplete(log);
}

TEST_F(Faults, GarbageFloodKeepsMemoryBoundedAndTheWindowResponsive)
{
    LocaleGuard locale("C");
    const QString log = Dir.filePath(QStringLiteral("run.txt"));
    StartSimulator(Sim, {QStringLiteral("--rate"), QStringLiteral("20")});
    StartRun(log);
    ASSERT_TRUE(WaitFor([&] { return Window->Session().RecordedLines().size() >= 10; },
                        std::chrono::seconds(20)));
    const int64_t baseline = ResidentBytes();

    // Random bytes on a second connection as fast as the port takes them.
    // They swallow the sonde's frames while they last.
    std::atomic<bool> stop{false};
    std::atomic<int64_t> flooded{0};
    std::thread flood([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(Port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        std::vector<char> garbage(64 * 1024);
        QRandomGenerator random(7);
        // No delimiter: the framing must drop it all, however long.
        for (char &c : garbage)
            do
                c = char(random.bounded(256));
            while (c == '/');
        while (!stop) {
            const ssize_t n = ::send(fd, garbage.data(), garbage.size(), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            flooded += n;
        }
        ::close(fd);
    });

    // Every 200 ms another thread asks the window's thread for an answer.
    std::atomic<int64_t> worstMs{0};
    std::atomic<int> answered{0};
    QElapsedTimer flooding;
    flooding.start();
    std::thread asker([&] {
        while (!stop) {
            QElapsedTimer asked;
            asked.start();
            QMetaObject::invokeMethod(
                Window.get(),
                [&, asked] {
                    worstMs = std::max<int64_t>(worstMs, asked.elapsed());
                    ++answered;
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    int64_t peak = baseline;
    WaitFor(
        [&] {
            peak = std::max(peak, ResidentBytes());
            return flooding.elapsed() >= 10000;
        },
        std::chrono::seconds(15));
    stop = true;
    flood.join();
    asker.join();
    ASSERT_TRUE(WaitFor([&] { return Window->Session().Receiver().PendingResults() == 0; }));

    const int64_t growth = peak - baseline;
    std::printf("flood: %.1f MB sent in 10 s; RSS %.1f MB before, peak growth %.1f MB; "
                "%d queued calls answered, the slowest after %lld ms\n",
                double(flooded) / 1e6, double(baseline) / 1e6, double(growth) / 1e6,
                answered.load(), static_cast<long long>(worstMs.load()));
    EXPECT_GT(flooded.load(), 10 * 1024 * 1024) << "the flood did not get through";
    // The exchange buffer, one poll of characters and its copies are bounded
    // (a few MB); the address sanitizer's quarantine keeps freed memory.
#if defined(__SANITIZE_ADDRESS__)
    constexpr int64_t Bound = 512ll << 20;
#else
    constexpr int64_t Bound = 64ll << 20;
#endif
    EXPECT_LT(growth, Bound);
    EXPECT_GE(answered.load(), 10);
    EXPECT_LT(worstMs.load(), 3000) << "the window stopped answering";

    // The sonde still gets through afterwards.
    const int recorded = int(Window->Session().RecordedLines().size());
    EXPECT_TRUE(WaitFor([&] { return Window->Session().RecordedLines().size() >= recorded + 10; }));
    StopRun();
    ExpectLogComplete(log);
}
