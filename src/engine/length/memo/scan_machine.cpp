// The memoised search: the scan of one pair as a resumable machine over its frame.
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

// Runs the top frame until it needs a value not yet known (it then pushes a frame and
// returns) or until it is finished.
bool MemoSearch::step(Frame& frame, CallCounter& caller)
{
    CallCounter& counter = frame.quiet ? quietCounter_ : caller;
    const std::int32_t i = frame.i, j = frame.j;
    const char16_t wanted = second_[static_cast<std::size_t>(j - 1)];
    for (;;) {
        // A quiet frame is part of an exit whose candidate the search invokes, so the
        // invocations it has made so far are part of the count.
        if (frame.quiet && !frame.speculative && frame.nestedCalls > caller.limit()) caller.passLimit();
        switch (frame.phase) {
        case Phase::Start: {
            if (!frame.shiftTried && enterColumnShift(frame)) break;
            // Steps that make no call (runs of equal characters, and characters of the
            // second text that do not occur later in the first) are walked through
            // without remembering the pairs in between.
            const Advance advance = walkWithoutCalls(i, j);
            if (advance.i != i || advance.j != j) {
                if (!finish(frame, advance.matched, advance.i, advance.j, counter)) return false;
                break;
            }
            frame.candidate = advance.candidate;
            frame.phase = Phase::NextCandidate;
            break;
        }
        case Phase::AfterEarlyContinuation:
            frame.continuation = returned_;
            frame.phase = Phase::NextCandidate;
            break;
        case Phase::NextCandidate:
            if (!firstIndex_.isOccurrence(frame.candidate, wanted)) {
                if (frame.continued) {
                    returned_ = frame.continuation;
                    frame.continuationBonus = 0;
                    frame.phase = Phase::AfterContinuation;
                    break;
                }
                if (!frame.rejected) {
                    if (!finish(frame, 0, i, j + 1, counter)) return false;
                    break;
                }
                enterColumns(frame);
                break;
            }
            if (enterRunOfCandidates(frame)) break;
            frame.skipped = 1;
            frame.phase = Phase::AfterTake;
            if (!request(frame.candidate->second, j, true, counter, frame.quiet)) return false;
            break;
        case Phase::AfterTake:
            frame.takeLength = returned_.length;
            frame.takeCalls = returned_.nestedCalls;
            frame.nestedCalls = saturatingAdd(frame.nestedCalls, saturatingAdd(1, frame.takeCalls));
            if (!weighSkippedCharacters(frame, counter, true)) return false;
            break;
        case Phase::AfterSkip: {
            const std::uint64_t skipCalls = saturatingAdd(1, returned_.nestedCalls);
            frame.nestedCalls = saturatingAdd(frame.nestedCalls, skipCalls);
            frame.skips.add(returned_.length, skipCalls);
            if (returned_.length > frame.takeLength) {
                frame.rejected = true;
                ++frame.candidate;
                frame.phase = Phase::NextCandidate;
                if (frame.continued || order_ == Order::CandidatesFirst) break;
                // Every later candidate will be rejected too (take lengths never rise
                // along the candidates), so the scan goes on at (i, j + 1) whatever they
                // cost. Evaluating that first brings the large counts of the far pairs in
                // early, which is where an overflow shows.
                frame.continued = true;
                enterColumns(frame);
                break;
            }
            if (enterRunOfSkippedCharacters(frame)) break;
            ++frame.skipped;
            if (!weighSkippedCharacters(frame, counter, false)) return false;
            break;
        }
        case Phase::AfterBlockExit:
            frame.block->fill(frame.fillDiagonal, returned_);
            frame.phase = Phase::FillingBlock;
            [[fallthrough]];
        case Phase::FillingBlock:
            if (!fillBlock(frame, Phase::AfterBlockExit)) return false;
            if (frame.fillingSkips) {
                weighRunOfSkippedCharacters(frame, counter);
                if (!weighSkippedCharacters(frame, counter, false)) return false;
                break;
            }
            if (frame.weighOnly) {
                weight_.reset();
                const std::int32_t run = (frame.fillTo - frame.fillFrom) / frame.block->period() + 1;
                if (weighRunOfCandidates(frame, counter))
                    weight_ = RunWeight{frame.nestedCalls, frame.takeLength, frame.lastSkipLength, run};
                stack_.pop_back();
                return true;
            }
            if (!weighRunOfCandidates(frame, counter)) {
                // Not weighable as a whole after all: the candidate on its own.
                frame.skipped = 1;
                frame.phase = Phase::AfterTake;
                if (!request(frame.candidate->second, j, true, counter, frame.quiet)) return false;
                break;
            }
            frame.phase = Phase::NextCandidate;
            break;
        case Phase::AfterColumnExit:
            frame.block->fill(frame.fillDiagonal, returned_);
            frame.phase = Phase::FillingColumns;
            [[fallthrough]];
        case Phase::FillingColumns: {
            const std::optional<bool> weighed = weighColumns(frame, counter);
            if (!weighed) return false;  // an exit is being evaluated
            // The scan goes on after the run of columns, or at the next one.
            const std::int32_t next = *weighed ? frame.columnsEnd : j + 1;
            if (!frame.continued) {
                if (!finish(frame, 0, i, next, counter)) return false;
                break;
            }
            frame.phase = Phase::AfterEarlyContinuation;
            if (!request(i, next, false, counter, frame.quiet)) return false;
            break;
        }
        case Phase::VerifyingShift:
        case Phase::AfterShiftValue: {
            const std::optional<bool> shifted = verifyColumnShift(frame, frame.phase == Phase::AfterShiftValue);
            if (!shifted) return false;  // a pair compared is being evaluated
            if (!*shifted) {
                frame.phase = Phase::Start;  // the scan of its own
                break;
            }
            if (!finish(frame, 0, i, shifts_.find(frame.shiftRunEnd)->second.target, counter)) return false;
            break;
        }
        case Phase::AfterContinuation: {
            frame.nestedCalls = saturatingAdd(frame.nestedCalls, returned_.nestedCalls);
            const ScanOutcome outcome{static_cast<std::int16_t>(returned_.length + frame.continuationBonus),
                                      frame.nestedCalls};
            memo_->insert(i, j, outcome);
            stack_.pop_back();
            returned_ = outcome;
            return true;
        }
        }
    }
}

