// The memoised search: construction, calls, slices, and the memo it asks first.
#include "engine/length/memo/memo_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "engine/base/checked_arithmetic.h"
#include "engine/base/text_limits.h"
#include "engine/text_index/common_extension.h"
#include "engine/text_index/pass_over_index.h"

namespace velmora {

MemoSearch::MemoSearch(std::shared_ptr<const TextPairIndex> texts, const EngineTuning& tuning, Order order,
                       std::shared_ptr<PairMemo> sharedMemo)
    : order_(order),
      weighedRun_(tuning.weighedRun),
      weighedColumns_(tuning.weighedColumns),
      columnCheckpoint_(std::max(tuning.columnCheckpoint, 1)),
      shiftedColumns_(std::max(tuning.shiftedColumns, 1)),
      shiftCheckedRows_(tuning.shiftCheckedRows),
      texts_(std::move(texts)),
      first_(texts_->first()),
      second_(texts_->second()),
      firstLength_(texts_->firstLength()),
      secondLength_(texts_->secondLength()),
      firstIndex_(texts_->firstOccurrences()),
      secondIndex_(texts_->secondOccurrences()),
      passOver_(texts_->passOver()),
      firstRuns_(texts_->firstRuns()),
      secondRuns_(texts_->secondRuns()),
      memo_(sharedMemo ? std::move(sharedMemo) : memoOf(*texts_, tuning.mostDenseCells))
{
}

MemoSearch::MemoSearch(std::u16string_view first, std::u16string_view second, const EngineTuning& tuning, Order order)
    : MemoSearch(std::make_shared<TextPairIndex>(first, second), tuning, order)
{
}

std::shared_ptr<PairMemo> MemoSearch::memoOf(const TextPairIndex& texts, std::size_t mostDenseCells)
{
    return std::make_shared<PairMemo>(texts.firstLength(), texts.secondLength(), mostDenseCells);
}

std::int16_t MemoSearch::lengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                  const EngineTuning& tuning, Order order)
{
    MemoSearch engine(first, second, tuning, order);
    return engine.invoke(1, 1, counter);
}

std::int16_t MemoSearch::invoke(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    start(i, j, counter);
    while (!advance(counter, UINT64_MAX)) {}
    return result();
}

void MemoSearch::start(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    stack_.clear();
    returned_ = {};
    counter.add(1);
    if (i > static_cast<std::int32_t>(first_.size()) || j > static_cast<std::int32_t>(second_.size())) return;
    checkTextLengths(static_cast<std::size_t>(firstLength_ - i + 1), static_cast<std::size_t>(secondLength_ - j + 1));
    quietCounter_ = CallCounter(0, CallCounter::kNoLimit, counter.control());
    request(i, j, false, counter, false);
}

bool MemoSearch::advance(CallCounter& counter, std::uint64_t steps)
{
    for (std::size_t sinceBound = 0; !stack_.empty(); --steps) {
        if (steps == 0) return false;
        step(stack_.back(), counter);
        // A check reads the whole stack, so it comes no more often than the stack is deep.
        if (++sinceBound >= std::max(tuning::kPendingCheckEvery, stack_.size())) {
            sinceBound = 0;
            checkPendingCalls(counter);
        }
    }
    return true;
}

// Quiet frames and blocks being filled hold invocations that the count has not seen yet:
// a quiet frame's so far, and at least one call for each candidate (or skipped character)
// whose exit is known plus that exit's nested calls. Each of them is a distinct part of
// the invocation tree, so their sum with the count proves an overflow as well.
void MemoSearch::checkPendingCalls(CallCounter& counter) const
{
    if (!counter.hasLimit()) return;
    unsigned __int128 pending = counter.value();
    for (const Frame& frame : stack_) {
        if (frame.speculative) continue;
        if (frame.quiet) pending += frame.nestedCalls;
        if (frame.phase != Phase::FillingBlock && frame.phase != Phase::AfterBlockExit) continue;
        const BlockExits& block = *frame.block;
        // The exits held so far of those the frame needs.
        const std::int32_t low = std::max(frame.fillFrom, block.low()), high = std::min(frame.fillTo, block.high());
        if (low > high) continue;
        pending += static_cast<unsigned __int128>((high - low) / block.period() + 1) + block.exitCalls(low, high);
    }
    if (pending > counter.limit()) counter.passLimit();
}

// Makes the value of pair (i, j) available in returned_ (true), or pushes a frame that
// will compute it (false). An invocation counts itself; a continuation of a scan does not.
bool MemoSearch::request(std::int32_t i, std::int32_t j, bool invocation, CallCounter& counter, bool quiet,
                         bool speculative)
{
    if (invocation) counter.add(1);
    if (i > firstLength_ || j > secondLength_) {
        returned_ = {};
        return true;
    }
    auto known = shiftedOutcome(i, j);
    if (!known) known = memo_->find(i, j);
    if (known) {
        counter.add(known->nestedCalls);
        returned_ = *known;
        return true;
    }
    if (workBudget_ == 0) throw WorkBudgetExceeded{};
    --workBudget_;
    // What a speculative frame asks for is speculative too.
    speculative = speculative || (!stack_.empty() && stack_.back().speculative);
    stack_.push_back(Frame{i, j, quiet || speculative}).speculative = speculative;
    ++framesPushed_;
    speculativeFrames_ += speculative;
    return false;
}

}  // namespace velmora
