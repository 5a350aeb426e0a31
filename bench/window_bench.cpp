// How long the window takes to colour the gaps of the longest accepted texts: the worst
// case alternates matched and unmatched characters, one range each.
//
//   QT_QPA_PLATFORM=offscreen build/bench/window_bench

#include <benchmark/benchmark.h>

#include <QApplication>

#include "window/main_window.h"
#include "window/qt_window_operations.h"
#include "window/workflow.h"

namespace {

using namespace velmora;

void colourGaps(benchmark::State& state)
{
    const auto step = static_cast<std::int32_t>(state.range(0));
    MainWindow window;
    const QString text(32766, QLatin1Char('a'));
    for (auto _ : state) {
        state.PauseTiming();
        window.controls().upperBox->setText(text);
        state.ResumeTiming();
        QtWindowOperations operations(window.controls());
        for (std::int32_t start = 0; start < text.size(); start += step) operations.colourGap(Box::RT1, start, 1);
        operations.flush();
    }
    state.counters["ranges"] = static_cast<double>(text.size() / step);
}

// The whole "计算1" action in a shown window, on the longest texts: capture, engine,
// colouring and repaint. Argument 0: two identical texts (no gap); 1: 32,766 characters
// against half of them, every other character of the lower text passed over (16,383 gaps,
// the most ranges a computation within the call limit can colour).
void computeInShownWindow(benchmark::State& state)
{
    MainWindow window;
    Workflow workflow(window);
    workflow.load();
    QString lower;
    for (int i = 0; i < 16383; ++i) lower += QStringLiteral("ab");
    const QString upper = state.range(0) == 0 ? lower : QString(16383, QLatin1Char('a'));
    window.controls().upperBox->setText(upper);
    window.controls().lowerBox->setText(lower);
    for (auto _ : state) {
        window.controls().compute1Button->click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.controls().editButton->click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["gaps"] = static_cast<double>(workflow.state().RowCount);
}

}  // namespace

BENCHMARK(colourGaps)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(computeInShownWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
