#include "engine/length/length_engine.h"

#include <algorithm>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/race/racing_search.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/length/swept_corner.h"
#include "engine/text_index/remainder_lcs_table.h"
#include "engine/text_index/text_pair_index.h"

namespace velmora {
namespace {

bool isCallCountOverflow(const OverflowError& error) { return error.limit() == OverflowLimit::CallCount; }

// Runs the memoised search with a 64-bit count below tuning.fastCountBound and its work
// budget; false when either was passed and the sweep should take over.
template <class Call>
bool fastWithinBounds(Call call, CallCounter& counter, const EngineTuning& tuning, std::int16_t& length)
{
    CallCounter local(0, tuning.fastCountBound.value_or(CallCounter::kNoLimit - 1), counter.control());
    try {
        length = call(local);
    } catch (const OverflowError& error) {
        if (!isCallCountOverflow(error)) throw;
        return false;
    } catch (const MemoSearch::WorkBudgetExceeded&) {
        return false;
    }
    counter.add(local.value());
    return true;
}

std::uint64_t literalFirstWork(const EngineTuning& tuning, std::size_t a, std::size_t b)
{
    return tuning.literalFirstWork.value_or(tuning::kSetUpStepsPerCharacter * (std::uint64_t{a} + b) +
                                            tuning::kSetUpSteps);
}

// The literal engine's answer while it stays within what it may spend; once it would
// spend more it is abandoned for good (work drops to 0, nothing of that call is counted)
// and nothing returned.
std::optional<std::int16_t> literalWithin(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                          std::uint64_t& work)
{
    CallCounter local(counter.value(), counter.limit(), counter.control());
    std::int16_t length = 0;
    try {
        length = CommonLengthWithin(first, second, local, work);
    } catch (const LiteralWorkExceeded&) {
        work = 0;
        return std::nullopt;
    } catch (const OverflowError& error) {
        if (!isCallCountOverflow(error)) throw;
        counter.passLimit();  // the same overflow
    }
    counter.add(local.value() - counter.value());
    return length;
}

}  // namespace

// The memoised search's counts are held in 64 bits and stick at the largest value; below
// tuning.fastCountBound they are exact.
LengthEngine::LengthEngine(EngineKind kind, std::u16string_view text1, std::u16string_view text2,
                           const EngineTuning& tuning)
    : text1_(text1),
      text2_(text2),
      literal_(kind == EngineKind::Literal),
      tuning_(tuning),
      texts_(std::make_shared<TextPairIndex>(text1, text2)),
      literalWork_(literal_ ? 0 : literalFirstWork(tuning, text1.size(), text2.size()))
{
}

LengthEngine::~LengthEngine() = default;

std::int16_t LengthEngine::operator()(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (literal_)
        return CommonLength(text1_.substr(static_cast<std::size_t>(pos1 - 1)),
                            text2_.substr(static_cast<std::size_t>(pos2 - 1)), counter);
    if (counter.hasLimit()) {
        if (const auto length = tryLiteral(pos1, pos2, counter)) return *length;
        return raceOrSweep(
            pos1, pos2, counter,
            [&](std::optional<std::uint64_t> mostFrames) { return racing().invoke(pos1, pos2, counter, mostFrames); },
            [&](SweptCorner& corner) { return corner.invoke(pos1, pos2, counter); });
    }
    if (swept_) return deferToSweep(pos1, pos2, counter);
    if (!fast_) {
        fast_ = std::make_unique<MemoSearch>(texts_, tuning_);
        fast_->limitWork(tuning::memoWorkBudget(text1_.size(), text2_.size()));
    }
    std::int16_t length = 0;
    if (fastWithinBounds([&](CallCounter& local) { return fast_->invoke(pos1, pos2, local); }, counter, tuning_,
                         length))
        return length;
    fast_.reset();  // its memory is better spent on the table
    swept_ = true;
    return deferToSweep(pos1, pos2, counter);
}

bool LengthEngine::weighsRejectedRuns(const CallCounter& counter) const { return !literal_ && counter.hasLimit(); }

std::optional<RunWeight> LengthEngine::weighRejectedRun(const RejectedCandidates& weighing, CallCounter& counter)
{
    if (!weighsRejectedRuns(counter) || literalWork_ > 0) return std::nullopt;
    const auto raced = [&](std::optional<std::uint64_t> mostFrames) {
        return racing().weigh(weighing, counter, mostFrames);
    };
    return raceOrSweep(weighing.candidate, weighing.j, counter, raced, [&](SweptCorner& corner) {
        const auto weight = corner.weigh(weighing);
        if (!weight) return raced(std::nullopt);
        counter.add(weight->calls);
        return weight;
    });
}

// Most calls end within a few frames, and most runs are weighed from a few block exits;
// one that does not may lie in a corner of pairs that a sweep counts faster, for the calls
// after it too. Where there is no such corner the orders go on, with what they evaluated
// remembered.
template <class Raced, class FromCorner>
std::invoke_result_t<Raced, std::optional<std::uint64_t>>
LengthEngine::raceOrSweep(std::int32_t pos1, std::int32_t pos2, const CallCounter& counter, Raced raced,
                          FromCorner fromCorner)
{
    // The alignment's calls move up and down the texts: the corner before the last may
    // hold a call the last one does not.
    if (previousCorner_ && previousCorner_->covers(pos1, pos2) && !(corner_ && corner_->covers(pos1, pos2)))
        std::swap(corner_, previousCorner_);
    if (!corner_ || !corner_->covers(pos1, pos2)) {
        if (const auto top = paidCornerTop(pos1, pos2)) {
            lastPaidCorner_ = cornerPairs(*top, pos2);
            if (sweepCorner(*top, pos2, counter)) return fromCorner(*corner_);
        }
        try {
            return raced(tuning_.framesBeforeSweep);
        } catch (const RacingSearch::FrameBudgetExceeded&) {
        }
        if (!sweepCorner(pos1, pos2, counter)) return raced(std::nullopt);
    }
    return fromCorner(*corner_);
}

std::uint64_t LengthEngine::cornerPairs(std::int32_t pos1, std::int32_t pos2) const
{
    return static_cast<std::uint64_t>(texts_->firstLength() - pos1 + 1) *
           static_cast<std::uint64_t>(texts_->secondLength() - pos2 + 1);
}

std::optional<std::int32_t> LengthEngine::paidCornerTop(std::int32_t pos1, std::int32_t pos2) const
{
    const std::uint64_t perPair = tuning_.cornerPairsPerPair, most = tuning_.sweptCornerMostPairs;
    if (perPair == 0 || !racing_) return std::nullopt;
    const std::int32_t a = texts_->firstLength();
    if (pos1 > a || pos2 > texts_->secondLength()) return std::nullopt;  // an empty remainder
    const std::uint64_t own = cornerPairs(pos1, pos2), columns = cornerPairs(a, pos2);
    if (own > most) return std::nullopt;
    // Twice the last such corner, so that calls above it are soon covered too.
    const std::uint64_t pairs = std::min(most, std::max(own, 2 * lastPaidCorner_));
    const std::uint64_t evaluated = racing_->pairsEvaluated() - evaluatedAtSweep_;
    if (evaluated < pairs / perPair + (pairs % perPair != 0) || racing_->remembers(pos1, pos2)) return std::nullopt;
    const auto rows =
        static_cast<std::int32_t>(std::min<std::uint64_t>(pairs / columns, static_cast<std::uint64_t>(a)));
    return std::min(pos1, a + 1 - rows);
}

bool LengthEngine::sweepCorner(std::int32_t pos1, std::int32_t pos2, const CallCounter& counter)
{
    // A corner holds every pair of the corners within it: once one counts past 64 bits, so
    // do all that hold it, and sweeping them again would only cost the time.
    if (cornerPastWords_ && pos1 <= cornerPastWords_->first && pos2 <= cornerPastWords_->second) return false;
    bool pastMachineWords = false;
    if (racing_) evaluatedAtSweep_ = racing_->pairsEvaluated();
    auto swept =
        SweptCorner::sweep(*texts_, pos1, pos2, tuning_.sweptCornerMostPairs, counter.control(), pastMachineWords);
    if (pastMachineWords) cornerPastWords_.emplace(pos1, pos2);
    if (!swept) return false;  // the last corners stay for the calls they cover
    previousCorner_ = std::move(corner_);
    corner_ = std::move(swept);
    return true;
}

std::optional<std::int16_t> LengthEngine::tryLiteral(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (literalWork_ == 0) return std::nullopt;
    return literalWithin(text1_.substr(static_cast<std::size_t>(pos1 - 1)),
                         text2_.substr(static_cast<std::size_t>(pos2 - 1)), counter, literalWork_);
}

RacingSearch& LengthEngine::racing()
{
    if (!racing_) racing_ = std::make_unique<RacingSearch>(texts_, tuning_);
    return *racing_;
}

std::int16_t LengthEngine::deferToSweep(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (counter.control()) counter.control()->throwIfCancelled();
    deferred_.emplace_back(pos1, pos2);
    return static_cast<std::int16_t>(texts_->lcsTable(counter.control()).at(pos1, pos2));
}

void LengthEngine::settle(CallCounter& counter)
{
    if (deferred_.empty()) return;
    std::vector<ColumnSweep::Pair> pairs;
    pairs.reserve(deferred_.size());
    for (const auto& [i, j] : deferred_) pairs.push_back({i, j});
    deferred_.clear();
    counter.add(ColumnSweep(text1_, text2_).countCalls(pairs, counter.control()));
}

std::int16_t LengthOf(EngineKind kind, std::u16string_view first, std::u16string_view second, CallCounter& counter,
                      const EngineTuning& tuning)
{
    if (kind == EngineKind::Literal) return CommonLength(first, second, counter);
    if (counter.hasLimit()) {
        std::uint64_t work = literalFirstWork(tuning, first.size(), second.size());
        if (work > 0)
            if (const auto length = literalWithin(first, second, counter, work)) return *length;
        return RacingSearch::lengthOf(first, second, counter, tuning);
    }
    std::int16_t length = 0;
    const auto fast = [&](CallCounter& local) {
        MemoSearch engine(first, second, tuning);
        engine.limitWork(tuning::memoWorkBudget(first.size(), second.size()));
        return engine.invoke(1, 1, local);
    };
    if (fastWithinBounds(fast, counter, tuning, length)) return length;
    return ColumnSweep::lengthOf(first, second, counter);
}

}  // namespace velmora
