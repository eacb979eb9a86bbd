// Load Log of a long flight in the whole window, headless: from the click
// until the data list holds every frame and the graph thread has drawn and
// copied the graphs after the last of them; and the longest time the
// window's event loop did not turn meanwhile (a heartbeat timer every 5 ms
// measures the gaps, the click's own handler included).
//   bench_loadlog                       100,000 frames
//   bench_loadlog --benchmark_filter=/7200
#include "GeneratedFlights.h"

#include "foundation/CustomUtilities.h"
#include "pipeline/GraphThread.h"
#include "support/ScriptedInteraction.h"
#include "ui/DataListView.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

void LoadLog(benchmark::State &state)
{
    const int frames = int(state.range(0));
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("flight.txt"));
    TFlightShape shape;
    shape.Frames = frames;
    if (!WriteFlightLog(log, shape)) {
        state.SkipWithError("cannot write the log");
        return;
    }
    for (auto _ : state) {
        TScriptedInteraction script;
        TfrmMain window;
        window.show();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500) // the first layout and its graph resize
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

        QElapsedTimer clock;
        qint64 lastBeat = 0;
        qint64 longestGap = 0;
        QTimer heartbeat;
        heartbeat.setInterval(5);
        // Each stall over 50 ms, with the lines listed after it, so that the
        // stall can be told apart: the click, or the list taking its rows.
        QStringList stalls;
        auto listed = [&] { return window.dlvData().RightPane().LineCount(); };
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            if (now - lastBeat > 50)
                stalls << QStringLiteral("%1 ms at %2 ms (%3 listed)")
                              .arg(now - lastBeat)
                              .arg(lastBeat)
                              .arg(listed());
            longestGap = std::max(longestGap, now - lastBeat);
            lastBeat = now;
        });
        script.ExpectOpenFile(log);
        clock.start();
        heartbeat.start();
        qint64 clickMs = 0;
        QTimer::singleShot(0, &window, [&] {
            QElapsedTimer click;
            click.start();
            window.Guarded([&] { window.LoadLogClick(); });
            clickMs = click.elapsed();
        });
        while (listed() < frames && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 listedAt = clock.elapsed();
        // The graphs: a whole cycle of the graph thread after every frame,
        // with its copy to the screen.
        window.Session().GraphThread().WaitForPosted(60000);
        const qint64 drawnAt = clock.elapsed();
        heartbeat.stop();
        longestGap = std::max(longestGap, clock.elapsed() - lastBeat);

        state.SetIterationTime(std::max(listedAt, drawnAt) / 1000.0);
        state.counters["list_ms"] = double(listedAt);
        state.counters["graphs_ms"] = double(drawnAt);
        state.counters["longest_gap_ms"] = double(longestGap);
        state.counters["click_ms"] = double(clickMs);
        state.counters["listed"] = double(listed());
        state.counters["recorded"] = double(window.Session().RecordedLines().size());
        std::fprintf(stderr, "stalls: %s\n", qPrintable(stalls.join(QStringLiteral("; "))));
        if (listed() != frames || window.Session().RecordedLines().size() != frames)
            state.SkipWithError("frames were lost");
    }
}
BENCHMARK(LoadLog)
    ->Arg(100000)
    ->Arg(7200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InitialiseProcess();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
