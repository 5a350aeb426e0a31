#pragma once
// How the column sweeps share the work between two threads: one takes every other column,
// a block of rows behind the column to its right. Each column publishes how far down it
// is finished; the column to its left waits for the rows it reads.

#include <atomic>
#include <cstdint>
#include <functional>

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
          control_(control)
    {
    }
    // A sweep that is a small part of a computation checks its cancel request but leaves
    // its progress alone: the fraction of one corner is not the computation's.
    void keepProgressUnreported() { reportsFraction_ = false; }

    // Whether a second thread pays off: only where the columns are long enough to overlap.
    bool usesTwoThreads() const;

    // Calls sweepColumn(j, worker) for every turn of columns from the last to the lowest
    // (j its first column, down to j - perTurn + 1 or the lowest), worker 0 or 1 being the
    // thread's own state. Rethrows the failure that stopped the sweep.
    void run(const std::function<void(std::int32_t j, int worker)>& sweepColumn);

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
    void sweepColumns(std::int32_t firstColumn, std::int32_t step, int worker,
                      const std::function<void(std::int32_t, int)>& sweepColumn);

    std::int32_t columns_, rows_, perTurn_, lowest_;
    ComputationControl* control_;
    bool reportsFraction_ = true;
    std::atomic<bool> stop_{false};
    std::atomic<std::int32_t> columnsDone_{0};
};

}  // namespace velmora::sweep
