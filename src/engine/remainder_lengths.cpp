#include "engine/remainder_lengths.h"

#include <algorithm>

#include "engine/checked_arithmetic.h"
#include "engine/column_sweep.h"
#include "engine/common_length.h"
#include "engine/racing_common_length.h"

namespace velmora {
namespace {

bool isCallCountOverflow(const OverflowError& error) { return error.limit() == OverflowLimit::CallCount; }

// The fast engine evaluates only the pairs a call reaches, but on some texts (long runs
// that each candidate weighs afresh) it reaches more pairs than a sweep of them all would
// cost; past this many it hands over to the sweep.
std::uint64_t fastWorkBudget(std::size_t a, std::size_t b) { return std::uint64_t{a} * b / 128 + 4096; }

// Runs the fast engine with a 64-bit count below tuning.fastCountBound and the work
// budget; false when either was passed and the sweep should take over.
template <class Call>
bool fastWithinBounds(Call call, CallCounter& counter, const EngineTuning& tuning, std::int16_t& length)
{
    CallCounter local(0, tuning.fastCountBound, counter.control());
    try {
        length = call(local);
    } catch (const OverflowError& error) {
        if (!isCallCountOverflow(error)) throw;
        return false;
    } catch (const FastCommonLength::WorkBudgetExceeded&) {
        return false;
    }
    counter.add(local.value());
    return true;
}

// The fast engine indexes both texts before its first call, which costs it about as
// much as this many steps of the literal engine per character.
constexpr std::uint64_t kSetUpStepsPerCharacter = 8, kSetUpSteps = 1024;

std::uint64_t literalFirstWork(std::uint64_t asked, std::size_t a, std::size_t b)
{
    if (asked != EngineTuning::kAboutTheSetUp) return asked;
    return kSetUpStepsPerCharacter * (std::uint64_t{a} + b) + kSetUpSteps;
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

// The fast engine's counts are held in 64 bits and stick at the largest value; below
// tuning.fastCountBound they are exact.
RemainderLengths::RemainderLengths(EngineKind kind, std::u16string_view text1, std::u16string_view text2,
                                   const EngineTuning& tuning)
    : text1_(text1),
      text2_(text2),
      literal_(kind == EngineKind::Literal),
      tuning_(tuning),
      literalWork_(literal_ ? 0 : literalFirstWork(tuning.literalFirstWork, text1.size(), text2.size()))
{
}

RemainderLengths::~RemainderLengths() = default;

std::int16_t RemainderLengths::operator()(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (literal_)
        return CommonLength(text1_.substr(static_cast<std::size_t>(pos1 - 1)),
                            text2_.substr(static_cast<std::size_t>(pos2 - 1)), counter);
    if (counter.hasLimit()) {
        if (const auto length = tryLiteral(pos1, pos2, counter)) return *length;
        return racing().invoke(pos1, pos2, counter);
    }
    if (table_) return deferToSweep(pos1, pos2, counter);
    if (!fast_) {
        fast_ = std::make_unique<FastCommonLength>(text1_, text2_, tuning_.mostDenseCells,
                                                   FastCommonLength::Order::CandidatesFirst, tuning_.weighedRun);
        fast_->limitWork(fastWorkBudget(text1_.size(), text2_.size()));
    }
    std::int16_t length = 0;
    if (fastWithinBounds([&](CallCounter& local) { return fast_->invoke(pos1, pos2, local); }, counter, tuning_,
                         length))
        return length;
    fast_.reset();  // its memory is better spent on the table
    table_ = std::make_unique<SuffixLcsTable>(text1_, text2_, counter.control());
    return deferToSweep(pos1, pos2, counter);
}

std::optional<FastCommonLength::RunWeight>
RemainderLengths::weighRejectedRun(const FastCommonLength::RejectedCandidates& weighing, CallCounter& counter)
{
    if (literal_ || !counter.hasLimit() || literalWork_ > 0) return std::nullopt;
    return racing().weigh(weighing, counter);
}

std::optional<std::int16_t> RemainderLengths::tryLiteral(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (literalWork_ == 0) return std::nullopt;
    return literalWithin(text1_.substr(static_cast<std::size_t>(pos1 - 1)),
                         text2_.substr(static_cast<std::size_t>(pos2 - 1)), counter, literalWork_);
}

RacingCommonLength& RemainderLengths::racing()
{
    if (!racing_)
        racing_ = std::make_unique<RacingCommonLength>(text1_, text2_, tuning_.mostDenseCells, tuning_.weighedRun);
    return *racing_;
}

std::int16_t RemainderLengths::deferToSweep(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (counter.control()) counter.control()->throwIfCancelled();
    deferred_.emplace_back(pos1, pos2);
    return static_cast<std::int16_t>(table_->at(pos1, pos2));
}

void RemainderLengths::settle(CallCounter& counter)
{
    if (deferred_.empty()) return;
    std::vector<ColumnSweep::Pair> pairs;
    pairs.reserve(deferred_.size());
    for (const auto& [i, j] : deferred_) pairs.push_back({i, j});
    deferred_.clear();
    counter.add(ColumnSweep(text1_, text2_).countCalls(pairs, counter.control()));
}

std::int16_t CommonLengthOf(EngineKind kind, std::u16string_view first, std::u16string_view second,
                            CallCounter& counter, const EngineTuning& tuning)
{
    if (kind == EngineKind::Literal) return CommonLength(first, second, counter);
    if (counter.hasLimit()) {
        std::uint64_t work = literalFirstWork(tuning.literalFirstWork, first.size(), second.size());
        if (work > 0)
            if (const auto length = literalWithin(first, second, counter, work)) return *length;
        return RacingCommonLengthOf(first, second, counter, tuning.mostDenseCells, tuning.weighedRun);
    }
    std::int16_t length = 0;
    const auto fast = [&](CallCounter& local) {
        FastCommonLength engine(first, second, tuning.mostDenseCells, FastCommonLength::Order::CandidatesFirst,
                                tuning.weighedRun);
        engine.limitWork(fastWorkBudget(first.size(), second.size()));
        return engine.invoke(1, 1, local);
    };
    if (fastWithinBounds(fast, counter, tuning, length)) return length;
    return SweptCommonLength(first, second, counter);
}

}  // namespace velmora
