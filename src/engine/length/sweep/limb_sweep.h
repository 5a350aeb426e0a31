#pragma once
// The column sweep on numbers of any size, laid out for speed: each column's counts are
// GMP limb arrays end to end (see limb_column.h), and a row costs two or three passes
// over numbers of its size where the recurrence allows:
//  - a match copies its diagonal neighbour;
//  - an accepted row adds the nearest take calls and its own skip calls to the row below:
//    N(i) = N(i + 1) + T + S(i), since each skipped character repeats the take call once;
//  - a row whose first skipped character already rejects every candidate is
//    N(i) = N(i, j + 1) + P + C * S(i), with P the take calls of the C candidates;
//  - only the other rejections weigh the stack of running skip maxima, whose weights are
//    brought up to date then and only then.
// The prefix sums of the skip calls are extended as they are needed, and always before
// a row is published to the thread that may overwrite the skip calls it was read from.

#include <cstdint>
#include <gmpxx.h>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/length/sweep/queried_pairs.h"

namespace velmora::sweep {

// The invocations nested in the queried pairs (each pair's, into (*each)[its index], if
// asked), and CommonLength(first, second). Both texts non-empty. `band` columns are swept
// side by side by one thread (0: as many as suit the size of the table).
std::pair<mpz_class, std::int16_t> sweepInLimbs(std::u16string_view first, std::u16string_view second,
                                                const QueriedPairs& queries, std::vector<mpz_class>* each,
                                                ComputationControl* control, std::int32_t band = 0);

}  // namespace velmora::sweep
