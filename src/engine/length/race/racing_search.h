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

#include "engine/length/call_counter.h"
#include "engine/length/engine_tuning.h"
#include "engine/length/memo/memo_search.h"

namespace velmora {

class OverflowProof;
class ProofAlongside;

class RacingSearch {
public:
    // Both orders and the proof share the index of the texts.
    explicit RacingSearch(std::shared_ptr<const TextPairIndex> texts, const EngineTuning& tuning = {});
    // The texts must outlive this object.
    RacingSearch(std::u16string_view first, std::u16string_view second, const EngineTuning& tuning = {});
    // One call on two strings of their own.
    static std::int16_t lengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                 const EngineTuning& tuning = {});
    ~RacingSearch();

    // CommonLength(first[i..], second[j..]), 1-based, counted into counter (which has a
    // limit). Given a budget, throws FrameBudgetExceeded once both orders together have
    // evaluated more frames, having counted nothing; what they evaluated completely stays
    // remembered.
    struct FrameBudgetExceeded {};
    std::int16_t invoke(std::int32_t i, std::int32_t j, CallCounter& counter,
                        std::optional<std::uint64_t> mostFrames = std::nullopt);

    // The alignment's run of rejected candidates (see MemoSearch::startWeighing),
    // counted into counter; nothing when it cannot be weighed as a whole. A budget works
    // as for a call.
    std::optional<RunWeight> weigh(const RejectedCandidates& weighing, CallCounter& counter,
                                   std::optional<std::uint64_t> mostFrames = std::nullopt);

    // The pairs both orders have evaluated completely so far, and whether (i, j) is one.
    std::uint64_t pairsEvaluated() const;
    bool remembers(std::int32_t i, std::int32_t j) const;

private:
    struct Runner;
    using Pair = std::pair<std::int32_t, std::int32_t>;
    // One call or weighing under way: whether it has run long enough for the proof to
    // join, and what it may still spend.
    struct Race {
        std::optional<Pair> call;  // none for a weighing, which has no proof
        // Read once the call outlasts its first slice: most calls end within it, and the
        // clock would cost them more than their memo lookups.
        std::optional<std::chrono::steady_clock::time_point> began;
        bool joined = false;
        std::optional<std::uint64_t> framesLeft;
        std::unique_ptr<ProofAlongside> alongside;  // the proof on a core of its own, stopped with the race
    };
    template <class Start>
    Runner& race(CallCounter& counter, Start start, std::optional<Pair> call, std::optional<std::uint64_t> mostFrames);
    bool takeTurn(Runner& runner, Race& race, CallCounter& counter);
    bool proveOverflow(const Pair& call, bool begin, std::uint64_t frames, const CallCounter& counter);
    bool provedAlongside(Race& race, const CallCounter& counter);
    OverflowProof& proof(const CallCounter& counter);
    bool proofJoins(Race& race) const;
    std::shared_ptr<const TextPairIndex> texts_;
    EngineTuning tuning_;
    std::shared_ptr<PairMemo> memo_;  // both engines', so that each uses what the other has evaluated
    std::unique_ptr<Runner> candidatesFirst_, continuationFirst_;  // the second one once needed
    std::unique_ptr<OverflowProof> proof_;                         // once a call needs one
    bool alongside_;                                               // whether the proof runs on a thread of its own
};

}  // namespace velmora