// Weighs the skipped characters from frame.skipped on against the candidate. The take
// length of the first one is known; every later one repeats that invocation, which the
// count must show. Returns false when it had to push a frame.
bool MemoSearch::weighSkippedCharacters(Frame& frame, CallCounter& counter, bool newCandidate)
{
    const std::int32_t candidate = frame.candidate->second;
    const std::int32_t offset = candidate - frame.i;
    if (newCandidate && !frame.skips.empty()) {
        if (reuseWeighedCharacters(frame, counter, offset)) return true;  // rejected
        newCandidate = false;
    }
    const std::uint64_t repeatedTake = saturatingAdd(1, frame.takeCalls);
    for (bool firstOfCandidate = newCandidate;; firstOfCandidate = false) {
        if (frame.skipped > offset) return finish(frame, 1, candidate + 1, frame.j + 1, counter);
        if (!firstOfCandidate) count(frame, counter, repeatedTake);
        const char16_t skipped = first_[static_cast<std::size_t>(frame.i + frame.skipped - 2)];
        // A run of skipped characters shares one partner.
        if (frame.partnerOf != skipped || frame.partner < 0) {
            frame.partnerOf = skipped;
            frame.partner = secondIndex_.next(skipped, frame.j);
        }
        const std::int32_t partner = frame.partner;
        if (partner != 0) {
            frame.phase = Phase::AfterSkip;
            return request(frame.i + frame.skipped - 1, partner, true, counter, frame.quiet);
        }
        // A run of skipped characters without a partner makes only the take calls.
        const std::int32_t at = frame.i + frame.skipped - 1;
        const std::int32_t run = std::min(firstRuns_[static_cast<std::size_t>(at - 1)], offset - frame.skipped + 1);
        count(frame, counter, saturate(static_cast<unsigned __int128>(run - 1) * repeatedTake));
        frame.skips.add(std::nullopt, 0);
        frame.skips.addUnbeaten(run - 1, 0);
        frame.skipped += run;
    }
}

// Answers the skipped characters that an earlier candidate of this pair has weighed, from
// what it remembered: the first one whose skip length beats this candidate's take length
// rejects it (true); otherwise frame.skipped moves past them. Either way the count grows
// by the repeated take calls and the skip calls up to that character.
bool MemoSearch::reuseWeighedCharacters(Frame& frame, CallCounter& counter, std::int32_t offset)
{
    const std::int32_t known = std::min(offset, frame.skips.weighed());
    const auto rejection = frame.skips.rejection(frame.takeLength, known);
    // A candidate lies beyond every skipped character an earlier one weighed.
    if (!rejection && known != frame.skips.weighed()) throw std::logic_error("candidates out of order");
    const std::int32_t weighed = rejection ? rejection->m : known;
    const unsigned __int128 repeated =
        static_cast<unsigned __int128>(weighed - 1) * (1 + static_cast<unsigned __int128>(frame.takeCalls));
    count(frame, counter, saturate(repeated + (rejection ? rejection->skipCalls : frame.skips.calls())));
    if (rejection) {
        ++frame.candidate;
        frame.phase = Phase::NextCandidate;
        return true;
    }
    frame.skipped = weighed + 1;
    return false;
}

void MemoSearch::count(Frame& frame, CallCounter& counter, std::uint64_t calls)
{
    counter.add(calls);
    frame.nestedCalls = saturatingAdd(frame.nestedCalls, calls);
}

bool MemoSearch::finish(Frame& frame, std::int16_t bonus, std::int32_t i, std::int32_t j, CallCounter& counter)
{
    frame.continuationBonus = bonus;
    frame.phase = Phase::AfterContinuation;
    return request(i, j, false, counter, frame.quiet);
}

}  // namespace velmora
