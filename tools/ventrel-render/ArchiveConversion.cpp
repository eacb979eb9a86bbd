#include "ArchiveConversion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// What the workers tell the thread that shows progress and errors.
struct TProgress
{
    std::mutex Lock;
    std::condition_variable Changed;
    int Done = 0;
    qint64 Frames = 0;
    int Running = 0;
    std::deque<QString> Errors;
};

// The signal that asked the conversion to stop (SIGINT, SIGTERM), 0 until
// one came. The handler only notes it: flights that are under way finish
// and are written whole, no new one is taken.
std::atomic<int> Interruption{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free atomic");

extern "C" void NoteInterruption(int signal)
{
    Interruption.store(signal);
}

// Installs NoteInterruption for SIGINT and SIGTERM while it lives.
class TInterruptionHandler
{
  public:
    TInterruptionHandler()
    {
        struct sigaction action = {};
        action.sa_handler = NoteInterruption;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // reads and writes go on undisturbed
        for (size_t i = 0; i < Signals.size(); ++i)
            sigaction(Signals[i], &action, &FPrevious[i]);
    }
    ~TInterruptionHandler()
    {
        for (size_t i = 0; i < Signals.size(); ++i)
            sigaction(Signals[i], &FPrevious[i], nullptr);
    }
    TInterruptionHandler(const TInterruptionHandler &) = delete;
    TInterruptionHandler &operator=(const TInterruptionHandler &) = delete;

  private:
    static constexpr std::array<int, 2> Signals{SIGINT, SIGTERM};
    std::array<struct sigaction, 2> FPrevious;
};

QString Clock(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// "[#####.....]  12/100 flights  81,234 frames/s  0:42 left"
QString ProgressLine(int done, int total, qint64 frames, qint64 elapsedMs)
{
    constexpr int Width = 24;
    const int filled = total > 0 ? int(qint64(done) * Width / total) : Width;
    QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                   QString(Width - filled, QLatin1Char('.')) + QLatin1Char(']');
    line += QStringLiteral(" %1/%2 flights").arg(done).arg(total);
    const double seconds = elapsedMs / 1000.0;
    if (seconds > 0)
        line += QStringLiteral("  %1 frames/s").arg(qint64(frames / seconds));
    if (done > 0 && done < total)
        line +=
            QStringLiteral("  %1 left").arg(Clock(qint64(seconds / done * (total - done) + 0.5)));
    return line;
}

void ConvertOne(const TArchiveJob &job, const QString &input, qsizetype &frames)
{
    uint8_t needs = 0;
    for (const TOutputKind *kind : job.Outputs)
        needs |= kind->Needs;
    const TRenderedFlight flight = RenderFlight(input, job.Options, needs);
    frames = flight.Frames;
    const QString stem = QDir(job.Folder).filePath(ArchiveName(input));
    std::vector<std::pair<const TOutputKind *, QString>> outputs;
    for (const TOutputKind *kind : job.Outputs)
        outputs.emplace_back(kind, stem + kind->Suffix);
    // The flights already go side by side, one on each core.
    MakeAndWriteOutputs(flight, outputs, false);
}

} // namespace

QString ArchiveName(const QString &input)
{
    const QString name = QFileInfo(input).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

int ConvertArchive(const TArchiveJob &job)
{
    const int total = int(job.Inputs.size());
    TProgress progress;
    const TInterruptionHandler handler;
    Interruption.store(0);
    std::atomic<int> next{0};
    auto work = [&] {
        while (!Interruption.load()) {
            const int i = next++;
            if (i >= total)
                break;
            const QString &input = job.Inputs[i];
            qsizetype frames = 0;
            QString error;
            try {
                ConvertOne(job, input, frames);
            } catch (const EVentrelError &e) {
                error = e.Message();
            } catch (const std::exception &e) {
                error = QString::fromLocal8Bit(e.what());
            }
            {
                std::lock_guard<std::mutex> locker(progress.Lock);
                ++progress.Done;
                progress.Frames += frames;
                if (!error.isEmpty())
                    progress.Errors.push_back(OneLine(input + QStringLiteral(": ") + error));
            }
            progress.Changed.notify_one();
        }
        std::lock_guard<std::mutex> locker(progress.Lock);
        --progress.Running;
        progress.Changed.notify_one();
    };

    const int workers = std::clamp(QThread::idealThreadCount(), 1, std::max(total, 1));
    progress.Running = workers;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);

    // This thread alone writes to standard error: errors as they come, and
    // the progress bar redrawn over itself on a terminal.
    bool failed = false;
    bool shown = false;
    int done = 0;
    std::unique_lock<std::mutex> locker(progress.Lock);
    for (;;) {
        progress.Changed.wait_for(locker, std::chrono::milliseconds(250));
        const bool finished = progress.Running == 0;
        std::deque<QString> errors;
        errors.swap(progress.Errors);
        done = progress.Done;
        const QString line = ProgressLine(done, total, progress.Frames, clock.elapsed());
        locker.unlock();
        if (shown && !errors.empty())
            std::fputs("\r\033[K", stderr);
        for (const QString &error : errors) {
            std::fprintf(stderr, "ventrel-render: %s\n", error.toLocal8Bit().constData());
            failed = true;
        }
        // The line of the last flight waits for the workers to end: it is
        // the final line, drawn once.
        if (job.Progress && (finished || done < total)) {
            std::fprintf(stderr, "\r\033[K%s%s", line.toLocal8Bit().constData(),
                         finished ? "\n" : "");
            shown = true;
        }
        std::fflush(stderr);
        locker.lock();
        if (finished)
            break;
    }
    locker.unlock();
    for (std::thread &thread : threads)
        thread.join();
    if (const int signal = Interruption.load()) {
        std::fprintf(stderr,
                     "ventrel-render: interrupted by %s: %d of %d flights done, the other %d "
                     "not started\n",
                     signal == SIGINT ? "SIGINT" : "SIGTERM", done, total, total - done);
        return 128 + signal;
    }
    return failed ? 1 : 0;
}
