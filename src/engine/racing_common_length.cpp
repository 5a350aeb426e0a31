#include "engine/racing_common_length.h"

#include <optional>
#include <utility>

#include "engine/checked_arithmetic.h"

namespace velmora {

// One engine with the count of the call it is working on, from the caller's count on.
struct RacingCommonLength::Runner {
    FastCommonLength engine;
    std::optional<CallCounter> count;

    Runner(std::u16string_view first, std::u16string_view second, std::size_t mostDenseCells,
           FastCommonLength::Order order, std::int32_t weighedRun, std::shared_ptr<SuffixPairMemo> memo)
        : engine(first, second, mostDenseCells, order, weighedRun, std::move(memo))
    {
    }
    bool advance(std::uint64_t turn) { return engine.advance(*count, turn); }
};

RacingCommonLength::RacingCommonLength(std::u16string_view first, std::u16string_view second,
                                       std::size_t mostDenseCells, std::int32_t weighedRun, std::uint64_t turn,
                                       std::uint64_t proofStepsPerFrame)
    : first_(first),
      second_(second),
      mostDenseCells_(mostDenseCells),
      weighedRun_(weighedRun),
      turn_(turn),
      proofStepsPerFrame_(proofStepsPerFrame)
{
}

RacingCommonLength::~RacingCommonLength() = default;

std::int16_t RacingCommonLength::invoke(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    Runner& winner = race(counter, [&](Runner& runner) {
        runner.count.emplace(counter.value(), counter.limit(), counter.control());
        runner.engine.start(i, j, *runner.count);
        return true;
    }, Pair{i, j});
    counter.add(winner.count->value() - counter.value());
    return winner.engine.result();
}

std::optional<FastCommonLength::RunWeight> RacingCommonLength::weigh(
    const FastCommonLength::RejectedCandidates& weighing, CallCounter& counter)
{
    bool weighable = true;
    Runner& winner = race(counter, [&](Runner& runner) {
        runner.count.emplace(counter.value(), counter.limit(), counter.control());
        return weighable = runner.engine.startWeighing(weighing, *runner.count);
    }, std::nullopt);
    if (!weighable) return std::nullopt;
    counter.add(winner.count->value() - counter.value());
    return winner.engine.weighed();
}

// Starts both engines with start (the second only if the first needs more than a turn)
// and lets them take turns until one has finished, or, for a call, until the proof finds
// that it passes the limit. start returning false ends the race at once with the first
// engine.
template <class Start>
RacingCommonLength::Runner& RacingCommonLength::race(CallCounter& counter, Start start, std::optional<Pair> call)
{
    if (!candidatesFirst_) {
        memo_ = FastCommonLength::memoOf(first_, second_, mostDenseCells_);
        candidatesFirst_ = std::make_unique<Runner>(first_, second_, mostDenseCells_,
                                                    FastCommonLength::Order::CandidatesFirst, weighedRun_, memo_);
    }
    try {
        if (!start(*candidatesFirst_) || candidatesFirst_->advance(turn_)) return *candidatesFirst_;
        // Most calls end within one turn; only the long ones pay for a second engine.
        if (!continuationFirst_)
            continuationFirst_ = std::make_unique<Runner>(first_, second_, mostDenseCells_,
                                                          FastCommonLength::Order::ContinuationFirst, weighedRun_, memo_);
        start(*continuationFirst_);
        for (int round = 1;; ++round) {
            if (continuationFirst_->advance(turn_)) return *continuationFirst_;
            if (candidatesFirst_->advance(turn_)) return *candidatesFirst_;
            if (call && round >= kRoundsBeforeProof && proveOverflow(*call, round == kRoundsBeforeProof, counter))
                counter.passLimit();
        }
    } catch (const OverflowError& error) {
        if (error.limit() != OverflowLimit::CallCount) throw;
        // One order has counted past the limit: the caller's count passes it too.
        counter.passLimit();
    }
}

// One round of the proof on the call: true once it has counted more nested invocations
// than the caller's count leaves room for (with the call's own one, the limit is passed).
bool RacingCommonLength::proveOverflow(const Pair& call, bool begin, const CallCounter& counter)
{
    if (!proof_) {
        lengths_ = std::make_unique<SuffixLcsTable>(first_, second_, counter.control());
        proof_ = std::make_unique<OverflowProof>(first_, second_, *lengths_);
    }
    if (begin) proof_->start(call.first, call.second);
    return proof_->advance(turn_ * proofStepsPerFrame_, counter.limit() - counter.value());
}

std::int16_t RacingCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                  std::size_t mostDenseCells, std::int32_t weighedRun, std::uint64_t turn,
                                  std::uint64_t proofStepsPerFrame)
{
    RacingCommonLength engine(first, second, mostDenseCells, weighedRun, turn, proofStepsPerFrame);
    return engine.invoke(1, 1, counter);
}

}  // namespace velmora
