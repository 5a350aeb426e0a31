#pragma once
// Where the diagonals through a block of two equal runs leave it. A run of c in the first
// text and a run of c in the second match along every diagonal until one of them ends;
// a scan at a pair inside the block goes on from the diagonal's exit with the characters
// of the way matched, and makes no call on the way. So all the candidates that a long run
// offers one scan can be weighed from the exits of their diagonals, and the exits are
// shared by every scan whose column lies in the run of the second text.
//
// Diagonal d holds the pairs (i, j) with i - j = d. For each diagonal of a contiguous
// range that grows at both ends, the block keeps how far a match on it reaches (the
// length at the pair (d + j, j) is reach(d) - j) and running sums of the nested
// invocations of the exits.

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/suffix_pair_memo.h"

namespace velmora {

class RunBlockExits {
public:
    // The runs are first[firstBegin .. firstEnd - 1] and second[secondBegin .. secondEnd - 1].
    RunBlockExits(std::int32_t firstBegin, std::int32_t firstEnd, std::int32_t secondBegin, std::int32_t secondEnd);

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

    std::int32_t reach(std::int32_t d) const { return reach_[index(d)]; }
    // The nested invocations of the exits of diagonals from .. to (all held).
    unsigned __int128 exitCalls(std::int32_t from, std::int32_t to) const;

private:
    bool filled() const { return low_ <= high_; }
    std::size_t index(std::int32_t d) const { return static_cast<std::size_t>(d - lowest_); }

    std::int32_t firstEnd_, secondEnd_;
    std::int32_t lowest_;                 // the lowest diagonal through the block
    std::int32_t low_ = 1, high_ = 0;     // the diagonals held
    std::vector<std::int32_t> reach_;
    // sums_[index(d) + 1]: the exits' calls from the first diagonal held up to d; the
    // diagonals left of it count negatively, so every range is a difference of two.
    std::vector<__int128> sums_;
};

}  // namespace velmora
