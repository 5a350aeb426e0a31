#pragma once
// CommonLength under a count limit, by two fast engines that evaluate in the two orders
// and take turns, sharing one memo. A call that stays under the limit costs at most about
// twice what the better order costs, and where both orders evaluate the same pairs about
// what one does; a call that passes it is stopped by whichever order finds enough
// invocations first. Each engine's count is part of the whole count, so its passing the
// limit proves the overflow. A call that goes on for a few turns may well pass it, and
// counting its invocations one evaluated pair at a time can take seconds where calls
// repeat calls: an overflow proof, which needs no count of any pair, joins the race then.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/call_counter.h"
#include "engine/fast_common_length.h"
#include "engine/overflow_proof.h"
#include "engine/suffix_lcs_table.h"

namespace velmora {

class RacingCommonLength {
public:
    // Frames an engine evaluates before the other one takes its turn.
    static constexpr std::uint64_t kTurn = 1 << 14;
    // Rounds of both engines' turns before the overflow proof joins a call, and its
    // steps per round for each frame of a turn.
    static constexpr int kRoundsBeforeProof = 2;
    static constexpr std::uint64_t kProofStepsPerFrame = 2;

    // The texts must outlive this object. Tests shorten the turn, so that the engines take
    // turns, and use each other's pairs, on small texts too, and lengthen the proof's
    // steps, so that it stops races there too.
    RacingCommonLength(std::u16string_view first, std::u16string_view second,
                       std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells,
                       std::int32_t weighedRun = FastCommonLength::kWeighedRun, std::uint64_t turn = kTurn,
                       std::uint64_t proofStepsPerFrame = kProofStepsPerFrame);
    ~RacingCommonLength();

    // CommonLength(first[i..], second[j..]), 1-based, counted into counter (which has a limit).
    std::int16_t invoke(std::int32_t i, std::int32_t j, CallCounter& counter);

    // The alignment's run of rejected candidates (see FastCommonLength::startWeighing),
    // counted into counter; nothing when it cannot be weighed as a whole.
    std::optional<FastCommonLength::RunWeight> weigh(const FastCommonLength::RejectedCandidates& weighing,
                                                    CallCounter& counter);

private:
    struct Runner;
    using Pair = std::pair<std::int32_t, std::int32_t>;
    template <class Start>
    Runner& race(CallCounter& counter, Start start, std::optional<Pair> call);
    bool proveOverflow(const Pair& call, bool begin, const CallCounter& counter);
    std::u16string_view first_, second_;
    std::size_t mostDenseCells_;
    std::int32_t weighedRun_;
    std::uint64_t turn_;
    std::uint64_t proofStepsPerFrame_;
    std::shared_ptr<SuffixPairMemo> memo_;  // both engines', so that each uses what the other has evaluated
    std::unique_ptr<Runner> candidatesFirst_, continuationFirst_;  // the second one once needed
    std::unique_ptr<SuffixLcsTable> lengths_;  // for the proof, once a call needs one
    std::unique_ptr<OverflowProof> proof_;
};

// One call on two strings of their own.
std::int16_t RacingCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                  std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells,
                                  std::int32_t weighedRun = FastCommonLength::kWeighedRun,
                                  std::uint64_t turn = RacingCommonLength::kTurn,
                                  std::uint64_t proofStepsPerFrame = RacingCommonLength::kProofStepsPerFrame);

}  // namespace velmora
