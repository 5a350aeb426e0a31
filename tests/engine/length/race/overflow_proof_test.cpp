#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/call_counter.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/race/overflow_proof.h"
#include "engine/length/race/racing_search.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/test_texts.h"
#include "engine/text_index/remainder_lcs_table.h"

namespace velmora {
namespace {

// LCS(first[i..], second[j..]) for every pair by the textbook programme, row-major with
// one extra row and column of zeros.
std::vector<std::int32_t> plainRemainderTable(std::u16string_view a, std::u16string_view b)
{
    const std::size_t columns = b.size() + 2;
    std::vector<std::int32_t> table((a.size() + 2) * columns, 0);
    for (std::size_t i = a.size(); i >= 1; --i)
        for (std::size_t j = b.size(); j >= 1; --j)
            table[i * columns + j] = a[i - 1] == b[j - 1]
                                         ? table[(i + 1) * columns + j + 1] + 1
                                         : std::max(table[(i + 1) * columns + j], table[i * columns + j + 1]);
    return table;
}

// Rows across several blocks (more than the table keeps at hand, read out of order),
// second texts across word boundaries, and characters kept whole or set bit by bit.
TEST(RemainderLcsTable, AgreesWithThePlainProgrammeAtEveryPair)
{
    struct Shape {
        const char* name;
        std::size_t firstLength, secondLength;
        unsigned letters;
        std::size_t longestRun;
    };
    const Shape shapes[] = {
        {"empty second text", 70, 0, 3, 1},
        {"one word of the second text, exactly", 130, 64, 2, 1},
        {"a word and one position", 65, 65, 4, 1},
        {"many blocks, read out of order", 1300, 150, 4, 1},
        {"rare characters set bit by bit", 200, 700, 200, 1},
        {"long runs", 300, 260, 3, 40},
    };
    std::mt19937 random(5);
    for (const Shape& shape : shapes) {
        const auto first = test::randomRuns(random, u'一', shape.letters, shape.firstLength, shape.longestRun);
        const auto second = test::randomRuns(random, u'一', shape.letters, shape.secondLength, shape.longestRun);
        const auto expected = plainRemainderTable(first, second);
        RemainderLcsTable table(first, second);
        const auto a = static_cast<std::int32_t>(first.size()), b = static_cast<std::int32_t>(second.size());
        std::vector<std::int32_t> rows(static_cast<std::size_t>(a) + 1);
        for (std::int32_t i = 0; i <= a; ++i) rows[static_cast<std::size_t>(i)] = i + 1;
        std::shuffle(rows.begin(), rows.end(), random);
        for (const std::int32_t i : rows)
            for (std::int32_t j = 1; j <= b + 1; ++j)
                ASSERT_EQ(table.at(i, j),
                          expected[static_cast<std::size_t>(i) * (second.size() + 2) + static_cast<std::size_t>(j)])
                    << shape.name << ", i " << i << ", j " << j;
    }
}

std::uint64_t nestedCalls(std::u16string_view first, std::u16string_view second)
{
    CallCounter counter(0, CallCounter::kNoLimit);
    MemoSearch::lengthOf(first, second, counter);
    return counter.value() - 1;
}

// Pushed to the end with every candidate weighed, the proof counts each nested invocation
// once; stopped anywhere, or with later candidates left out, it counts no more than that.
TEST(OverflowProof, NeverCountsMoreThanTheSearchMakesAndAllOfItWhenPushedToTheEnd)
{
    struct Row {
        const char* name;
        std::uint64_t laterCandidatesWork, stepsPerAdvance;
    };
    const Row rows[] = {
        {"every candidate, pushed at once", UINT64_MAX, UINT64_MAX},
        {"every candidate, a pair at a time", UINT64_MAX, 1},
        {"later candidates cut short", 3, 5},
    };
    for (const Row& row : rows) {
        test::forRandomPairs(31, 600, 18, [&](const std::u16string& upper, const std::u16string& lower, int round) {
            const TextPairIndex texts(upper, lower);
            OverflowProof proof(texts, nullptr, row.laterCandidatesWork);
            const std::uint64_t exact = nestedCalls(upper, lower);
            proof.start(1, 1);
            std::uint64_t before = 0;
            while (!proof.exhausted()) {
                proof.advance(row.stepsPerAdvance, UINT64_MAX);
                ASSERT_GE(proof.proved(), before) << row.name << ", round " << round;
                ASSERT_LE(proof.proved(), exact) << row.name << ", round " << round;
                before = proof.proved();
            }
            if (row.laterCandidatesWork == UINT64_MAX) {
                ASSERT_EQ(proof.proved(), exact) << row.name << ", round " << round;
            }
        });
    }
}

// One proof object serves call after call of a computation, each from its own pair.
TEST(OverflowProof, StartsAfreshAtEachCall)
{
    std::mt19937 random(8);
    const auto first = test::randomRuns(random, u'a', 3, 18), second = test::randomRuns(random, u'a', 3, 18);
    const TextPairIndex texts(first, second);
    OverflowProof proof(texts, nullptr, UINT64_MAX);
    for (const auto& [i, j] : {std::pair{1, 1}, {7, 3}, {1, 12}, {19, 1}, {10, 19}}) {
        proof.start(i, j);
        proof.advance(UINT64_MAX, UINT64_MAX);
        EXPECT_EQ(proof.proved(), nestedCalls(std::u16string_view(first).substr(static_cast<std::size_t>(i - 1)),
                                              std::u16string_view(second).substr(static_cast<std::size_t>(j - 1))))
            << i << ", " << j;
    }
}

// A call's proof stops at its most steps, short of the count; past as many pairs reached
// what it remembered is forgotten, and later calls still reach their exact counts.
TEST(OverflowProof, StopsAtItsMostStepsAndForgetsWhatItRemembered)
{
    std::mt19937 random(12);
    const auto first = test::randomRuns(random, u'a', 3, 18), second = test::randomRuns(random, u'a', 3, 18);
    const TextPairIndex texts(first, second);
    OverflowProof proof(texts, nullptr, UINT64_MAX, 40);
    int stopped = 0, exact = 0;
    for (const auto& [i, j] : {std::pair{1, 1}, {15, 16}, {2, 1}, {13, 14}, {16, 13}, {1, 3}, {14, 15}, {12, 17}}) {
        const auto expected = nestedCalls(std::u16string_view(first).substr(static_cast<std::size_t>(i - 1)),
                                          std::u16string_view(second).substr(static_cast<std::size_t>(j - 1)));
        proof.start(i, j);
        proof.advance(UINT64_MAX, UINT64_MAX);
        if (proof.exhausted()) {
            EXPECT_EQ(proof.proved(), expected) << i << ", " << j;
            ++exact;
            continue;
        }
        const std::uint64_t proved = proof.proved();
        EXPECT_FALSE(proof.advance(UINT64_MAX, UINT64_MAX));
        EXPECT_EQ(proof.proved(), proved) << i << ", " << j << ": no step past the most";
        EXPECT_LT(proved, expected) << i << ", " << j;
        ++stopped;
    }
    EXPECT_GE(stopped, 2);
    EXPECT_GE(exact, 4);
}

// Where calls repeat calls that repeat calls (stretches of short units), the heaviest
// pairs first reach the window's limit within a small allowance of steps.
TEST(OverflowProof, ReachesTheLimitInFewStepsWhereCallsRepeat)
{
    const std::u16string first =
        test::repeated(u"cbc", 600) + test::repeated(u"bda", 400) + test::repeated(u"adcc", 300);
    const std::u16string second = test::repeated(u"ba", 700) + test::repeated(u"bac", 500) + test::repeated(u"bc", 600);
    const TextPairIndex texts(first, second);
    OverflowProof proof(texts);
    proof.start(1, 1);
    const std::uint64_t limit = CallCounter::kWindowLimit;
    EXPECT_TRUE(proof.advance(200'000, limit)) << "proved " << proof.proved();
}

// Stretches of short units over a few letters, where calls repeat calls.
std::u16string stretchesOfUnits(std::mt19937& random, std::size_t length)
{
    std::u16string text;
    while (text.size() < length) {
        const auto unit = test::randomRuns(random, u'a', 4, 2 + random() % 3);
        text += test::repeated(unit, 1 + random() % 12);
    }
    return text.substr(0, length);
}

// With turns of one frame the proof joins every call after a few frames; whichever of the
// three stops the race (the proof, in turns with many steps a round or on its own thread,
// or the engines), a limit of exactly the count is not passed and one less is, from any
// count the computation has reached before the call.
TEST(OverflowProof, RacesStopExactlyPastTheLimitWhenItJoins)
{
    std::mt19937 random(3);
    int compared = 0;
    // A third of the rounds under the sanitizers, which look for faults of memory rather
    // than of counting, and run these races ten times slower.
#ifdef VELMORA_SANITIZED_BUILD
    constexpr int kRounds = 50;
#else
    constexpr int kRounds = 150;
#endif
    for (int round = 0; round < kRounds; ++round) {
        const auto first = stretchesOfUnits(random, 20 + random() % 70);
        const auto second = stretchesOfUnits(random, 20 + random() % 70);
        CallCounter swept(0, CallCounter::kNoLimit);
        const std::int16_t length = ColumnSweep::lengthOf(first, second, swept);
        const auto count = swept.value64();
        if (!count || *count > CallCounter::kNoLimit / 4) continue;
        struct Race {
            std::uint64_t before;
            RacePace pace;
        };
        const std::chrono::microseconds atOnce{0};
        for (const Race& race :
             {Race{0, {4, atOnce, 50, false}}, Race{5000, {4, atOnce, 50, false}}, Race{0, {1, atOnce, 2, false}},
              Race{0, {1, atOnce, 0, true}}, Race{5000, {4, atOnce, 0, true}}}) {
            const auto name = testing::Message() << "round " << round << ", from " << race.before << ", turn "
                                                 << race.pace.turn << ", proof steps " << race.pace.proofStepsPerFrame
                                                 << (race.pace.proofAlongside ? ", alongside" : ", in turns");
            const std::uint64_t before = race.before;
            CallCounter atLimit(before, before + *count);
            ASSERT_EQ(RacingSearch::lengthOf(first, second, atLimit, EngineTuning{.pace = race.pace}), length) << name;
            EXPECT_EQ(atLimit.value(), before + *count) << name;
            CallCounter pastLimit(before, before + *count - 1);
            EXPECT_THROW(RacingSearch::lengthOf(first, second, pastLimit, EngineTuning{.pace = race.pace}),
                         OverflowError)
                << name;
            EXPECT_EQ(pastLimit.value(), before + *count - 1) << name;
        }
        ++compared;
    }
    EXPECT_GE(compared, kRounds * 2 / 3);
}

}  // namespace
}  // namespace velmora
