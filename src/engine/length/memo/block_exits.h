#pragma once
// Where the diagonals through a block of two agreeing stretches leave it. A stretch of
// the first text with period q (a run when q is 1) and a stretch of the second with the
// same period agree along every diagonal of matching phase until one of them ends; a scan
// at a pair inside the block goes on from the diagonal's exit with the characters of the
// way matched, and makes no call on the way. So all the candidates that such a stretch
// offers one scan can be weighed from the exits of their diagonals, and the exits are
// shared by every scan whose column lies in the stretch of the second text.
//
// Diagonal d holds the pairs (i, j) with i - j = d; the block holds diagonals q apart.
// For a range of them that grows at both ends, it keeps how far a match on each reaches
// (the length at the pair (d + j, j) is reach(d) - j) and running sums of the nested
// invocations of the exits.

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/length/memo/pair_memo.h"

namespace velmora {

class BlockExits {
public:
    // The stretches end before first[firstEnd] and second[secondEnd].
    BlockExits(std::int32_t firstEnd, std::int32_t secondEnd, std::int32_t period);

    // The pair (i, j) where diagonal d leaves the block.
    std::pair<std::int32_t, std::int32_t> exit(std::int32_t d) const;

    bool holds(std::int32_t from, std::int32_t to) const { return filled() && low_ <= from && to <= high_; }
    // Forgets the diagonals held unless they meet or touch [from, to], so that growing
    // towards it never fills a diagonal outside it.
    void keepOnlyNear(std::int32_t from, std::int32_t to);
    // The next diagonal to fill on the way to holding [from, to]: the range grows to the
    // right first, then to the left. Only when !holds(from, to).
    std::int32_t nextToFill(std::int32_t to) const;
    // Records the outcome of diagonal d's exit; d is the first one, or next to the range.
    void fill(std::int32_t d, const ScanOutcome& exitOutcome);

    std::int32_t period() const { return period_; }
    std::int32_t low() const { return low_; }  // the diagonals held (none when low() > high())
    std::int32_t high() const { return high_; }
    std::int32_t reach(std::int32_t d) const;
    // The nested invocations of the exits of the diagonals from .. to (all held).
    unsigned __int128 exitCalls(std::int32_t from, std::int32_t to) const;
    // For a run of columns: the sum over the diagonals from .. to of the calls of the
    // exits up to each (period 1; from may lie one below the diagonals held). A window of
    // diagonals that slides along the columns sums to a difference of two of these.
    __int128 sumOfSums(std::int32_t from, std::int32_t to) const;

private:
    bool filled() const { return low_ <= high_; }
    // Running sum from the anchor up to d; to the left of it, minus the sum strictly
    // between d and the anchor.
    __int128 sumTo(std::int32_t d) const;

    std::int32_t firstEnd_, secondEnd_, period_;
    std::int32_t anchor_ = 0, low_ = 1, high_ = 0;  // the diagonals held
    // Per diagonal anchor + k q (right) and anchor - (k + 1) q (left).
    std::vector<std::int32_t> reachRight_, reachLeft_;
    std::vector<__int128> sumRight_, sumLeft_;          // sums of the first k + 1 of each side
    std::vector<__int128> sumsRight_{0}, sumsLeft_{0};  // sums of the first k of those
};

}  // namespace velmora
