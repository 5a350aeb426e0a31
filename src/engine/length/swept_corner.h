#pragma once
// Calls, and runs of the alignment's rejected candidates, answered from one column sweep
// of a corner of the table. A call or a run deep in a long stretch of the first text,
// against a short remainder of the second (or one made mostly of characters the first
// does not hold), reaches about every pair of that corner: the memoised search then
// evaluates them one by one, about a microsecond each, where a sweep in machine words
// takes a few nanoseconds a pair, and keeps them all for the calls that follow in the
// same corner. For a run, the sweep gives each candidate's take call; the rejected
// candidate's skipped characters give the rest, as they do to the alignment.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/base/large_tables.h"
#include "engine/length/call_counter.h"
#include "engine/length/rejected_run.h"
#include "engine/text_index/remainder_lcs_table.h"
#include "engine/text_index/text_pair_index.h"

namespace velmora {

class SweptCorner {
public:
    // The first text from row `fromRow` on against the second from column `fromColumn`
    // on, without the characters of the second that that part of the first does not hold:
    // those are passed over without a call at every pair, so a pair's count is its right
    // neighbour's. Nothing when that is more than mostPairs pairs, or when some pair counts
    // past 64 bits (pastMachineWords is then set). The texts must outlive the corner.
    static std::unique_ptr<SweptCorner> sweep(const TextPairIndex& texts, std::int32_t fromRow, std::int32_t fromColumn,
                                              std::uint64_t mostPairs, ComputationControl* control,
                                              bool& pastMachineWords);
    // The table of lengths reads held_ where it lies.
    SweptCorner(const SweptCorner&) = delete;
    SweptCorner& operator=(const SweptCorner&) = delete;

    // Whether the pair (i, j) of the texts (1-based) lies in the corner.
    bool covers(std::int32_t i, std::int32_t j) const;
    // CommonLength(first[i..], second[j..]) for a pair the corner covers, counted into counter.
    std::int16_t invoke(std::int32_t i, std::int32_t j, CallCounter& counter);
    // Every later occurrence of the column's character from the run's first candidate on,
    // up to the first that the skipped characters do not reject; nothing when there is none.
    // The weighing's first candidate and column must be covered.
    std::optional<RunWeight> weigh(const RejectedCandidates& weighing);

private:
    // A covered pair's column in the sweep (held_.size(): none is left) and its count there.
    std::int32_t columnOf(std::int32_t j) const;
    std::uint64_t callsAt(std::int32_t row, std::int32_t column) const;
    SweptCorner(const TextPairIndex& texts, std::int32_t fromRow, std::int32_t fromColumn, std::u16string held,
                std::vector<std::int32_t> heldColumn, ComputationControl* control);

    const TextPairIndex& texts_;
    std::int32_t fromRow_, fromColumn_;
    std::u16string held_;                   // the second text's characters from fromColumn_ that the rows hold
    std::vector<std::int32_t> heldColumn_;  // per column from fromColumn_: its place in held_ (0-based)
    LargeTable<std::uint64_t> calls_;       // per pair of the corner, column after column
    RemainderLcsTable lengths_;
};

}  // namespace velmora
