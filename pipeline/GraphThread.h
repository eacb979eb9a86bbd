#pragma once
// TGraphThread: the worker that does all processing after decoding. Every
// 100 ms it takes every pending command at once, runs them through its
// TGraphPipeline, hands the data-list rows, print images and error messages
// to its output buffers, and has the redrawn graphs copied into their screen
// images by a blocking call onto the thread that owns this object (the
// user-interface thread).
//
// The owner posts into Commands and empties ViewPackets, Images and Errors
// with its timers; everything else belongs to the thread. The owner must end
// the thread with TerminateAndWait (the destructor does it too), which keeps
// the owner's events flowing so that a copy the thread waits on can finish.
#include "foundation/LocalDefs.h"
#include "foundation/WrapperClasses.h"
#include "pipeline/DataBuffer.h"
#include "pipeline/GraphCommands.h"
#include "pipeline/GraphPipeline.h"

#include <QImage>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class TGraphThread final : public QThread
{
  public:
    // Starts the thread with default settings and three new graphs.
    explicit TGraphThread(QObject *parent = nullptr);
    // Starts the thread on a pipeline of the caller's.
    explicit TGraphThread(std::unique_ptr<TGraphPipeline> pipeline, QObject *parent = nullptr);
    ~TGraphThread() override;

    TGraphCommands &Commands() { return FCommands; }
    TDataBuffer<TDataViewPacket> &ViewPackets() { return FViewPackets; }
    TDataBuffer<TPrintImage> &Images() { return FImages; }
    // Messages for the operator, each reported once.
    TDataBuffer<TStringWrapper> &Errors() { return FErrors; }
    // The newest sounding products asked for (rcSoundingProducts), with the
    // cycle that made them; older ones nobody took are dropped.
    TDataBuffer<TSoundingProductsPacket> &Products() { return FProducts; }

    // The screen image a graph's finished bitmap is copied into, owned by the
    // caller, who must keep it alive until the thread has ended or another
    // target (or none) is set. Call on the owner's thread.
    void SetGraphTarget(TGraphType type, QImage *target);

    // Raised on the owner's thread after a graph's finished bitmap was copied
    // into its target, so that whoever shows the target can repaint it.
    std::function<void(TGraphType type)> OnTargetPainted;

    // Asks the thread to end and waits for it, handling the owner's events
    // meanwhile. Call on the owner's thread. Safe to call more than once.
    void TerminateAndWait();

    // Cuts the thread's current pause short.
    void Wake();
    // Cycles finished so far.
    uint64_t CompletedCycles() const { return FCompletedCycles.load(); }
    // Cuts the pause short and returns the cycle that takes everything
    // posted so far: once CompletedCycles() reaches it, all of that has been
    // processed and its results handed out.
    uint64_t RequestCycle();
    // Waits, handling events, until a cycle that started after this call
    // has finished, so that everything posted before the call has been
    // processed and its results handed out. Call on the owner's thread, whose
    // events carry the copy to the screen. False when the thread has ended or
    // `timeoutMs` (negative: no limit) passed first.
    bool WaitForPosted(int timeoutMs = -1);

    // True while the thread waits for its copy to the screen.
    bool AwaitingCopy() const { return FAwaitingCopy.load(); }

    // The thread's own state. Only for examination while the thread cannot
    // touch it: after it has ended.
    TGraphPipeline &Pipeline() { return *FPipeline; }

  protected:
    void run() override;

  private:
    void RunCycle();
    void CopyToScreen(TCycleOutput &output);
    void Pause();

    std::unique_ptr<TGraphPipeline> FPipeline;
    TGraphCommands FCommands;
    TDataBuffer<TDataViewPacket> FViewPackets;
    TDataBuffer<TPrintImage> FImages;
    TDataBuffer<TStringWrapper> FErrors;
    TDataBuffer<TSoundingProductsPacket> FProducts;

    // Mirrors of the graphs' targets for the thread's side; the graphs'
    // own are read only on the owner's thread.
    std::array<std::atomic<QImage *>, 3> FTargets{};
    std::array<std::atomic<bool>, 3> FTargetChanged{};

    QMutex FPauseLock;
    QWaitCondition FPauseCondition;
    bool FWakeRequested = false;

    // Cycles that have taken their batch (counted under the Commands lock)
    // and cycles that have handed out their results.
    uint64_t FStartedCycles = 0;
    std::atomic<uint64_t> FCompletedCycles{0};
    QMutex FCycleLock;
    QWaitCondition FCycleDone;
    std::atomic<bool> FAwaitingCopy{false};
};
