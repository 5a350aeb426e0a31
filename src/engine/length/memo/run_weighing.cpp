// The memoised search: runs of candidates, of skipped characters and of columns weighed
// as a whole from the exits of the diagonals through blocks of agreeing stretches.
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

// After a rejection every later candidate is rejected too, at the first skipped
// character whose skip length beats its take length. A long run of them is weighed as a
// whole from the exits of its diagonals: true when frame.candidate begins such a run and
// the frame now fills and weighs it.
bool MemoSearch::enterRunOfCandidates(Frame& frame)
{
    if (!frame.rejected) return false;
    const auto shape = candidateBlock(frame.candidate->second, frame.j);
    if (!shape) return false;
    enterCandidateBlock(frame, *shape);
    return true;
}

void MemoSearch::enterCandidateBlock(Frame& frame, const BlockShape& shape)
{
    const std::int32_t from = frame.candidate->second - frame.j;
    enterBlock(frame, shape, from, from + (shape.candidates - 1) * shape.period, false);
}

// The stretch of the first text from candidate on that repeats with the distance q to the
// next occurrence of the candidate's character (a run when q is 1), if it holds at least
// weighedRun_ candidates; and the stretch of the second text from j with the same period,
// which must agree with it. Within the first stretch the candidates are exactly every
// q-th position, since no other occurrence lies closer.
std::optional<MemoSearch::BlockShape> MemoSearch::candidateBlock(std::int32_t candidate, std::int32_t j) const
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
bool MemoSearch::enterRunOfSkippedCharacters(Frame& frame)
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
void MemoSearch::weighRunOfSkippedCharacters(Frame& frame, CallCounter& counter)
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

void MemoSearch::enterBlock(Frame& frame, const BlockShape& shape, std::int32_t from, std::int32_t to, bool skips)
{
    frame.block = &blockAt(shape, from);
    frame.fillFrom = from;
    frame.fillTo = to;
    frame.fillingSkips = skips;
    frame.phase = Phase::FillingBlock;
}

// The block of the shape that holds diagonal d: its diagonals are those of d's phase.
// Ends, period and phase are each below 2^15, so they pack into one key without overlap.
BlockExits& MemoSearch::blockAt(const BlockShape& shape, std::int32_t d)
{
    const auto phase = static_cast<std::uint64_t>(((d % shape.period) + shape.period) % shape.period);
    const std::uint64_t key = static_cast<std::uint64_t>(shape.firstEnd) << 45 |
                              static_cast<std::uint64_t>(shape.secondEnd) << 30 |
                              static_cast<std::uint64_t>(shape.period) << 15 | phase;
    return blocks_.try_emplace(key, shape.firstEnd, shape.secondEnd, shape.period).first->second;
}

// Requests the exits the run of candidates needs, one by one, quietly; false while one is
// being evaluated (the frame then waits in phase `waiting`).
bool MemoSearch::fillBlock(Frame& frame, Phase waiting)
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
// a whole, run of candidates by run.
void MemoSearch::enterColumns(Frame& frame)
{
    frame.columnsEnd = frame.j + secondRuns_[static_cast<std::size_t>(frame.j - 1)];
    frame.columnsByDiagonal = false;
    frame.columnCandidate = firstIndex_.occurrencesFrom(second_[static_cast<std::size_t>(frame.j - 1)], frame.i + 1);
    frame.columnCalls = 0;
    frame.block = nullptr;
    frame.phase = Phase::FillingColumns;
}

