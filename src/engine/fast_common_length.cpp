#include "engine/fast_common_length.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "engine/checked_arithmetic.h"
#include "engine/run_lengths.h"
#include "engine/text_limits.h"

namespace velmora {
namespace {

// Runs at least this long are crossed in one step rather than character by character.
constexpr std::int32_t kLongRun = 8;
// Past this many equal units the rest of an agreement is looked up instead of compared.
constexpr std::int32_t kLongAgreement = 64;

std::uint64_t saturate(unsigned __int128 calls)
{
    return calls > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(calls);
}

std::int32_t lengthOf(std::u16string_view text)
{
    return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), kLongestText + 1));
}

}  // namespace

// Length of the common prefix of first[i..] and second[j..]: long equal runs on both
// sides in one step, the rest four code units at a time.
std::int32_t FastCommonLength::commonPrefix(std::int32_t i, std::int32_t j) const
{
    const char16_t* a = first_.data() + (i - 1);
    const char16_t* b = second_.data() + (j - 1);
    const std::int32_t* runsA = firstRuns_.data() + (i - 1);
    const std::int32_t* runsB = secondRuns_.data() + (j - 1);
    const std::int32_t limit = std::min(firstLength_ - i + 1, secondLength_ - j + 1);
    std::int32_t n = 0;
    while (n < limit && a[n] == b[n]) {
        if (n >= kLongAgreement) return n + extension().length(i + n, j + n);
        if (runsA[n] >= kLongRun && runsB[n] >= kLongRun) {
            n += std::min(runsA[n], runsB[n]);
            continue;
        }
        if (std::endian::native != std::endian::little || n + 4 > limit) {
            ++n;
            continue;
        }
        std::uint64_t wordA, wordB;
        std::memcpy(&wordA, a + n, sizeof wordA);
        std::memcpy(&wordB, b + n, sizeof wordB);
        if (wordA != wordB) return n + __builtin_ctzll(wordA ^ wordB) / 16;
        n += 4;
    }
    return n;
}

// About one pair in sixteen, whatever the steps by which walks move.
bool FastCommonLength::isCheckpoint(std::int32_t i, std::int32_t j)
{
    return (static_cast<std::uint32_t>(i) * 0x9E3779B1u + static_cast<std::uint32_t>(j)) * 0x85EBCA6Bu >> 28 == 0;
}

// From pair (i, j), the pair where the scan will first weigh a candidate, or the end of a
// text, with the characters matched on the way there.
//
// Walks from different pairs often join one path (where a scan matches and passes over
// in turn for thousands of characters), and each would walk the rest of it again. So a
// long walk leaves, at some of the pairs where its steps begin, where it ends: a later walk
// that reaches one of them jumps there.
FastCommonLength::Advance FastCommonLength::walkWithoutCalls(std::int32_t i, std::int32_t j) const
{
    Advance advance{i, j, 0, {}};
    passedCheckpoints_.clear();
    for (std::int32_t steps = 0; advance.i <= firstLength_ && advance.j <= secondLength_; ++steps) {
        if (steps > 0 && isCheckpoint(advance.i, advance.j)) {
            const std::uint32_t key =
                static_cast<std::uint32_t>(advance.i) << 16 | static_cast<std::uint32_t>(advance.j);
            if (const auto known = walkEnds_.find(key); known != walkEnds_.end()) {
                const std::int16_t matched = advance.matched;
                advance = known->second;
                advance.matched = static_cast<std::int16_t>(advance.matched + matched);
                break;
            }
            passedCheckpoints_.emplace_back(key, advance.matched);
        }
        if (firstRuns_[static_cast<std::size_t>(advance.i - 1)] >= kLongRun && crossRun(advance)) continue;
        advance.j = passOver_.stop(advance.i, advance.j);  // characters passed over without a call
        if (advance.j > secondLength_) break;
        const char16_t wanted = second_[static_cast<std::size_t>(advance.j - 1)];
        if (first_[static_cast<std::size_t>(advance.i - 1)] == wanted) {
            const std::int32_t run = commonPrefix(advance.i, advance.j);
            advance.i += run;
            advance.j += run;
            advance.matched = static_cast<std::int16_t>(advance.matched + run);
            continue;
        }
        // wanted occurs in first[i + 1..]: a candidate
        advance.candidate = firstIndex_.occurrencesFrom(wanted, advance.i + 1);
        break;
    }
    for (const auto& [key, matched] : passedCheckpoints_)
        walkEnds_.try_emplace(key, Advance{advance.i, advance.j, static_cast<std::int16_t>(advance.matched - matched),
                                           advance.candidate});
    return advance;
}

