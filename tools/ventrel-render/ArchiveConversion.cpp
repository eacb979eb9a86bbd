#include "ArchiveConversion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
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
    std::vector<TOutput> outputs;
    for (const TOutputKind *kind : job.Outputs) {
        const QString file = stem + kind->Suffix;
        outputs.push_back({file, kind->Make(flight, file)});
    }
    WriteOutputs(outputs);
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
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < total; i = next++) {
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
    std::unique_lock<std::mutex> locker(progress.Lock);
    for (;;) {
        progress.Changed.wait_for(locker, std::chrono::milliseconds(250));
        const bool finished = progress.Running == 0;
        std::deque<QString> errors;
        errors.swap(progress.Errors);
        const QString line = ProgressLine(progress.Done, total, progress.Frames, clock.elapsed());
        locker.unlock();
        if (shown && !errors.empty())
            std::fputs("\r\033[K", stderr);
        for (const QString &error : errors) {
            std::fprintf(stderr, "ventrel-render: %s\n", error.toLocal8Bit().constData());
            failed = true;
        }
        if (job.Progress) {
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
    return failed ? 1 : 0;
}
