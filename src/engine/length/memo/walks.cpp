// The memoised search: the walks through steps that make no call (matches, characters
// passed over, long runs), and the agreement of two remainders.
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

using tuning::kLongAgreement;
using tuning::kLongRun;

// Length of the common prefix of first[i..] and second[j..]: long equal runs on both
// sides in one step, the rest four code units at a time.
std::int32_t MemoSearch::commonPrefix(std::int32_t i, std::int32_t j) const
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
bool MemoSearch::isCheckpoint(std::int32_t i, std::int32_t j)
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
MemoSearch::Advance MemoSearch::walkWithoutCalls(std::int32_t i, std::int32_t j) const
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
bool MemoSearch::crossRun(Advance& advance) const
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

const CommonExtension& MemoSearch::extension() const { return texts_->extension(); }

}  // namespace velmora