// The first text's remainder begins with a long run of c. Until the run is used up, the
// scan matches the c's of the second text with it and passes over every other character
// that does not occur after the run, and it stops at the first one that does (a
// candidate). Both are found by index instead of walking: true when the run was used up
// and the walk goes on after it; false when the walk is left at the next character that
// occurs after the run (or at the end of the second text), for the usual step.
bool FastCommonLength::crossRun(Advance& advance) const
{
    const char16_t c = first_[static_cast<std::size_t>(advance.i - 1)];
    const std::int32_t run = firstRuns_[static_cast<std::size_t>(advance.i - 1)];
    const std::int32_t runEnd = advance.i + run;
    const std::int32_t stop = runEnd <= firstLength_ ? passOver_.stop(runEnd, advance.j) : secondLength_ + 1;
    const auto from = secondIndex_.occurrencesFrom(c, advance.j);
    const auto matches = static_cast<std::int32_t>(secondIndex_.occurrencesFrom(c, stop) - from);
    if (matches >= run) {  // the run's last c meets the run-th c of the second text
        advance.j = (from + (run - 1))->second + 1;
        advance.i = runEnd;
        advance.matched = static_cast<std::int16_t>(advance.matched + run);
        return true;
    }
    advance.i += matches;
    advance.j = stop;
    advance.matched = static_cast<std::int16_t>(advance.matched + matches);
    return false;
}

const CommonExtension& FastCommonLength::extension() const
{
    if (!extension_)
        extension_ = std::make_unique<CommonExtension>(first_.substr(0, static_cast<std::size_t>(firstLength_)),
                                                       second_.substr(0, static_cast<std::size_t>(secondLength_)));
    return *extension_;
}

FastCommonLength::FastCommonLength(std::u16string_view first, std::u16string_view second, std::size_t mostDenseCells,
                                   Order order, std::int32_t weighedRun, std::shared_ptr<SuffixPairMemo> sharedMemo)
    : order_(order),
      weighedRun_(weighedRun),
      first_(first),
      second_(second),
      firstLength_(lengthOf(first)),
      secondLength_(lengthOf(second)),
      firstIndex_(first.substr(0, static_cast<std::size_t>(firstLength_))),
      secondIndex_(second.substr(0, static_cast<std::size_t>(secondLength_))),
      passOver_(firstIndex_, second.substr(0, static_cast<std::size_t>(secondLength_))),
      firstRuns_(remainingRuns(first.substr(0, static_cast<std::size_t>(firstLength_)))),
      secondRuns_(remainingRuns(second.substr(0, static_cast<std::size_t>(secondLength_)))),
      memo_(sharedMemo ? std::move(sharedMemo) : memoOf(first, second, mostDenseCells))
{
}

std::shared_ptr<SuffixPairMemo> FastCommonLength::memoOf(std::u16string_view first, std::u16string_view second,
                                                         std::size_t mostDenseCells)
{
    return std::make_shared<SuffixPairMemo>(lengthOf(first), lengthOf(second), mostDenseCells);
}

std::int16_t FastCommonLength::invoke(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    start(i, j, counter);
    while (!advance(counter, UINT64_MAX)) {}
    return result();
}

