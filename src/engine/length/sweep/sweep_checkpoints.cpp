#include "engine/length/sweep/sweep_checkpoints.h"

#include <algorithm>
#include <functional>

#include "engine/length/sweep/queried_pairs.h"

namespace velmora {
namespace {

// Each kept state holds two columns of numbers; about 32 of them bound the memory, and
// a count then sweeps at most a thirty-second of the table's columns more than it needs.
constexpr std::int32_t kMostKept = 32, kFewestColumnsBetween = 16;

}  // namespace

SweepCheckpoints::SweepCheckpoints(std::u16string_view first, std::u16string_view second, ComputationControl* control,
                                   std::int32_t every)
    : first_(first),
      second_(second),
      every_(every > 0 ? every
                       : std::max(kFewestColumnsBetween,
                                  (static_cast<std::int32_t>(second.size()) + kMostKept - 1) / kMostKept))
{
    const auto a = static_cast<std::int32_t>(first.size()), b = static_cast<std::int32_t>(second.size());
    if (a == 0 || b < every_) return;
    kept_.resize(static_cast<std::size_t>(b / every_));
    sweep::QueriedPairs none(static_cast<std::size_t>(b) + 2);
    sweep::sweepInLimbs(first_, second_, none, nullptr, control, {.checkpointEvery = every_, .checkpoints = &kept_});
}

std::vector<mpz_class> SweepCheckpoints::countEach(const std::vector<ColumnSweep::Pair>& pairs,
                                                   ComputationControl* control) const
{
    const auto a = static_cast<std::int32_t>(first_.size()), b = static_cast<std::int32_t>(second_.size());
    std::vector<mpz_class> each(pairs.size(), 0);
    sweep::QueriedPairs queries(static_cast<std::size_t>(b) + 2);
    std::int32_t lowestRow = a + 1, lowestColumn = b + 1, highestColumn = 0;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const ColumnSweep::Pair& pair = pairs[k];
        if (pair.i < 1 || pair.i > a || pair.j < 1 || pair.j > b) continue;  // an empty remainder: no calls below
        queries[static_cast<std::size_t>(pair.j)].emplace_back(pair.i, k);
        lowestRow = std::min(lowestRow, pair.i);
        lowestColumn = std::min(lowestColumn, pair.j);
        highestColumn = std::max(highestColumn, pair.j);
    }
    if (highestColumn > 0) {
        for (auto& rows : queries) std::sort(rows.begin(), rows.end(), std::greater<>());
        // The nearest kept column to the right of every pair asked for.
        sweep::LimbSweepOptions options{.lowestRow = lowestRow, .lowestColumn = lowestColumn};
        const std::size_t next = static_cast<std::size_t>(highestColumn / every_);
        if (next < kept_.size()) options.start = kept_[next].get();
        sweep::sweepInLimbs(first_, second_, queries, &each, control, options);
    }
    for (mpz_class& count : each) count += 1;  // the invocation itself
    return each;
}

}  // namespace velmora
