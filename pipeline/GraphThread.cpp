#include "pipeline/GraphThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMetaObject>
#include <exception>

namespace {

constexpr unsigned long CycleMilliseconds = 100;
// How often a thread waiting for its copy checks for termination.
constexpr unsigned long CopyPollMilliseconds = 20;

// The copy to the screen as the owner's thread runs it and the graph thread
// waits for it. Shared, because a thread told to end stops waiting and may
// be gone before the owner gets to the copy.
struct TScreenCopy
{
    QMutex Lock;
    QWaitCondition Finished;
    bool Started = false;
    bool Done = false;
    bool Cancelled = false;
    // Per graph copied: empty, or what went wrong.
    std::vector<std::pair<TGraphType, QString>> Results;
};

} // namespace

TGraphThread::TGraphThread(QObject *parent)
    : TGraphThread(std::make_unique<TGraphPipeline>(), parent)
{
}

TGraphThread::TGraphThread(std::unique_ptr<TGraphPipeline> pipeline, QObject *parent)
    : QThread(parent), FPipeline(std::move(pipeline))
{
    setObjectName(QStringLiteral("GraphThread"));
    start();
}

TGraphThread::~TGraphThread()
{
    TerminateAndWait();
}

void TGraphThread::SetGraphTarget(TGraphType type, QImage *target)
{
    if (type > gtTime)
        return;
    FPipeline->Graph(type).SetTarget(target);
    FTargets[type].store(target);
    FTargetChanged[type].store(true);
}

void TGraphThread::Wake()
{
    QMutexLocker locker(&FPauseLock);
    FWakeRequested = true;
    FPauseCondition.wakeAll();
}

void TGraphThread::TerminateAndWait()
{
    requestInterruption();
    Wake();
    // The owner's events keep flowing, so that a copy the thread is waiting
    // for can still run; the thread also gives up such a wait by itself.
    while (!wait(QDeadlineTimer(10)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

uint64_t TGraphThread::RequestCycle()
{
    uint64_t target;
    {
        TBufferLock<TRawDataPacket> lock(FCommands.Buffer());
        target = FStartedCycles + 1;
    }
    Wake();
    return target;
}

bool TGraphThread::WaitForPosted(int timeoutMs)
{
    const uint64_t target = RequestCycle();
    QElapsedTimer timer;
    timer.start();
    while (FCompletedCycles.load() < target) {
        if (isFinished() || (timeoutMs >= 0 && timer.elapsed() > timeoutMs))
            return FCompletedCycles.load() >= target;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QMutexLocker locker(&FCycleLock);
        if (FCompletedCycles.load() < target)
            FCycleDone.wait(locker.mutex(), 5);
    }
    return true;
}

void TGraphThread::run()
{
    while (!isInterruptionRequested()) {
        RunCycle();
        Pause();
    }
}

void TGraphThread::Pause()
{
    QMutexLocker locker(&FPauseLock);
    if (!FWakeRequested && !isInterruptionRequested())
        FPauseCondition.wait(locker.mutex(), CycleMilliseconds);
    FWakeRequested = false;
}

void TGraphThread::RunCycle()
{
    TCommandList batch;
    uint64_t cycle;
    {
        TBufferLock<TRawDataPacket> lock(FCommands.Buffer());
        batch = FCommands.Buffer().SwapItems({});
        cycle = ++FStartedCycles;
    }
    for (TGraphType type : {gtStandard, gtSkewT, gtTime})
        if (FTargetChanged[type].exchange(false))
            FPipeline->Invalidate(type);

    TCycleOutput output;
    FPipeline->RunCycle(
        batch, output,
        [&](TCycleOutput &made) {
            {
                TBufferLock<TDataViewPacket> lock(FViewPackets);
                for (auto &packet : made.ViewPackets)
                    FViewPackets.Add(std::move(packet));
            }
            if (made.Products) {
                made.Products->Cycle = cycle;
                TDataBuffer<TSoundingProductsPacket>::TItems newest;
                newest.push_back(std::move(made.Products));
                // Older products nobody took are freed after the lock is left.
                TBufferLock<TSoundingProductsPacket> lock(FProducts);
                newest = FProducts.SwapItems(std::move(newest));
            }
            if (!made.Images.empty()) {
                TBufferLock<TPrintImage> lock(FImages);
                for (auto &image : made.Images)
                    FImages.Add(std::move(image));
            }
        },
        true, false, [&](TCycleOutput &drawn) { CopyToScreen(drawn); });

    if (!output.Errors.isEmpty()) {
        TBufferLock<TStringWrapper> lock(FErrors);
        for (const QString &message : std::as_const(output.Errors))
            FErrors.Add(std::make_unique<TStringWrapper>(message));
    }
    {
        QMutexLocker locker(&FCycleLock);
        FCompletedCycles.fetch_add(1);
    }
    FCycleDone.wakeAll();
}

void TGraphThread::CopyToScreen(TCycleOutput &output)
{
    std::vector<TGraphType> graphs;
    for (TGraphType type : output.Redrawn)
        if (FTargets[type].load())
            graphs.push_back(type);
    if (graphs.empty() || isInterruptionRequested())
        return;

    auto copy = std::make_shared<TScreenCopy>();
    TGraphPipeline *pipeline = FPipeline.get();
    QMetaObject::invokeMethod(
        this,
        [this, copy, pipeline, graphs] {
            {
                QMutexLocker locker(&copy->Lock);
                if (copy->Cancelled)
                    return;
                copy->Started = true;
            }
            std::vector<std::pair<TGraphType, QString>> results;
            for (TGraphType type : graphs) {
                QString error;
                try {
                    pipeline->Graph(type).PaintTarget();
                } catch (const EVentrelError &e) {
                    error = e.Message();
                } catch (const std::exception &e) {
                    error = QString::fromLocal8Bit(e.what());
                }
                results.emplace_back(type, error);
            }
            // The copies are done; the thread may go on while the screen repaints.
            {
                QMutexLocker locker(&copy->Lock);
                copy->Results = results;
                copy->Done = true;
                copy->Finished.wakeAll();
            }
            if (OnTargetPainted)
                for (const auto &[type, error] : results)
                    if (error.isEmpty())
                        OnTargetPainted(type);
        },

        Qt::QueuedConnection);

    // Waits like a blocking call, but a thread told to end gives up a copy
    // that has not begun, so that ending never depends on the owner's events.
    FAwaitingCopy.store(true);
    QMutexLocker locker(&copy->Lock);
    while (!copy->Done) {
        if (!copy->Started && isInterruptionRequested()) {
            copy->Cancelled = true;
            break;
        }
        copy->Finished.wait(locker.mutex(), CopyPollMilliseconds);
    }
    FAwaitingCopy.store(false);
    for (const auto &[type, error] : copy->Results) {
        const QString key = GraphTypeToName(type) + QStringLiteral("/paint");
        if (error.isEmpty())
            FPipeline->ReportSuccess(key);
        else
            FPipeline->ReportError(key, GraphCaption(type) + QStringLiteral(": ") + error,
                                   output.Errors);
    }
}