void FastCommonLength::start(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    stack_.clear();
    returned_ = {};
    counter.add(1);
    if (i > static_cast<std::int32_t>(first_.size()) || j > static_cast<std::int32_t>(second_.size())) return;
    const std::int32_t rest = std::max(firstLength_ - i + 1, secondLength_ - j + 1);
    if (rest > kLongestText) throw OverflowError(OverflowLimit::TextLength);
    quietCounter_ = CallCounter(0, CallCounter::kNoLimit, counter.control());
    request(i, j, false, counter, false);
}

bool FastCommonLength::startWeighing(const RejectedCandidates& weighing, CallCounter& counter)
{
    stack_.clear();
    weight_.reset();
    quietCounter_ = CallCounter(0, CallCounter::kNoLimit, counter.control());
    const std::int32_t candidate = weighing.candidate, j = weighing.j;
    if (candidate < 1 || candidate > firstLength_ || j < 1 || j > secondLength_ ||
        first_[static_cast<std::size_t>(candidate - 1)] != second_[static_cast<std::size_t>(j - 1)] ||
        weighing.skips.empty())
        return false;
    const auto shape = candidateBlock(candidate, j);
    if (!shape) return false;
    Frame& frame = stack_.emplace_back(Frame{0, j});
    frame.rejected = frame.weighOnly = frame.takeOnce = true;
    frame.candidate = firstIndex_.occurrencesFrom(first_[static_cast<std::size_t>(candidate - 1)], candidate);
    frame.skips = weighing.skips;
    enterCandidateBlock(frame, *shape);
    return true;
}

