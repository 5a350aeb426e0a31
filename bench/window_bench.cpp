// How long the window takes to colour the gaps of the longest accepted texts: the worst
// case alternates matched and unmatched characters, one range each.
//
//   QT_QPA_PLATFORM=offscreen build/bench/window_bench

#include <benchmark/benchmark.h>

#include <QApplication>

#include "window/main_window.h"
#include "window/window_operations.h"

namespace {

using namespace velmora;

void colourGaps(benchmark::State& state)
{
    const auto step = static_cast<std::int32_t>(state.range(0));
    MainWindow window;
    const QString text(32766, QLatin1Char('a'));
    for (auto _ : state) {
        state.PauseTiming();
        window.controls().RT1->setText(text);
        state.ResumeTiming();
        QtWindowOperations operations(window.controls());
        for (std::int32_t start = 0; start < text.size(); start += step) operations.colourGap(Box::RT1, start, 1);
        operations.flush();
    }
    state.counters["ranges"] = static_cast<double>(text.size() / step);
}

}  // namespace

BENCHMARK(colourGaps)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
