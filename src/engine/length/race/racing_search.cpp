#include "engine/length/race/racing_search.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <utility>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/memo/pair_memo.h"
#include "engine/length/race/overflow_proof.h"
#include "engine/length/race/proof_alongside.h"

namespace velmora {

// One order with the count of the call it is working on, from the caller's count on.
struct RacingSearch::Runner {
    MemoSearch engine;
    std::optional<CallCounter> count;

    Runner(std::shared_ptr<const TextPairIndex> texts, const EngineTuning& tuning, MemoSearch::Order order,
           std::shared_ptr<PairMemo> memo)
        : engine(std::move(texts), tuning, order, std::move(memo))
    {
    }
    bool advance(std::uint64_t turn) { return engine.advance(*count, turn); }
};

RacingSearch::RacingSearch(std::shared_ptr<const TextPairIndex> texts, const EngineTuning& tuning)
    : texts_(std::move(texts)),
      tuning_(tuning),
      alongside_(tuning.pace.proofAlongside && std::thread::hardware_concurrency() > 1)
{
}

RacingSearch::RacingSearch(std::u16string_view first, std::u16string_view second, const EngineTuning& tuning)
    : RacingSearch(std::make_shared<TextPairIndex>(first, second), tuning)
{
}

std::int16_t RacingSearch::lengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                    const EngineTuning& tuning)
{
    RacingSearch engine(first, second, tuning);
    return engine.invoke(1, 1, counter);
}

RacingSearch::~RacingSearch() = default;

std::uint64_t RacingSearch::pairsEvaluated() const { return memo_ ? memo_->size() : 0; }

bool RacingSearch::remembers(std::int32_t i, std::int32_t j) const { return memo_ && memo_->find(i, j).has_value(); }

std::int16_t RacingSearch::invoke(std::int32_t i, std::int32_t j, CallCounter& counter,
                                  std::optional<std::uint64_t> mostFrames)
{
    Runner& winner = race(
        counter,
        [&](Runner& runner) {
            runner.count.emplace(counter.value(), counter.limit(), counter.control());
            runner.engine.start(i, j, *runner.count);
            return true;
        },
        Pair{i, j}, mostFrames);
    counter.add(winner.count->value() - counter.value());
    return winner.engine.result();
}

std::optional<RunWeight> RacingSearch::weigh(const RejectedCandidates& weighing, CallCounter& counter,
                                             std::optional<std::uint64_t> mostFrames)
{
    bool weighable = true;
    Runner& winner = race(
        counter,
        [&](Runner& runner) {
            runner.count.emplace(counter.value(), counter.limit(), counter.control());
            return weighable = runner.engine.startWeighing(weighing, *runner.count);
        },
        std::nullopt, mostFrames);
    if (!weighable) return std::nullopt;
    counter.add(winner.count->value() - counter.value());
    return winner.engine.weighed();
}

// Starts both engines with start (the second only if the first needs more than a turn)
// and lets them take turns until one has finished, or, for a call that has run a while,
// until the proof finds that it passes the limit. start returning false ends the race at
// once with the first engine.
template <class Start>
RacingSearch::Runner& RacingSearch::race(CallCounter& counter, Start start, std::optional<Pair> call,
                                         std::optional<std::uint64_t> mostFrames)
{
    // Ends with the race on every way out, and with it a proof running alongside.
    Race race;
    race.call = call;
    race.framesLeft = mostFrames;
    if (!candidatesFirst_) {
        memo_ = MemoSearch::memoOf(*texts_, tuning_.mostDenseCells);
        candidatesFirst_ = std::make_unique<Runner>(texts_, tuning_, MemoSearch::Order::CandidatesFirst, memo_);
    }
    try {
        if (!start(*candidatesFirst_) || takeTurn(*candidatesFirst_, race, counter)) return *candidatesFirst_;
        // Most calls end within one turn; only the long ones pay for a second engine.
        if (!continuationFirst_)
            continuationFirst_ = std::make_unique<Runner>(texts_, tuning_, MemoSearch::Order::ContinuationFirst, memo_);
        start(*continuationFirst_);
        for (;;) {
            if (takeTurn(*continuationFirst_, race, counter)) return *continuationFirst_;
            if (takeTurn(*candidatesFirst_, race, counter)) return *candidatesFirst_;
        }
    } catch (const OverflowError& error) {
        if (error.limit() != OverflowLimit::CallCount) throw;
        // One order has counted past the limit: the caller's count passes it too.
        counter.passLimit();
    }
}

// An engine's turn, in slices short enough that the proof, once the call has run long
// enough, takes its steps soon after; true once the engine has finished.
bool RacingSearch::takeTurn(Runner& runner, Race& race, CallCounter& counter)
{
    for (std::uint64_t done = 0; done < tuning_.pace.turn; done += tuning::kProofSlice) {
        std::uint64_t frames = std::min(tuning::kProofSlice, tuning_.pace.turn - done);
        if (race.framesLeft) {
            if (*race.framesLeft == 0) throw FrameBudgetExceeded{};
            frames = std::min(frames, *race.framesLeft);
            *race.framesLeft -= frames;
        }
        if (runner.advance(frames)) return true;
        if (!race.call || !(race.joined || proofJoins(race))) continue;
        if (alongside_ ? provedAlongside(race, counter)
                       : proveOverflow(*race.call, !std::exchange(race.joined, true), frames, counter))
            counter.passLimit();
    }
    return false;
}

// Steps of the proof on the call, as many per frame as the pace gives: true once it has
// counted more nested invocations than the caller's count leaves room for (with the
// call's own one, the limit is passed).
bool RacingSearch::proveOverflow(const Pair& call, bool begin, std::uint64_t frames, const CallCounter& counter)
{
    if (begin) proof(counter).start(call.first, call.second);
    return proof_->advance(frames * tuning_.pace.proofStepsPerFrame, counter.limit() - counter.value());
}

// The proof on its own thread: started when it joins, asked between the orders' slices.
bool RacingSearch::provedAlongside(Race& race, const CallCounter& counter)
{
    if (!std::exchange(race.joined, true))
        race.alongside = std::make_unique<ProofAlongside>(proof(counter), race.call->first, race.call->second,
                                                          counter.limit() - counter.value());
    return race.alongside->proved();
}

OverflowProof& RacingSearch::proof(const CallCounter& counter)
{
    // Built here, on the race's thread, with the table of remainder lengths it reads.
    if (!proof_) proof_ = std::make_unique<OverflowProof>(*texts_, counter.control());
    return *proof_;
}

bool RacingSearch::proofJoins(Race& race) const
{
    if (tuning_.pace.proofAfter.count() == 0) return true;
    const auto now = std::chrono::steady_clock::now();
    if (!race.began) race.began = now;
    return now - *race.began >= tuning_.pace.proofAfter;
}

}  // namespace velmora
