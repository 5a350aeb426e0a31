#pragma once
// The column sweep on numbers of any size, laid out for speed: each column's counts are
// GMP limb arrays end to end (see limb_column.h), and a row costs two or three passes
// over numbers of its size where the recurrence allows:
//  - a match copies its diagonal neighbour;
//  - an accepted row adds the nearest take calls and its own skip calls to the row below:
//    N(i) = N(i + 1) + T + S(i), since each skipped character repeats the take call once;
//  - a row whose first skipped character already rejects every candidate is
//    N(i) = N(i, j + 1) + P + C * S(i), with P the take calls of the C candidates;
//  - only the other rejections read the stack of running skip maxima, gathering the
//    candidates' calls from it in one pass per prefix sum and per suffix of skip calls.
// The prefix sums of the skip calls are extended as they are needed, and always before
// a row is published to the thread that may overwrite the skip calls it was read from.

#include <cstdint>
#include <gmpxx.h>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/length/sweep/limb_column.h"
#include "engine/length/sweep/queried_pairs.h"

namespace velmora::sweep {

// The state of a sweep after one column, enough to go on from there: per row that
// column's lengths and counts, and the skip value and skip calls of the row's character
// with its nearest partner at or after the column.
struct SweepState {
    explicit SweepState(std::size_t rows);
    std::int32_t column = 0;
    std::vector<std::int16_t> length, skipValue;
    LimbStore counts, skipCalls;
};

struct LimbSweepOptions {
    std::int32_t band = 0;  // columns one thread sweeps side by side (0: as suits the table)
    // In bands wider than a column, the prefix sums of take calls each column keeps: two
    // blocks of this many (0: as suits the table). Beyond them the sweep starts again
    // keeping them all.
    std::int32_t prefixSumsPerBlock = 0;
    // The fewest limbs of a chunk the numbers are laid in (0: as suits the table). Small
    // chunks hand a column's rows back to the pool a few at a time.
    std::int32_t chunkLimbs = 0;
    // Each thread keeps bands of its own width, half the band and one and a half, rather
    // than widths by the threads' speed: so bands begin at columns no fixed width gives.
    bool unevenBands = false;
    // Where the sweep starts: after this state's column (null: after the last column, the
    // empty remainder). Only the rows from lowestRow and the columns from lowestColumn are
    // swept; nothing must be queried outside them.
    const SweepState* start = nullptr;
    std::int32_t lowestRow = 1, lowestColumn = 1;
    // The state after every checkpointEvery-th column goes to (*checkpoints)[column /
    // checkpointEvery - 1]; the vector must hold that many entries.
    std::int32_t checkpointEvery = 0;
    std::vector<std::unique_ptr<SweepState>>* checkpoints = nullptr;
};

// The invocations nested in the queried pairs (each pair's, into (*each)[its index], if
// asked), and CommonLength(first, second) where the sweep reached (1, 1). Both texts
// non-empty.
std::pair<mpz_class, std::int16_t> sweepInLimbs(std::u16string_view first, std::u16string_view second,
                                                const QueriedPairs& queries, std::vector<mpz_class>* each,
                                                ComputationControl* control, const LimbSweepOptions& options = {});

}  // namespace velmora::sweep
