// How long the window takes to colour the gaps of the longest accepted texts: the worst
// case alternates matched and unmatched characters, one range each.
//
//   QT_QPA_PLATFORM=offscreen build/bench/window_bench

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <random>

#include "window/call_tree_link.h"
#include "window/call_tree_window.h"
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

// The pairs the tree window is measured on: the 30 letters whose whole count is
// 212,060,770, and two 32,766-character texts with counts below the window's limit.
struct TreePair {
    QString upper, lower;
};
TreePair treePair(std::int64_t which)
{
    if (which == 0)
        return {QStringLiteral("DBADDCDABBCACDCDACACACCCCBDDCD"), QStringLiteral("BBDDBBACADACBCDDDBDCDDDBCCDCDA")};
    std::mt19937 random(1);
    QString text(32766, QLatin1Char(' '));
    for (auto& c : text) c = QLatin1Char("ACGT"[random() % 4]);
    if (which == 1) {  // random ACGT and a copy with one substitution 20 characters before its end
        QString edited = text;
        edited[32746] = edited[32746] == QLatin1Char('A') ? QLatin1Char('C') : QLatin1Char('A');
        return {text, edited};
    }
    // runs with a short tail that matches: long stretches skipped or passed over
    return {QString(32766 - 37, QLatin1Char('x')) + QString(21, QLatin1Char('a')) + QString(16, QLatin1Char('b')),
            QString(32766 - 21, QLatin1Char('b')) + QString(21, QLatin1Char('a'))};
}

// Opening 调用树 after 计算1 (the alignment's own calls replayed and the first page counted),
// then expanding its largest top-level node, then listing the hot pairs; each timed on its own.
enum class TreeStep { Open, Expand, HotPairs };
void callTree(benchmark::State& state, TreeStep step)
{
    const TreePair pair = treePair(state.range(0));
    MainWindow window;
    Workflow workflow(window);
    workflow.load();
    window.controls().upperBox->setText(pair.upper);
    window.controls().lowerBox->setText(pair.lower);
    QString total;
    for (auto _ : state) {
        window.controls().compute1Button->click();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        workflow.callTree().open();
        QCoreApplication::processEvents();
        CallTreeWindow* tree = workflow.callTree().treeWindow();
        const double opened = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
        QSortFilterProxyModel* sorted = tree->sortedModel();
        tree->treeView()->sortByColumn(CallTreeModel::Calls, Qt::DescendingOrder);
        timer.restart();
        tree->treeView()->expand(sorted->index(0, 0));
        QCoreApplication::processEvents();
        const double expanded = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
        double listed = 0;
        if (step == TreeStep::HotPairs) {
            timer.restart();
            tree->tabs()->setCurrentIndex(1);
            QCoreApplication::processEvents();
            listed = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
            tree->tabs()->setCurrentIndex(0);
        }
        state.SetIterationTime(step == TreeStep::Open ? opened : step == TreeStep::Expand ? expanded : listed);
        total = tree->model() ? groupedDigits(tree->model()->total()) : QStringLiteral("no tree");
        tree->close();
        window.controls().editButton->click();
        QCoreApplication::processEvents();
    }
    state.SetLabel((total + QStringLiteral(" calls")).toStdString());
}

}  // namespace

BENCHMARK_CAPTURE(callTree, open, TreeStep::Open)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(callTree, expand, TreeStep::Expand)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(callTree, hot_pairs, TreeStep::HotPairs)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
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
