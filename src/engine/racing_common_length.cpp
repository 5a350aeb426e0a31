#include "engine/racing_common_length.h"

#include <algorithm>
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
                                       std::size_t mostDenseCells, std::int32_t weighedRun, const RacePace& pace)
    : first_(first),
      second_(second),
      mostDenseCells_(mostDenseCells),
      weighedRun_(weighedRun),
      pace_(pace)
{
}

RacingCommonLength::~RacingCommonLength() = default;

std::int16_t RacingCommonLength::invoke(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    Runner& winner = race(
        counter,
        [&](Runner& runner) {
            runner.count.emplace(counter.value(), counter.limit(), counter.control());
            runner.engine.start(i, j, *runner.count);
            return true;
        },
        Pair{i, j});
    counter.add(winner.count->value() - counter.value());
    return winner.engine.result();
}

std::optional<FastCommonLength::RunWeight>
RacingCommonLength::weigh(const FastCommonLength::RejectedCandidates& weighing, CallCounter& counter)
{
    bool weighable = true;
    Runner& winner = race(
        counter,
        [&](Runner& runner) {
            runner.count.emplace(counter.value(), counter.limit(), counter.control());
            return weighable = runner.engine.startWeighing(weighing, *runner.count);
        },
        std::nullopt);
    if (!weighable) return std::nullopt;
    counter.add(winner.count->value() - counter.value());
    return winner.engine.weighed();
}

// Starts both engines with start (the second only if the first needs more than a turn)
// and lets them take turns until one has finished, or, for a call that has run a while,
// until the proof finds that it passes the limit. start returning false ends the race at
// once with the first engine.
template <class Start>
RacingCommonLength::Runner& RacingCommonLength::race(CallCounter& counter, Start start, std::optional<Pair> call)
{
    if (!candidatesFirst_) {
        memo_ = FastCommonLength::memoOf(first_, second_, mostDenseCells_);
        candidatesFirst_ = std::make_unique<Runner>(first_, second_, mostDenseCells_,
                                                    FastCommonLength::Order::CandidatesFirst, weighedRun_, memo_);
    }
    Proof proof{call, std::chrono::steady_clock::now()};
    try {
        if (!start(*candidatesFirst_) || takeTurn(*candidatesFirst_, proof, counter)) return *candidatesFirst_;
        // Most calls end within one turn; only the long ones pay for a second engine.
        if (!continuationFirst_)
            continuationFirst_ = std::make_unique<Runner>(
                first_, second_, mostDenseCells_, FastCommonLength::Order::ContinuationFirst, weighedRun_, memo_);
        start(*continuationFirst_);
        for (;;) {
            if (takeTurn(*continuationFirst_, proof, counter)) return *continuationFirst_;
            if (takeTurn(*candidatesFirst_, proof, counter)) return *candidatesFirst_;
        }
    } catch (const OverflowError& error) {
        if (error.limit() != OverflowLimit::CallCount) throw;
        // One order has counted past the limit: the caller's count passes it too.
        counter.passLimit();
    }
}

// An engine's turn, in slices short enough that the proof, once the call has run long
// enough, takes its steps soon after; true once the engine has finished.
bool RacingCommonLength::takeTurn(Runner& runner, Proof& proof, CallCounter& counter)
{
    for (std::uint64_t done = 0; done < pace_.turn; done += kSlice) {
        const std::uint64_t frames = std::min(kSlice, pace_.turn - done);
        if (runner.advance(frames)) return true;
        if (!proof.call || !(proof.joined || proofJoins(proof.began))) continue;
        if (proveOverflow(*proof.call, !std::exchange(proof.joined, true), frames, counter)) counter.passLimit();
    }
    return false;
}

// Steps of the proof on the call, as many per frame as the pace gives: true once it has
// counted more nested invocations than the caller's count leaves room for (with the
// call's own one, the limit is passed).
bool RacingCommonLength::proveOverflow(const Pair& call, bool begin, std::uint64_t frames, const CallCounter& counter)
{
    if (!proof_) {
        lengths_ = std::make_unique<SuffixLcsTable>(first_, second_, counter.control());
        proof_ = std::make_unique<OverflowProof>(first_, second_, *lengths_);
    }
    if (begin) proof_->start(call.first, call.second);
    return proof_->advance(frames * pace_.proofStepsPerFrame, counter.limit() - counter.value());
}

bool RacingCommonLength::proofJoins(std::chrono::steady_clock::time_point began) const
{
    return pace_.proofAfter.count() == 0 || std::chrono::steady_clock::now() - began >= pace_.proofAfter;
}

std::int16_t RacingCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                  std::size_t mostDenseCells, std::int32_t weighedRun, const RacePace& pace)
{
    RacingCommonLength engine(first, second, mostDenseCells, weighedRun, pace);
    return engine.invoke(1, 1, counter);
}

}  // namespace velmora
