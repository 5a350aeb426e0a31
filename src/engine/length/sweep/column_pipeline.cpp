#include "engine/length/sweep/column_pipeline.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace velmora::sweep {

bool ColumnPipeline::usesTwoThreads() const
{
    return columns_ - lowest_ + 1 > perTurn_ && rows_ >= 256 && std::thread::hardware_concurrency() > 1;
}

void ColumnPipeline::run(const std::function<void(std::int32_t, int)>& sweepColumn)
{
    if (!usesTwoThreads()) {
        sweepColumns(columns_, perTurn_, 0, sweepColumn);
        return;
    }
    std::exception_ptr failures[2];
    auto work = [&](std::int32_t firstColumn, int worker) {
        try {
            sweepColumns(firstColumn, 2 * perTurn_, worker, sweepColumn);
        } catch (...) {
            failures[worker] = std::current_exception();
            stop_.store(true);
        }
    };
    std::thread second(work, columns_ - perTurn_, 1);
    work(columns_, 0);
    second.join();
    // The failure that stopped the sweep, not the partner's reaction to it.
    for (const std::exception_ptr& failure : failures) {
        if (!failure) continue;
        try {
            std::rethrow_exception(failure);
        } catch (const PartnerStopped&) {
        }
    }
}

void ColumnPipeline::sweepColumns(std::int32_t firstColumn, std::int32_t step, int worker,
                                  const std::function<void(std::int32_t, int)>& sweepColumn)
{
    for (std::int32_t j = firstColumn; j >= lowest_; j -= step) {
        if (stop_.load(std::memory_order_relaxed)) throw PartnerStopped{};
        if (control_) control_->throwIfCancelled();
        sweepColumn(j, worker);
        const std::int32_t swept = std::min(perTurn_, j - lowest_ + 1);
        const std::int32_t done = columnsDone_.fetch_add(swept) + swept;
        if (control_ && reportsFraction_)
            control_->reportFraction(static_cast<int>(std::int64_t{done} * 1000000 / (columns_ - lowest_ + 1)));
    }
}

void ColumnPipeline::waitUntilDone(const ColumnProgress& right, std::int32_t column, std::int32_t row,
                                   std::int32_t& seenDone) const
{
    for (unsigned spins = 0;; ++spins) {
        if (right.column.load(std::memory_order_acquire) == column + 1) {
            seenDone = right.done.load(std::memory_order_acquire);
            if (seenDone <= row) return;
        }
        if (stop_.load(std::memory_order_relaxed)) throw PartnerStopped{};
        // The other thread is a block of rows ahead: usually a short wait.
        if (spins < 2000) {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }
}

}  // namespace velmora::sweep
