#pragma once
// CommonLength on remainders of the two captured texts, by the engine of the caller's
// choice. Under a count limit the fast engine lets the literal one answer first, while
// that costs less than its own set-up would. Without a limit the fast engine counts in
// 64 bits while it can, and while it has evaluated fewer pairs than a sweep of them all
// would cost; past either, the lengths come from a longest-common-subsequence table
// (which they equal) and the counts of every later call are summed exactly by one column
// sweep when the computation settles.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/call_counter.h"
#include "engine/fast_common_length.h"
#include "engine/racing_common_length.h"
#include "engine/suffix_lcs_table.h"

namespace velmora {

enum class EngineKind { Literal, Fast };

// Where the fast engine changes its layout or hands over; tests move these to reach
// every path at small sizes.
struct EngineTuning {
    std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells;  // the memo is a hash beyond
    std::uint64_t fastCountBound = CallCounter::kNoLimit - 1;      // the sweep takes over beyond
    std::int32_t weighedRun = FastCommonLength::kWeighedRun;       // runs weighed as a whole from
    // Under a count limit, the literal engine answers a computation's calls until they
    // have cost it this many steps (0: never; kAboutTheSetUp: about what the fast engine's
    // set-up would cost), since on small problems that is the quicker way.
    static constexpr std::uint64_t kAboutTheSetUp = UINT64_MAX;
    std::uint64_t literalFirstWork = kAboutTheSetUp;
};

class RemainderLengths {
public:
    RemainderLengths(EngineKind kind, std::u16string_view text1, std::u16string_view text2,
                     const EngineTuning& tuning = {});
    ~RemainderLengths();

    // CommonLength(Text1[pos1..], Text2[pos2..]) with 1-based positions.
    std::int16_t operator()(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);
    // Under a count limit, with the fast engine: the alignment's run of rejected
    // candidates weighed as a whole (see FastCommonLength::startWeighing); nothing when
    // the caller must weigh them one by one.
    std::optional<FastCommonLength::RunWeight> weighRejectedRun(const FastCommonLength::RejectedCandidates& weighing,
                                                                CallCounter& counter);
    // Adds the counts left to the sweep; call once, after the last call.
    void settle(CallCounter& counter);

private:
    std::optional<std::int16_t> tryLiteral(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);
    RacingCommonLength& racing();
    std::int16_t deferToSweep(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);

    std::u16string_view text1_, text2_;
    bool literal_;
    EngineTuning tuning_;
    std::uint64_t literalWork_;                   // what the literal engine may still spend first
    std::unique_ptr<RacingCommonLength> racing_;  // with a count limit, once the literal engine gives up
    std::unique_ptr<FastCommonLength> fast_;      // without one; null for the literal engine and once swept
    std::unique_ptr<SuffixLcsTable> table_;       // once the counts have passed 64 bits
    std::vector<std::pair<std::int32_t, std::int32_t>> deferred_;
};

// One call on two strings of their own, by the chosen engine; exact without a limit.
std::int16_t CommonLengthOf(EngineKind kind, std::u16string_view first, std::u16string_view second,
                            CallCounter& counter, const EngineTuning& tuning = {});

}  // namespace velmora
