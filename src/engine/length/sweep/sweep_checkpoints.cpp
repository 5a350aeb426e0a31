#include "engine/length/sweep/sweep_checkpoints.h"

#include <algorithm>

#include "engine/length/sweep/queried_pairs.h"

namespace velmora {
namespace {

// A kept state holds a column of counts and a row of skip calls. Counts of random texts
// take 3 to 4 bits per character of their two remainders, so a(a + b)/2 bytes overstates
// a state for most texts; it keeps the states within kKeptBytes, and the longest texts
// (32,766 characters: a gigabyte a state) keep none and sweep from the end each time.
constexpr std::size_t kKeptBytes = std::size_t{512} << 20;
constexpr std::int32_t kMostKept = 64, kFewestColumnsBetween = 16;

std::int32_t spacingFor(std::int32_t a, std::int32_t b)
{
    const std::size_t stateBytes = static_cast<std::size_t>(a) * static_cast<std::size_t>(a + b) / 2 + 1;
    const auto kept = static_cast<std::int32_t>(std::min<std::size_t>(kMostKept, kKeptBytes / stateBytes));
    if (kept == 0) return b + 1;
    return std::max(kFewestColumnsBetween, (b + kept - 1) / kept);
}

}  // namespace

SweepCheckpoints::SweepCheckpoints(std::u16string_view first, std::u16string_view second, ComputationControl* control,
                                   std::int32_t every)
    : first_(first),
      second_(second),
      every_(every > 0 ? every
                       : spacingFor(static_cast<std::int32_t>(first.size()), static_cast<std::int32_t>(second.size())))
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
    const sweep::QueriedPairs queries = sweep::arrangeQueries(pairs, a, b);
    std::int32_t lowestRow = a + 1, lowestColumn = b + 1, highestColumn = 0;
    for (std::int32_t j = 1; j <= b; ++j) {
        const auto& queried = queries[static_cast<std::size_t>(j)];
        if (queried.empty()) continue;
        lowestRow = std::min(lowestRow, queried.back().first);  // rows come largest first
        lowestColumn = std::min(lowestColumn, j);
        highestColumn = j;
    }
    if (highestColumn > 0) {
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