// Weighs the columns j + 1 .. columnsEnd - 1 of the frame's scan: true when they are
// counted, false when they must be walked one by one (nothing counted), nothing while an
// exit is being evaluated. Where some run of candidates is not rejected at one skipped
// character in all the columns, the columns are weighed again diagonal by diagonal, only
// as far as the next checkpoint.
std::optional<bool> MemoSearch::weighColumns(Frame& frame, CallCounter& counter)
{
    const std::int32_t j = frame.j;
    const std::int32_t runEnd = j + secondRuns_[static_cast<std::size_t>(j - 1)];
    if (runEnd - j < weighedColumns_ || frame.skips.empty()) return false;
    const char16_t wanted = second_[static_cast<std::size_t>(j - 1)];
    while (firstIndex_.isOccurrence(frame.columnCandidate, wanted) && frame.columnsEnd > j + 1) {
        const std::int32_t begin = frame.columnCandidate->second;
        const std::int32_t run = firstRuns_[static_cast<std::size_t>(begin - 1)], firstEnd = begin + run;
        if (!frame.block) {
            frame.block = &blockAt(BlockShape{firstEnd, runEnd, 1, run}, 0);
            frame.fillFrom = begin - (frame.columnsEnd - 1);
            frame.fillTo = firstEnd - 1 - (j + 1);
        }
        if (!fillBlock(frame, Phase::AfterColumnExit)) return std::nullopt;
        const std::optional<__int128> calls = weighColumnsOfRun(frame, begin, firstEnd);
        frame.block = nullptr;
        if (!calls) {
            if (frame.columnsByDiagonal) return false;
            frame.columnsByDiagonal = true;
            frame.columnsEnd = std::min(runEnd, (j / columnCheckpoint_ + 1) * columnCheckpoint_);
            frame.columnCandidate = firstIndex_.occurrencesFrom(wanted, frame.i + 1);
            frame.columnCalls = 0;
            continue;
        }
        frame.columnCalls += *calls;
        frame.columnCandidate += run;
    }
    count(frame, counter, saturate(static_cast<unsigned __int128>(frame.columnCalls)));
    return true;
}

// The calls of the columns j + 1 .. columnsEnd - 1 for the run of candidates begin ..
// firstEnd - 1, whose block holds their diagonals. Each candidate of each column makes m
// take calls and the skip calls up to m, where m is the skipped character that rejects
// its take length. When the first cell's take length and the last one's are rejected at
// the same m, so are all between; else, weighing by diagonal, along which the take
// lengths fall by one a column, each diagonal holds a few groups of cells rejected at one
// m. Nothing when some candidate would outlast the characters weighed, or when the first
// way fails and the columns do not end at a checkpoint.
std::optional<__int128> MemoSearch::weighColumnsOfRun(const Frame& frame, std::int32_t begin,
                                                      std::int32_t firstEnd) const
{
    const BlockExits& block = *frame.block;
    const std::int32_t jFirst = frame.j + 1, jLast = frame.columnsEnd - 1;
    const auto takeLength = [&](std::int32_t candidate, std::int32_t column) {
        return static_cast<std::int16_t>(block.reach(candidate - column) - column);
    };
    const auto most = frame.skips.rejection(takeLength(begin, jFirst), INT32_MAX);
    const auto least = frame.skips.rejection(takeLength(firstEnd - 1, jLast), INT32_MAX);
    if (most && least && most->m == least->m) {
        const auto cells = static_cast<__int128>(jLast - jFirst + 1) * (firstEnd - begin);
        const __int128 exits = block.sumOfSums(firstEnd - 1 - jLast, firstEnd - 1 - jFirst) -
                               block.sumOfSums(begin - 1 - jLast, begin - 1 - jFirst);
        return static_cast<__int128>(most->m) * (cells + exits) + cells * static_cast<__int128>(most->skipCalls);
    }
    if (!frame.columnsByDiagonal) return std::nullopt;
    __int128 calls = 0;
    for (std::int32_t d = begin - jLast; d <= firstEnd - 1 - jFirst; ++d) {
        const std::int32_t reach = block.reach(d), high = std::min(jLast, firstEnd - 1 - d);
        const auto exitCalls = static_cast<__int128>(block.exitCalls(d, d));
        for (std::int32_t column = std::max(jFirst, begin - d); column <= high;) {
            const auto rejection = frame.skips.rejection(static_cast<std::int16_t>(reach - column), INT32_MAX);
            if (!rejection) return std::nullopt;
            const std::int32_t last = std::min(high, reach - rejection->floor);
            const __int128 cells = last - column + 1;
            calls += rejection->m * cells * (1 + exitCalls) + cells * static_cast<__int128>(rejection->skipCalls);
            column = last + 1;
        }
    }
    return calls;
}

// Counts the whole run of candidates from frame.candidate on. Along the run the take
// lengths fall, so the point of rejection falls too: the candidates form a few groups
// rejected at the same skipped character m, each found by a binary search, and each
// costs m take calls per candidate plus the skip calls up to m. False, with nothing
// counted, if some candidate would outlast the characters weighed so far.
bool MemoSearch::weighRunOfCandidates(Frame& frame, CallCounter& counter)
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

}  // namespace velmora
