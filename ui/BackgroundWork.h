#pragma once
// Pure work of a command (reading and parsing a file) done on a thread of its
// own while the user-interface thread keeps turning its event loop: timers,
// the graph thread's copies to the screen and repaints go on, so the window
// never freezes. User input waits until the work is done, as it would behind
// a handler that did the work itself, so no other command can start in the
// meantime; the command goes on exactly as before once the result is there.
#include "pipeline/DataBuffer.h"

#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// Runs `work` on a worker thread and returns its result, or raises here what
// it raised. The work must not touch widgets or anything the
// user-interface thread may change meanwhile. Call on the user-interface
// thread.
template <class T> T RunInBackground(const std::function<T()> &work)
{
    // What the worker hands back, whole, through one locked buffer.
    struct TOutcome
    {
        std::optional<T> Value;
        std::exception_ptr Error;
    };
    TDataBuffer<TOutcome> handover;
    QEventLoop loop;
    std::thread worker([&] {
        auto outcome = std::make_unique<TOutcome>();
        try {
            outcome->Value.emplace(work());
        } catch (...) {
            outcome->Error = std::current_exception();
        }
        PostToBuffer(handover, std::move(outcome));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Returns early only when the application quits; the work still ends.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();

    std::unique_ptr<TOutcome> outcome;
    {
        TBufferLock<TOutcome> lock(handover);
        outcome = handover.Pop();
    }
    if (outcome->Error)
        std::rethrow_exception(outcome->Error);
    return std::move(*outcome->Value);
}
