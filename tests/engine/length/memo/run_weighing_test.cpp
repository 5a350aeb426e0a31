// Long runs of candidates (or of candidates a period apart) and of skipped characters are
// weighed as a whole, the two evaluation orders race under the window's limit, and long
// agreements are looked up in a suffix array. Every one of these paths must give the counts of the plain search.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/race/racing_search.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/test_texts.h"
#include "engine/text_index/common_extension.h"

namespace velmora {
namespace {

// Stretches of a unit of up to `period` of the first `letters` of "abcd", repeated to up
// to `longest` characters each: runs when period is 1.
std::u16string stretches(std::mt19937& random, std::size_t length, std::size_t longest, unsigned letters,
                         unsigned period)
{
    std::u16string text;
    while (text.size() < length) {
        std::u16string unit;
        for (auto k = 1 + random() % period; k > 0; --k) unit += static_cast<char16_t>(u'a' + random() % letters);
        for (std::size_t n = 1 + random() % longest; n > 0; n -= std::min(n, unit.size())) text += unit;
    }
    text.resize(length);
    return text;
}

// Stretches of units of distinct letters, rotated at random: candidates a long period
// apart, up to 24 characters.
std::u16string longPeriods(std::mt19937& random, std::size_t length)
{
    const std::u16string letters = u"abcdefghijklmnopqrstuvwx";
    std::u16string text;
    while (text.size() < length) {
        const std::size_t period = 2 + random() % 23, shift = random() % period;
        for (std::size_t n = 1 + random() % 200; n > 0; --n, text += letters[(n + shift) % period]) {}
    }
    text.resize(length);
    return text;
}

// Two such texts; round decides the letters and the period. Periodic texts have larger
// counts, so they are kept shorter.
std::pair<std::u16string, std::u16string> stretchPair(std::mt19937& random, int round, std::size_t longestRuns,
                                                      std::size_t longestPeriodic, std::size_t longestStretch)
{
    const unsigned letters = 2 + round % 3, period = 1 + round / 3 % 3;
    const std::size_t longest = period == 1 ? longestRuns : longestPeriodic;
    std::u16string first = stretches(random, 20 + random() % longest, 1 + random() % longestStretch, letters, period);
    std::u16string second = stretches(random, 20 + random() % longest, 1 + random() % longestStretch, letters, period);
    return {std::move(first), std::move(second)};
}

// The exact count of the column sweep, while it fits in 64 bits.
std::optional<std::uint64_t> sweptCount(std::u16string_view first, std::u16string_view second, std::int16_t& length)
{
    CallCounter swept(0, CallCounter::kNoLimit);
    length = ColumnSweep::lengthOf(first, second, swept);
    return swept.value64();
}

std::optional<std::uint64_t> countOf(MemoSearch::Order order, const EngineTuning& tuning, std::u16string_view first,
                                     std::u16string_view second, std::int16_t& length)
{
    MemoSearch engine(first, second, tuning, order);
    CallCounter counter(0, CallCounter::kNoLimit - 1);
    try {
        length = engine.invoke(1, 1, counter);
    } catch (const OverflowError&) {
        return std::nullopt;  // past 64 bits
    }
    return counter.value();
}

TEST(RunWeighing, EveryOrderAndWeighingAgreesWithTheSweep)
{
    std::mt19937 random(5);
    int compared = 0;
    for (int round = 0; round < 400; ++round) {
        const auto name = testing::Message() << "round " << round;
        const auto [first, second] = stretchPair(random, round, 300, 100, 60);
        std::int16_t sweptLength = 0;
        const auto swept = sweptCount(first, second, sweptLength);
        if (!swept || *swept >= CallCounter::kNoLimit - 1) continue;
        for (const auto order : {MemoSearch::Order::CandidatesFirst, MemoSearch::Order::ContinuationFirst})
            // Runs of columns weighed by diagonal up to every third column, and runs of
            // two columns or more given the outcome of a column near their end, too.
            for (const EngineTuning& tuning :
                 {EngineTuning{}, EngineTuning{.weighedRun = 2}, EngineTuning{.weighedRun = 2, .columnCheckpoint = 3},
                  EngineTuning{.weighedRun = 2, .shiftedColumns = 1},
                  EngineTuning{.weighedRun = INT32_MAX, .weighedColumns = INT32_MAX}}) {
                std::int16_t length = -1;
                ASSERT_EQ(countOf(order, tuning, first, second, length), swept)
                    << name << ", runs of " << tuning.weighedRun << ", checkpoints " << tuning.columnCheckpoint;
                ASSERT_EQ(length, sweptLength) << name;
            }
        // Turns of a few frames make the two engines hand each other pairs half evaluated
        // by the other, through their shared memo.
        for (const std::uint64_t turn : {RacePace{}.turn, std::uint64_t{1}, std::uint64_t{7}}) {
            CallCounter raced(0, CallCounter::kNoLimit - 1);
            ASSERT_EQ(RacingSearch::lengthOf(first, second, raced, EngineTuning{.pace = RacePace{turn}}), sweptLength)
                << name << ", turn " << turn;
            ASSERT_EQ(raced.value(), *swept) << name << ", turn " << turn;
        }
        ++compared;
    }
    EXPECT_GE(compared, 300);
}

TEST(RunWeighing, LongPeriodsAgreeWithTheSweep)
{
    std::mt19937 random(17);
    for (int round = 0; round < 150; ++round) {
        const auto name = testing::Message() << "round " << round;
        const std::u16string first = longPeriods(random, 20 + random() % 300);
        const std::u16string second = longPeriods(random, 20 + random() % 300);
        std::int16_t sweptLength = 0;
        const auto swept = sweptCount(first, second, sweptLength);
        if (!swept || *swept >= CallCounter::kNoLimit - 1) continue;
        for (const std::int32_t weighedRun : {EngineTuning::kWeighedRun, 2}) {
            CallCounter raced(0, CallCounter::kNoLimit - 1);
            ASSERT_EQ(RacingSearch::lengthOf(first, second, raced, EngineTuning{.weighedRun = weighedRun}), sweptLength)
                << name;
            ASSERT_EQ(raced.value(), *swept) << name;
        }
    }
}

// An overflow may be proved early (by either order of the race, by a quiet frame, by the
// exits a block holds) but never wrongly: with a limit of exactly the count the call
// succeeds, with one less it overflows.
TEST(RunWeighing, OverflowsExactlyPastTheLimit)
{
    std::mt19937 random(13);
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        const auto name = testing::Message() << "round " << round;
        const auto texts = stretchPair(random, round, 150, 150, 60);
        const std::u16string &first = texts.first, &second = texts.second;  // a lambda uses them below
        std::int16_t length = 0;
        const auto swept = sweptCount(first, second, length);
        if (!swept || *swept > CallCounter::kWindowLimit || *swept < 2) continue;
        const std::uint64_t count = *swept;
        // Pairs evaluated only to compare two columns (shifted from runs of two) must never
        // count towards the limit.
        for (const EngineTuning& weighing :
             {EngineTuning{}, EngineTuning{.weighedRun = 2}, EngineTuning{.weighedRun = 2, .shiftedColumns = 1}})
            for (const std::uint64_t turn : {RacePace{}.turn, std::uint64_t{3}}) {
                EngineTuning tuning = weighing;
                tuning.pace = RacePace{turn};
                const auto race = [&](CallCounter& counter) { RacingSearch::lengthOf(first, second, counter, tuning); };
                const auto which = testing::Message() << name << ", runs of " << tuning.weighedRun << ", shifted from "
                                                      << tuning.shiftedColumns << ", turn " << turn;
                CallCounter atLimit(0, count);
                EXPECT_NO_THROW(race(atLimit)) << which;
                CallCounter pastLimit(0, count - 1);
                EXPECT_THROW(race(pastLimit), OverflowError) << which;
            }
        ++compared;
    }
    EXPECT_GE(compared, 100);
}

// The alignment weighs runs of rejected candidates through the engine; with the window's
// limit every outcome, the look-ahead's last values and the overflow itself must be
// those of the alignment that weighs each candidate on its own.
TEST(RunWeighing, AlignmentsAgreeWithAndWithoutWeighing)
{
    std::mt19937 random(9);
    int overflowed = 0;
    for (int round = 0; round < 300; ++round) {
        const auto name = testing::Message() << "round " << round;
        const auto [upper, lower] = stretchPair(random, round, 400, 150, 80);
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            std::optional<test::Computation> outcomes[2];
            for (const int weighing : {0, 1}) {
                AlignmentOptions options;
                options.tuning.weighedRun = weighing ? 2 : INT32_MAX;
                options.tuning.weighedColumns = weighing ? 2 : INT32_MAX;
                options.tuning.literalFirstWork = 0;
                try {
                    outcomes[weighing] = test::compute(upper, lower, direction, options);
                } catch (const OverflowError&) {
                }
            }
            ASSERT_EQ(outcomes[0].has_value(), outcomes[1].has_value()) << name;
            if (!outcomes[0]) {
                ++overflowed;
                continue;
            }
            const ComparisonState &one = outcomes[0]->state, &whole = outcomes[1]->state;
            ASSERT_EQ(outcomes[0]->window.log(), outcomes[1]->window.log()) << name;
            ASSERT_EQ(one.MatchTable, whole.MatchTable) << name;
            ASSERT_EQ(one.MatchAux, whole.MatchAux) << name;
            ASSERT_EQ(one.CallCount, whole.CallCount) << name;
            ASSERT_EQ(one.TakeLength, whole.TakeLength) << name;
            ASSERT_EQ(one.SkipLength, whole.SkipLength) << name;
            ASSERT_EQ(one.Verdict, whole.Verdict) << name;
        }
    }
    EXPECT_GT(overflowed, 0);
    EXPECT_LT(overflowed, 400);
}

// Suffixes are sorted by bytes, so units above 0xFF and mixed alphabets must agree with a
// plain comparison everywhere, including at the ends of both texts.
TEST(CommonExtension, AgreesWithAPlainComparison)
{
    std::mt19937 random(3);
    for (const test::Alphabet alphabet : test::kAllAlphabets)
        for (int round = 0; round < 20; ++round) {
            const std::u16string first = test::randomText(random, alphabet, random() % 60);
            std::u16string second = test::randomText(random, alphabet, random() % 60);
            if (round % 2 && !first.empty()) second += first.substr(random() % first.size());  // long agreements
            const CommonExtension extension(first, second);
            for (std::size_t i = 1; i <= first.size() + 1; ++i)
                for (std::size_t j = 1; j <= second.size() + 1; ++j) {
                    std::size_t n = 0;
                    while (i - 1 + n < first.size() && j - 1 + n < second.size() &&
                           first[i - 1 + n] == second[j - 1 + n])
                        ++n;
                    ASSERT_EQ(extension.length(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)),
                              static_cast<std::int32_t>(n))
                        << "round " << round << " at " << i << ", " << j;
                }
        }
}

}  // namespace
}  // namespace velmora
