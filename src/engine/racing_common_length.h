#pragma once
// CommonLength under a count limit, by two fast engines that evaluate in the two orders
// and take turns, sharing one memo. A call that stays under the limit costs at most about
// twice what the better order costs, and where both orders evaluate the same pairs about
// what one does; a call that passes it is stopped by whichever order finds enough
// invocations first. Each engine's count is part of the whole count, so its passing the
// limit proves the overflow. A call that goes on for a few turns may well pass it, and
// counting its invocations one evaluated pair at a time can take seconds where calls
// repeat calls: an overflow proof, which needs no count of any pair, joins the race then.

#include <chrono>
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

// How the two engines and the proof share a call. A frame can cost a quarter of a
// microsecond or, filling a block, tens of them, so the proof joins by the clock: its
// table costs about 25 ms for the longest texts, which a call that has run this long may
// well save. Tests shorten the turn, so that the engines take turns, and use each other's
// pairs, on small texts too, and let the proof join at once with many steps a round, so
// that it stops races there too.
struct RacePace {
    std::uint64_t turn = 1 << 14;                  // frames an engine evaluates per turn
    std::chrono::microseconds proofAfter{20'000};  // how long a call runs before the proof joins
    std::uint64_t proofStepsPerFrame = 2;          // the proof's steps for each frame the engines evaluate
};

class RacingCommonLength {
public:
    // The texts must outlive this object.
    RacingCommonLength(std::u16string_view first, std::u16string_view second,
                       std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells,
                       std::int32_t weighedRun = FastCommonLength::kWeighedRun, const RacePace& pace = {});
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
    // The proof on one call: whether the call has run long enough for it to join.
    struct Proof {
        std::optional<Pair> call;  // none for a weighing
        std::chrono::steady_clock::time_point began;
        bool joined = false;
    };
    static constexpr std::uint64_t kSlice = 1 << 12;  // frames at most between the proof's steps
    bool takeTurn(Runner& runner, Proof& proof, CallCounter& counter);
    bool proveOverflow(const Pair& call, bool begin, std::uint64_t frames, const CallCounter& counter);
    bool proofJoins(std::chrono::steady_clock::time_point began) const;
    std::u16string_view first_, second_;
    std::size_t mostDenseCells_;
    std::int32_t weighedRun_;
    RacePace pace_;
    std::shared_ptr<SuffixPairMemo> memo_;  // both engines', so that each uses what the other has evaluated
    std::unique_ptr<Runner> candidatesFirst_, continuationFirst_;  // the second one once needed
    std::unique_ptr<SuffixLcsTable> lengths_;                      // for the proof, once a call needs one
    std::unique_ptr<OverflowProof> proof_;
};

// One call on two strings of their own.
std::int16_t RacingCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                  std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells,
                                  std::int32_t weighedRun = FastCommonLength::kWeighedRun, const RacePace& pace = {});

}  // namespace velmora
