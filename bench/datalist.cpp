// The data list under a long flight: adding lines in the batches the main
// window's once-a-second tick delivers, and repainting the view.
//   bench_datalist --benchmark_filter=AddBatch
#include "foundation/CustomUtilities.h"
#include "ui/DataListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {
// A time text and a row of ten padded channels plus the derived columns, as
// long as the rows of a full configuration.
QString TimeText(int i)
{
    return QStringLiteral("%1:%2:%3")
        .arg(10 + i / 3600 % 14, 2, 10, QLatin1Char('0'))
        .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(i % 60, 2, 10, QLatin1Char('0'));
}

QString RowText(int i)
{
    QString row;
    for (int channel = 0; channel < 13; ++channel)
        row += QStringLiteral("%1").arg(1000.0 - i * 0.01 + channel, 9, 'f', 1);
    return row;
}

class TPaintCounter : public QObject
{
  public:
    explicit TPaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int64_t Count = 0;

  protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// A view the size of the main window's data list, shown offscreen.
std::unique_ptr<TDataListView> MakeView(QSize size)
{
    auto view = std::make_unique<TDataListView>();
    view->SetBackground(Qt::white);
    view->SetMinLeftPadding(100);
    for (int i = 0; i < 2; ++i)
        view->AddHeaderLine(RowText(0));
    view->resize(size);
    view->show();
    QElapsedTimer waited;
    waited.start();
    while (!(view->windowHandle() && view->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle();
    return view;
}

struct TBatch
{
    QStringList Times;
    QStringList Rows;
};

TBatch MakeBatch(int first, int count)
{
    TBatch batch;
    for (int i = first; i < first + count; ++i) {
        batch.Times.append(TimeText(i));
        batch.Rows.append(RowText(i));
    }
    return batch;
}

// One batch: the lines of one tick as the main window adds them, scrolled to
// the end as with Auto Scroll, and the repaint that follows.
void AddBatch(TDataListView &view, const TBatch &batch)
{
    view.AddLines(batch.Times, batch.Rows);
    view.ScrollToEnd();
    view.viewport()->repaint();
    Settle();
}

void RunBatches(benchmark::State &state, int batches, int batchSize)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto view = MakeView(QSize(579, 95));
        state.ResumeTiming();
        double worst = 0;
        double total = 0;
        QElapsedTimer timer;
        for (int b = 0; b < batches; ++b) {
            state.PauseTiming();
            const TBatch batch = MakeBatch(b * batchSize, batchSize);
            state.ResumeTiming();
            timer.start();
            AddBatch(*view, batch);
            const double ms = timer.nsecsElapsed() / 1e6;
            total += ms;
            worst = std::max(worst, ms);
        }
        state.counters["lines"] = double(batches) * batchSize;
        state.counters["batch_mean_ms"] = total / batches;
        state.counters["batch_max_ms"] = worst;
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}

// 100,000 lines in batches of 1,000; the figure that matters is batch_max_ms.
void BM_AddBatches100k(benchmark::State &state)
{
    RunBatches(state, 100, 1000);
}
BENCHMARK(BM_AddBatches100k)->Unit(benchmark::kMillisecond)->Iterations(1);

// 1,000,000 lines: nothing may break near the largest widget size.
void BM_AddBatches1M(benchmark::State &state)
{
    RunBatches(state, 1000, 1000);
}
BENCHMARK(BM_AddBatches1M)->Unit(benchmark::kMillisecond)->Iterations(1);

// A whole loaded flight in one tick: 100,000 lines at once.
void BM_AddOneBatch100k(benchmark::State &state)
{
    RunBatches(state, 1, 100000);
}
BENCHMARK(BM_AddOneBatch100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// One full repaint of a view holding 100,000 lines, scrolled to the middle;
// the argument is the view height (95: the main window's list; 800: large).
void BM_Repaint(benchmark::State &state)
{
    auto view = MakeView(QSize(state.range(0) == 95 ? 579 : 1200, int(state.range(0))));
    for (int b = 0; b < 100; ++b)
        for (int i = b * 1000; i < (b + 1) * 1000; ++i)
            view->AddLine(TimeText(i), RowText(i));
    view->SetActiveLine(50000);
    view->SetVerticalScrollPosition(50000 * view->RightPane().LineHeight());
    view->SetHorizontalScrollPosition(view->horizontalScrollBar()->maximum() / 2);
    Settle();
    TPaintCounter paints(&view->RightPane());
    for (auto _ : state)
        view->viewport()->repaint();
    // Proof that the rows were painted each time, not skipped.
    state.counters["row_paints_per_repaint"] = double(paints.Count) / state.iterations();
    state.counters["line_height_px"] = view->RightPane().LineHeight();
}
BENCHMARK(BM_Repaint)->Arg(95)->Arg(800)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InitialiseProcess();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
