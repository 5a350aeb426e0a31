#include "engine/length/sweep/column_pipeline.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <optional>
#include <thread>

namespace velmora::sweep {
namespace {

using Clock = std::chrono::steady_clock;

// Time this thread has spent waiting for the other in its current turn.
thread_local Clock::duration waitedThisTurn{};

}  // namespace

void ColumnPipeline::balanceTurns() { balanced_ = true; }

void ColumnPipeline::fixTurnWidths(std::int32_t first, std::int32_t second)
{
    fixedWidths_[0] = std::max(narrowestTurn(), first);
    fixedWidths_[1] = std::max(narrowestTurn(), second);
}

// A turn of one column, where turns are wider, would share the limbs of the turn before
// with the turn after it, which outlive neither: only the last turn may be that narrow.
std::int32_t ColumnPipeline::narrowestTurn() const { return perTurn_ > 1 ? std::max(2, perTurn_ / 2) : 1; }

bool ColumnPipeline::usesTwoThreads() const
{
    return columns_ - lowest_ + 1 > perTurn_ && rows_ >= 256 && std::thread::hardware_concurrency() > 1;
}

void ColumnPipeline::run(const std::function<void(const ColumnTurn&, int)>& sweepTurn)
{
    if (!usesTwoThreads()) {
        sweepTurns(0, sweepTurn);
        return;
    }
    std::exception_ptr failures[2];
    auto work = [&](int worker) {
        try {
            sweepTurns(worker, sweepTurn);
        } catch (...) {
            failures[worker] = std::current_exception();
            const std::lock_guard lock(turns_);  // so that a thread waiting for its turn hears it
            stop_.store(true);
            turnTaken_.notify_all();
        }
    };
    alternating_ = true;
    std::thread second(work, 1);
    work(0);
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

void ColumnPipeline::sweepTurns(int worker, const std::function<void(const ColumnTurn&, int)>& sweepTurn)
{
    ColumnTurn turn;
    double busy = 0;
    for (std::int32_t lastWidth = 0; nextTurn(worker, busy, lastWidth, turn); lastWidth = turn.width) {
        throwIfStopped();
        waitedThisTurn = {};
        const Clock::time_point start = Clock::now();
        sweepTurn(turn, worker);
        busy = std::chrono::duration<double>(Clock::now() - start - waitedThisTurn).count();
        const std::int32_t done = columnsDone_.fetch_add(turn.width) + turn.width;
        if (control_ && reportsFraction_)
            control_->reportFraction(static_cast<int>(std::int64_t{done} * 1000000 / (columns_ - lowest_ + 1)));
    }
}

bool ColumnPipeline::nextTurn(int worker, double busySeconds, std::int32_t lastWidth, ColumnTurn& turn)
{
    std::unique_lock lock(turns_);
    if (lastWidth > 0) {
        // A running mean of the last few turns: one turn may be slowed by anything.
        const double perColumn = busySeconds / lastWidth;
        double& mean = secondsPerColumn_[worker];
        mean = mean == 0 ? perColumn : 0.5 * (mean + perColumn);
    }
    // With two threads each takes every other turn, as soon as the other has taken the one
    // before: a turn may reuse what the turn three before it wrote, once the turn two
    // before, which read that, has finished; with every other turn that one is this
    // thread's own. (Taken by whichever thread asks first, it could be the other's, still
    // handing the chunks it has read back to the pool.)
    turnTaken_.wait(lock, [&] {
        return !alternating_ || nextIndex_ % 2 == worker || nextColumn_ < lowest_ ||
               stop_.load(std::memory_order_relaxed);
    });
    if (nextColumn_ < lowest_ || stop_.load(std::memory_order_relaxed)) return false;
    turn = {nextColumn_, std::min(widthFor(worker), nextColumn_ - lowest_ + 1), nextIndex_++};
    nextColumn_ -= turn.width;
    turnTaken_.notify_all();
    return true;
}

std::int32_t ColumnPipeline::widthFor(int worker) const
{
    if (fixedWidths_[worker] > 0) return fixedWidths_[worker];
    const double own = secondsPerColumn_[worker], other = secondsPerColumn_[1 - worker];
    if (!balanced_ || own == 0 || other == 0 || own <= other) return perTurn_;
    // The slower thread sweeps as many columns as the faster does perTurn in the same time.
    return std::max(narrowestTurn(), static_cast<std::int32_t>(std::lround(perTurn_ * other / own)));
}

void ColumnPipeline::waitUntilDone(const ColumnProgress& right, std::int32_t column, std::int32_t row,
                                   std::int32_t& seenDone) const
{
    std::optional<Clock::time_point> waitingSince;
    for (unsigned spins = 0;; ++spins) {
        if (right.column.load(std::memory_order_acquire) == column + 1) {
            seenDone = right.done.load(std::memory_order_acquire);
            if (seenDone <= row) {
                if (waitingSince) waitedThisTurn += Clock::now() - *waitingSince;
                return;
            }
        }
        if (!waitingSince) waitingSince = Clock::now();
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
