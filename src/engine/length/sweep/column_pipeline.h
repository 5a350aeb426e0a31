#pragma once
// How the column sweeps share the work between two threads: each takes a turn of columns,
// a block of rows behind the turn to its right. Each column publishes how far down it is
// finished; the column to its left waits for the rows it reads.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "engine/base/computation_control.h"

namespace velmora::sweep {

// Progress is published, and waited for, in blocks of rows: a row at a time would keep
// the two threads trading one cache line.
inline constexpr std::int32_t kRowsPerStep = 64;

// The other thread has failed or been cancelled.
struct PartnerStopped {};

// Which column a buffer holds now, and from which row on it is final.
struct ColumnProgress {
    alignas(64) std::atomic<std::int32_t> column{0};
    std::atomic<std::int32_t> done{0};

    // Column j starts: nothing of it is final yet.
    void begin(std::int32_t j, std::int32_t rows)
    {
        done.store(rows + 1);
        column.store(j, std::memory_order_release);
    }
    // Rows from `row` to the end are final.
    void publish(std::int32_t row) { done.store(row, std::memory_order_release); }
    // Whether row i should be published now.
    static bool publishesAt(std::int32_t i) { return i % kRowsPerStep == 0 || i == 1; }
};

// The columns one thread sweeps side by side: from `first` down to `first - width + 1`.
// Turns are numbered from 0, the rightmost, in the order they are handed out.
struct ColumnTurn {
    std::int32_t first = 0, width = 0, index = 0;
};

class ColumnPipeline {
public:
    // Columns `columns` down to `lowest` of a sweep over `rows` rows, handed out
    // `perTurn` columns at a time.
    ColumnPipeline(std::int32_t columns, std::int32_t rows, ComputationControl* control, std::int32_t perTurn = 1,
                   std::int32_t lowest = 1)
        : columns_(columns),
          rows_(rows),
          perTurn_(perTurn),
          lowest_(lowest),
          nextColumn_(columns),
          control_(control)
    {
    }
    // A sweep that is a small part of a computation checks its cancel request but leaves
    // its progress alone: the fraction of one corner is not the computation's.
    void keepProgressUnreported() { reportsFraction_ = false; }
    // The thread that has swept its last turns faster takes perTurn columns, the slower
    // as many as it sweeps in the same time (at least narrowestTurn()): the two processors
    // of a virtual machine may run at different speeds, and the faster would otherwise
    // wait for the slower a block at a time. (Wider turns for the faster thread would
    // balance as well, but each column of a turn keeps its own working memory, and at
    // 3,000 characters fresh memory costs about as much as the sweep saves.)
    void balanceTurns();
    // Turns of these widths for each thread, whatever their speed (to test uneven turns).
    void fixTurnWidths(std::int32_t first, std::int32_t second);
    // The most columns a turn may take.
    std::int32_t widestTurn() const { return std::max({perTurn_, fixedWidths_[0], fixedWidths_[1]}); }
    std::int32_t narrowestTurn() const;

    // Whether a second thread pays off: only where the columns are long enough to overlap.
    bool usesTwoThreads() const;

    // Calls sweepTurn(turn, worker) for every turn of columns from the last to the lowest,
    // worker 0 or 1 being the thread's own state. The threads take every other turn, each
    // once it has finished its last, so at most two turns are under way, neighbours, and
    // every turn before them is finished. Rethrows the failure that stopped the sweep.
    void run(const std::function<void(const ColumnTurn& turn, int worker)>& sweepTurn);

    // Throws once the other thread has stopped or the computation is cancelled: between
    // blocks of a wide turn, which at the longest texts takes seconds.
    void throwIfStopped() const
    {
        if (stop_.load(std::memory_order_relaxed)) throw PartnerStopped{};
        if (control_) control_->throwIfCancelled();
    }

    // Waits until `right` (column `column` + 1) is final from `row` on; `seenDone` is how
    // far it was last seen finished, so that most rows need no look at the other thread.
    void waitFor(const ColumnProgress& right, std::int32_t column, std::int32_t row, std::int32_t& seenDone) const
    {
        // Rows further down the right-hand column are what this row reads.
        if (seenDone > row) waitUntilDone(right, column, row, seenDone);
    }

private:
    void waitUntilDone(const ColumnProgress& right, std::int32_t column, std::int32_t row,
                       std::int32_t& seenDone) const;
    void sweepTurns(int worker, const std::function<void(const ColumnTurn&, int)>& sweepTurn);
    // The next turn for `worker`, which has just spent `busySeconds` (waits aside) on
    // `lastWidth` columns; false when every column is handed out or the sweep has stopped.
    bool nextTurn(int worker, double busySeconds, std::int32_t lastWidth, ColumnTurn& turn);
    std::int32_t widthFor(int worker) const;

    std::int32_t columns_, rows_, perTurn_, lowest_;
    bool balanced_ = false;
    std::int32_t fixedWidths_[2] = {0, 0};
    std::mutex turns_;
    std::condition_variable turnTaken_;
    bool alternating_ = false;
    std::int32_t nextColumn_, nextIndex_ = 0;
    double secondsPerColumn_[2] = {0, 0};  // 0: not measured yet
    ComputationControl* control_;
    bool reportsFraction_ = true;
    std::atomic<bool> stop_{false};
    std::atomic<std::int32_t> columnsDone_{0};
};

}  // namespace velmora::sweep