bool FastCommonLength::advance(CallCounter& counter, std::uint64_t steps)
{
    for (std::size_t sinceBound = 0; !stack_.empty(); --steps) {
        if (steps == 0) return false;
        step(stack_.back(), counter);
        // A check reads the whole stack, so it comes no more often than the stack is deep.
        if (++sinceBound >= std::max(kBoundEvery, stack_.size())) {
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
void FastCommonLength::checkPendingCalls(CallCounter& counter) const
{
    if (!counter.hasLimit()) return;
    unsigned __int128 pending = counter.value();
    for (const Frame& frame : stack_) {
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
bool FastCommonLength::request(std::int32_t i, std::int32_t j, bool invocation, CallCounter& counter, bool quiet)
{
    if (invocation) counter.add(1);
    if (i > firstLength_ || j > secondLength_) {
        returned_ = {};
        return true;
    }
    if (const auto known = memo_->find(i, j)) {
        counter.add(known->nestedCalls);
        returned_ = *known;
        return true;
    }
    if (workBudget_ == 0) throw WorkBudgetExceeded{};
    --workBudget_;
    stack_.push_back(Frame{i, j, quiet});
    return false;
}

// Runs the top frame until it needs a value not yet known (it then pushes a frame and
// returns) or until it is finished.
bool FastCommonLength::step(Frame& frame, CallCounter& caller)
{
    CallCounter& counter = frame.quiet ? quietCounter_ : caller;
    const std::int32_t i = frame.i, j = frame.j;
    const char16_t wanted = second_[static_cast<std::size_t>(j - 1)];
    for (;;) {
        // A quiet frame is part of an exit whose candidate the search invokes, so the
        // invocations it has made so far are part of the count.
        if (frame.quiet && frame.nestedCalls > caller.limit()) caller.passLimit();
        switch (frame.phase) {
        case Phase::Start: {
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

// After a rejection every later candidate is rejected too, at the first skipped
// character whose skip length beats its take length. A long run of them is weighed as a
// whole from the exits of its diagonals: true when frame.candidate begins such a run and
// the frame now fills and weighs it.
bool FastCommonLength::enterRunOfCandidates(Frame& frame)
{
    if (!frame.rejected) return false;
    const auto shape = candidateBlock(frame.candidate->second, frame.j);
    if (!shape) return false;
    enterCandidateBlock(frame, *shape);
    return true;
}

void FastCommonLength::enterCandidateBlock(Frame& frame, const BlockShape& shape)
{
    const std::int32_t from = frame.candidate->second - frame.j;
    enterBlock(frame, shape, from, from + (shape.candidates - 1) * shape.period, false);
}

// The stretch of the first text from candidate on that repeats with the distance q to the
// next occurrence of the candidate's character (a run when q is 1), if it holds at least
// weighedRun_ candidates; and the stretch of the second text from j with the same period,
// which must agree with it. Within the first stretch the candidates are exactly every
// q-th position, since no other occurrence lies closer.
std::optional<FastCommonLength::BlockShape> FastCommonLength::candidateBlock(std::int32_t candidate,
                                                                             std::int32_t j) const
{
    const auto index = [](std::int32_t p) { return static_cast<std::size_t>(p - 1); };
    const std::int32_t run = firstRuns_[index(candidate)];
    if (run >= weighedRun_) return BlockShape{candidate + run, j + secondRuns_[index(j)], 1, run};
    if (run > 1) return std::nullopt;
    // The occurrences must lie q apart as far as the weighedRun_-th before anything is
    // compared: most texts are not periodic anywhere.
    const char16_t c = first_[index(candidate)];
    const auto here = firstIndex_.occurrencesFrom(c, candidate);
    const auto further = std::distance(here, firstIndex_.occurrencesFrom(c, firstLength_ + 1));
    if (further < weighedRun_) return std::nullopt;
    const std::int32_t period = std::next(here)->second - candidate;
    if (std::next(here, weighedRun_ - 1)->second != candidate + (weighedRun_ - 1) * period) return std::nullopt;
    const std::int32_t firstEnd = candidate + period + extension().withinFirst(candidate, candidate + period);
    const std::int32_t candidates = (firstEnd - candidate + period - 1) / period;
    if (candidates < weighedRun_) return std::nullopt;
    const std::int32_t secondEnd =
        j + period > secondLength_ ? secondLength_ + 1 : j + period + extension().withinSecond(j, j + period);
    if (extension().length(candidate, j) < std::min({period, firstEnd - candidate, secondEnd - j})) return std::nullopt;
    return BlockShape{firstEnd, secondEnd, period, candidates};
}

// The skipped character just weighed did not reject the candidate. When a long run of
// the same character follows it among the skipped ones, none of them will (their skip
// calls share its partner and give no more), and the run is weighed as a whole.
bool FastCommonLength::enterRunOfSkippedCharacters(Frame& frame)
{
    const std::int32_t at = frame.i + frame.skipped - 1;  // the character just weighed
    const std::int32_t offset = frame.candidate->second - frame.i;
    const std::int32_t run = std::min(firstRuns_[static_cast<std::size_t>(at - 1)] - 1, offset - frame.skipped);
    if (run < weighedRun_) return false;
    const std::int32_t from = at + 1 - frame.partner;
    const BlockShape shape{at + firstRuns_[static_cast<std::size_t>(at - 1)],
                           frame.partner + secondRuns_[static_cast<std::size_t>(frame.partner - 1)], 1, run};
    enterBlock(frame, shape, from, from + run - 1, true);
    return true;
}

// Counts the run of skipped characters after frame.skipped: each repeats the take call
// and makes its skip call, on the diagonal of its pair with the partner.
void FastCommonLength::weighRunOfSkippedCharacters(Frame& frame, CallCounter& counter)
{
    const std::int32_t run = frame.fillTo - frame.fillFrom + 1;
    const unsigned __int128 skipCalls =
        static_cast<unsigned __int128>(run) + frame.block->exitCalls(frame.fillFrom, frame.fillTo);
    const unsigned __int128 calls =
        static_cast<unsigned __int128>(run) * (1 + static_cast<unsigned __int128>(frame.takeCalls)) + skipCalls;
    count(frame, counter, saturate(calls));
    frame.skips.addUnbeaten(run, saturate(skipCalls));
    frame.skipped += run + 1;
}

void FastCommonLength::enterBlock(Frame& frame, const BlockShape& shape, std::int32_t from, std::int32_t to, bool skips)
{
    frame.block = &blockAt(shape, from);
    frame.fillFrom = from;
    frame.fillTo = to;
    frame.fillingSkips = skips;
    frame.phase = Phase::FillingBlock;
}

// The block of the shape that holds diagonal d: its diagonals are those of d's phase.
// Ends, period and phase are each below 2^15, so they pack into one key without overlap.
BlockExits& FastCommonLength::blockAt(const BlockShape& shape, std::int32_t d)
{
    const auto phase = static_cast<std::uint64_t>(((d % shape.period) + shape.period) % shape.period);
    const std::uint64_t key = static_cast<std::uint64_t>(shape.firstEnd) << 45 |
                              static_cast<std::uint64_t>(shape.secondEnd) << 30 |
                              static_cast<std::uint64_t>(shape.period) << 15 | phase;
    return blocks_.try_emplace(key, shape.firstEnd, shape.secondEnd, shape.period).first->second;
}

// Requests the exits the run of candidates needs, one by one, quietly; false while one is
// being evaluated (the frame then waits in phase `waiting`).
bool FastCommonLength::fillBlock(Frame& frame, Phase waiting)
{
    const std::int32_t from = frame.fillFrom, to = frame.fillTo;
    frame.block->keepOnlyNear(from, to);
    while (!frame.block->holds(from, to)) {
        const std::int32_t d = frame.block->nextToFill(to);
        const auto [i, j] = frame.block->exit(d);
        if (!request(i, j, false, quietCounter_, true)) {
            frame.fillDiagonal = d;
            frame.phase = waiting;
            return false;
        }
        frame.block->fill(d, returned_);
    }
    return true;
}

// After a rejection in column j the scan goes on at (i, j + 1). While the second text's
// run of the wanted character goes on, each of those columns has the same candidates and
// the same skipped characters with the same partners (they lie after the run), so its
// scan is rejected too and goes on to the next column. The run of columns is weighed as
// a whole, run of candidates by run, when each run of candidates is rejected at the same
// skipped character in all of them.
void FastCommonLength::enterColumns(Frame& frame)
{
    frame.columnsEnd = frame.j + secondRuns_[static_cast<std::size_t>(frame.j - 1)];
    frame.columnCandidate = firstIndex_.occurrencesFrom(second_[static_cast<std::size_t>(frame.j - 1)], frame.i + 1);
    frame.columnCalls = 0;
    frame.block = nullptr;
    frame.phase = Phase::FillingColumns;
}

// Weighs the columns j + 1 .. columnsEnd - 1 of the frame's scan: true when they are
// counted, false when they must be walked one by one (nothing counted), nothing while an
// exit is being evaluated.
std::optional<bool> FastCommonLength::weighColumns(Frame& frame, CallCounter& counter)
{
    const std::int32_t j = frame.j, end = frame.columnsEnd;
    if (end - j < weighedRun_ || frame.skips.empty()) return false;
    const char16_t wanted = second_[static_cast<std::size_t>(j - 1)];
    for (; firstIndex_.isOccurrence(frame.columnCandidate, wanted);) {
        const std::int32_t begin = frame.columnCandidate->second;
        const std::int32_t run = firstRuns_[static_cast<std::size_t>(begin - 1)], firstEnd = begin + run;
        if (!frame.block) {
            frame.block = &blockAt(BlockShape{firstEnd, end, 1, run}, 0);
            frame.fillFrom = begin - (end - 1);
            frame.fillTo = firstEnd - 1 - (j + 1);
        }
        if (!fillBlock(frame, Phase::AfterColumnExit)) return std::nullopt;
        const BlockExits& block = *frame.block;
        // One point of rejection for the whole run of columns, or none.
        const auto most =
            frame.skips.rejection(static_cast<std::int16_t>(block.reach(begin - (j + 1)) - (j + 1)), INT32_MAX);
        const auto least = frame.skips.rejection(
            static_cast<std::int16_t>(block.reach(firstEnd - 1 - (end - 1)) - (end - 1)), INT32_MAX);
        if (!most || !least || most->m != least->m) return false;
        const auto cells = static_cast<__int128>(end - 1 - j) * run;
        const __int128 exits = block.sumOfSums(firstEnd - 1 - (end - 1), firstEnd - 1 - (j + 1)) -
                               block.sumOfSums(begin - 1 - (end - 1), begin - 1 - (j + 1));
        frame.columnCalls +=
            static_cast<__int128>(most->m) * (cells + exits) + cells * static_cast<__int128>(most->skipCalls);
        frame.columnCandidate += run;
        frame.block = nullptr;
    }
    count(frame, counter, saturate(static_cast<unsigned __int128>(frame.columnCalls)));
    return true;
}

// Counts the whole run of candidates from frame.candidate on. Along the run the take
// lengths fall, so the point of rejection falls too: the candidates form a few groups
// rejected at the same skipped character m, each found by a binary search, and each
// costs m take calls per candidate plus the skip calls up to m. False, with nothing
// counted, if some candidate would outlast the characters weighed so far.
bool FastCommonLength::weighRunOfCandidates(Frame& frame, CallCounter& counter)
{
    const std::int32_t j = frame.j;
    const BlockExits& block = *frame.block;
    const std::int32_t from = frame.fillFrom, period = frame.block->period();
    const std::int32_t count = (frame.fillTo - from) / period + 1;  // candidates, the k-th on diagonal from + k q
    const auto diagonal = [&](std::int32_t k) { return from + k * period; };
    const auto takeLength = [&](std::int32_t k) { return static_cast<std::int16_t>(block.reach(diagonal(k)) - j); };
    if (takeLength(0) >= frame.skips.best()) return false;
    unsigned __int128 calls = 0;
    for (std::int32_t k = 0; k < count;) {
        const SkipProfile::Rejection rejection = *frame.skips.rejection(takeLength(k), INT32_MAX);
        // The group ends where the take length falls below the floor of this rejection.
        std::int32_t low = k, high = count - 1;  // takeLength(low) >= floor
        while (low < high) {
            const std::int32_t middle = low + (high - low + 1) / 2;
            if (takeLength(middle) >= rejection.floor)
                low = middle;
            else
                high = middle - 1;
        }
        const auto candidates = static_cast<unsigned __int128>(low - k + 1);
        const auto takeCalls = static_cast<unsigned __int128>(frame.takeOnce ? 1 : rejection.m);
        calls +=
            takeCalls * (candidates + block.exitCalls(diagonal(k), diagonal(low))) + candidates * rejection.skipCalls;
        frame.takeLength = takeLength(low);
        frame.lastSkipLength = rejection.skipLength;
        k = low + 1;
    }
    this->count(frame, counter, saturate(calls));
    frame.candidate += count;
    return true;
}

// Weighs the skipped characters from frame.skipped on against the candidate. The take
// length of the first one is known; every later one repeats that invocation, which the
// count must show. Returns false when it had to push a frame.
bool FastCommonLength::weighSkippedCharacters(Frame& frame, CallCounter& counter, bool newCandidate)
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
bool FastCommonLength::reuseWeighedCharacters(Frame& frame, CallCounter& counter, std::int32_t offset)
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

void FastCommonLength::count(Frame& frame, CallCounter& counter, std::uint64_t calls)
{
    counter.add(calls);
    frame.nestedCalls = saturatingAdd(frame.nestedCalls, calls);
}

bool FastCommonLength::finish(Frame& frame, std::int16_t bonus, std::int32_t i, std::int32_t j, CallCounter& counter)
{
    frame.continuationBonus = bonus;
    frame.phase = Phase::AfterContinuation;
    return request(i, j, false, counter, frame.quiet);
}

std::int16_t FastCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                std::size_t mostDenseCells, FastCommonLength::Order order, std::int32_t weighedRun)
{
    FastCommonLength engine(first, second, mostDenseCells, order, weighedRun);
    return engine.invoke(1, 1, counter);
}

}  // namespace velmora
