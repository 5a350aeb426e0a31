// The exact paths against the literal search, against each other, and against a plain
// longest-common-subsequence programme, at the sizes where each of them really runs.

#include <gtest/gtest.h>

#include <algorithm>

#include "common/row_name.h"
#include "engine/base/checked_arithmetic.h"
#include "engine/length/length_engine.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/test_texts.h"
#include "support/longest_common_subsequence.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

mpz_class sweptCount(std::u16string_view a, std::u16string_view b, std::int16_t* length = nullptr)
{
    CallCounter counter(0, CallCounter::kNoLimit);
    const std::int16_t l = ColumnSweep::lengthOf(a, b, counter);
    if (length) *length = l;
    return counter.exact();
}

TEST(ExactCount, SweepEqualsTheLiteralSearchOnRandomPairs)
{
    test::forRandomPairs(11, 4000, 13, [](const auto& upper, const auto& lower, int round) {
        CallCounter literal(0, CallCounter::kNoLimit);
        std::int16_t sweptLength = 0;
        const mpz_class swept = sweptCount(upper, lower, &sweptLength);
        ASSERT_EQ(CommonLength(upper, lower, literal), sweptLength) << "round " << round;
        ASSERT_EQ(literal.exact(), swept) << "round " << round;
    });
}

// Fact behind the sweep and the length table: the method always finds a longest common
// subsequence.
TEST(ExactCount, LengthIsALongestCommonSubsequence)
{
    test::forRandomPairs(12, 200, 250, [](const auto& upper, const auto& lower, int round) {
        const std::int16_t lcs = longestCommonSubsequence(upper, lower);
        std::int16_t swept = 0;
        sweptCount(upper, lower, &swept);
        CallCounter counter(0, CallCounter::kNoLimit);
        ASSERT_EQ(swept, lcs) << "round " << round;
        ASSERT_EQ(LengthOf(EngineKind::Fast, upper, lower, counter), lcs) << "round " << round;
    });
}

// Pairs long enough for the memo's hash and for a sweep of thousands of columns, whose
// counts still fit in 64 bits, so the fast engine's exact count can be compared.
struct LongCase {
    const char* name;
    std::u16string first, second;
};

// A copy with two characters changed near its end.
std::u16string editedNearTheEnd(std::u16string text)
{
    text[text.size() - 20] = u'X';
    text[text.size() - 10] = u'Y';
    return text;
}

std::u16string blocks(std::u16string_view letters, std::size_t length)
{
    std::u16string text;
    for (const char16_t c : letters) text += std::u16string(length, c);
    return text;
}

std::u16string randomLetters(unsigned seed, std::size_t length)
{
    std::mt19937 random(seed);
    return test::randomText(random, test::Alphabet::FourLetters, length);
}

// Runs of one letter, of random lengths up to `longest`: long equal runs are matched in
// one step and long stretches passed over by blocks.
std::u16string randomRuns(unsigned seed, std::size_t length, std::size_t longest)
{
    std::mt19937 random(seed);
    return test::randomRuns(random, u'a', 3, length, longest);
}

class LongPairs : public testing::TestWithParam<LongCase> {};

TEST_P(LongPairs, FastEngineInBothLayoutsAgreesWithTheSweep)
{
    const LongCase& c = GetParam();
    const mpz_class swept = sweptCount(c.first, c.second);
    for (const std::size_t mostDenseCells : {EngineTuning::kMostDenseCells, std::size_t{0}}) {
        MemoSearch engine(c.first, c.second, EngineTuning{.mostDenseCells = mostDenseCells});
        if (mostDenseCells == 0) {
            EXPECT_TRUE(engine.memoHashed());
        }
        CallCounter counter(0, CallCounter::kNoLimit - 1);
        EXPECT_EQ(engine.invoke(1, 1, counter), longestCommonSubsequence(c.first, c.second));
        EXPECT_EQ(toMpz(counter.value()), swept) << "dense cells " << mostDenseCells;
    }
}

const std::u16string kThreeThousand = randomLetters(2, 3000);
INSTANTIATE_TEST_SUITE_P(
    ExactCount, LongPairs,
    testing::Values(
        LongCase{"ThreeThousandLettersAndACopyEditedNearTheEnd", kThreeThousand, editedNearTheEnd(kThreeThousand)},
        LongCase{"TwoRunsExchanged", blocks(u"ab", 1500), blocks(u"ba", 1500)},
        LongCase{"TenRunsReversed", blocks(u"abcdefghij", 100), blocks(u"jihgfedcba", 100)},
        LongCase{"RandomRunsOfUpToFortyLetters", randomRuns(3, 250, 40), randomRuns(4, 250, 40)},
        LongCase{"RandomRunsAgainstAnEditedCopy", randomRuns(5, 2000, 300), editedNearTheEnd(randomRuns(5, 2000, 300))},
        LongCase{"PeriodAgainstItsShift", test::repeated(u"abc", 1000), test::repeated(u"bca", 1000)}),
    test::RowName());

// Long runs in the first text are crossed in one step: the c's of the second text are
// matched with the run and the characters absent after it passed over. Against the sweep
// on random pairs of long runs and mixed texts, wherever the fast count fits in 64 bits.
TEST(ExactCount, FastEngineCrossesLongRunsExactly)
{
    std::mt19937 random(21);
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        std::u16string first, second;
        while (first.size() < 100) first.append(8 + random() % 40, static_cast<char16_t>(u'a' + random() % 3));
        const std::size_t length = 20 + random() % 100;
        while (second.size() < length) second.append(1 + random() % (round % 2 ? 12 : 2), u"abcx"[random() % 4]);
        CallCounter fast(0, CallCounter::kNoLimit - 1);
        std::int16_t fastLength = 0;
        try {
            fastLength = MemoSearch::lengthOf(first, second, fast);
        } catch (const OverflowError&) {
            continue;  // past 64 bits: the sweep alone counts it
        }
        std::int16_t sweptLength = 0;
        ASSERT_EQ(toMpz(fast.value()), sweptCount(first, second, &sweptLength)) << "round " << round;
        ASSERT_EQ(fastLength, sweptLength) << "round " << round;
        ++compared;
    }
    EXPECT_GE(compared, 100);
}

// The sweep counts in machine words until the count of some pair, invoked or not, passes
// 64 bits, then starts again with GMP integers; both must give the same counts wherever
// each is used.
struct ArithmeticCase {
    const char* name;
    std::u16string first, second;
    bool needsExactIntegers;
};

class SweepArithmetic : public testing::TestWithParam<ArithmeticCase> {};

TEST_P(SweepArithmetic, MachineWordsAndExactIntegersAgree)
{
    const ArithmeticCase& c = GetParam();
    const std::vector<ColumnSweep::Pair> pairs = {{1, 1}, {2, 1}, {1, 3}, {1, 1}};
    ColumnSweep words(c.first, c.second), exact(c.first, c.second, ColumnSweep::Arithmetic::GmpIntegers);
    std::int16_t wordsLength = 0, exactLength = 0;
    const mpz_class wordsCount = words.countCalls(pairs, nullptr, &wordsLength);
    EXPECT_EQ(wordsCount, exact.countCalls(pairs, nullptr, &exactLength));
    EXPECT_EQ(wordsLength, exactLength);
    EXPECT_EQ(words.usedExactIntegers(), c.needsExactIntegers);
    if (!words.usedExactIntegers()) {
        EXPECT_LT(wordsCount, mpz_class(1) << 64);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExactCount, SweepArithmetic,
    testing::Values(ArithmeticCase{"EveryPairFitsInMachineWords", blocks(u"abc", 1000), blocks(u"cab", 1000), false},
                    // The pairs far off the diagonal are random pairs with huge counts.
                    ArithmeticCase{"TheTotalFitsButOtherPairsDoNot", randomLetters(12, 1000),
                                   editedNearTheEnd(randomLetters(12, 1000)), true},
                    // Counts near 2^64 at the first pairs only: the words run out at the last columns.
                    ArithmeticCase{"PassesSixtyFourBitsAtTheEnd", randomLetters(8, 75), randomLetters(9, 75), true},
                    ArithmeticCase{"FarPastSixtyFourBits", randomLetters(10, 1500), randomLetters(11, 1500), true}),
    test::RowName());

// Without a limit the alignment hands its calls to the sweep once a count passes the
// bound; with the bound at 0 every call is swept, with the default bound most are fast.
TEST(ExactCount, AlignmentCountsAgreeOnEveryPath)
{
    AlignmentOptions literal, fast, swept, hashed;
    literal.engine = EngineKind::Literal;
    for (AlignmentOptions* options : {&literal, &fast, &swept, &hashed}) options->callLimit = CallCounter::kNoLimit;
    swept.tuning.fastCountBound = 0;
    hashed.tuning.mostDenseCells = 0;
    test::forRandomPairs(13, 600, 12, [&](const auto& upper, const auto& lower, int round) {
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            const auto reference = test::compute(upper, lower, direction, literal);
            for (const AlignmentOptions* options : {&fast, &swept, &hashed}) {
                const auto other = test::compute(upper, lower, direction, *options);
                ASSERT_EQ(reference.report.calls, other.report.calls) << "round " << round;
                ASSERT_EQ(reference.window.log(), other.window.log()) << "round " << round;
            }
        }
    });
    // Counts far past 64 bits: the swept alignment against the fast one that hands over.
    const std::u16string upper = randomLetters(6, 400), lower = randomLetters(7, 400);
    for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
        const auto handedOver = test::compute(upper, lower, direction, fast);
        const auto allSwept = test::compute(upper, lower, direction, swept);
        EXPECT_GT(handedOver.report.calls, mpz_class(1) << 64);
        EXPECT_EQ(handedOver.report.calls, allSwept.report.calls);
        EXPECT_EQ(handedOver.window.log(), allSwept.window.log());
        EXPECT_EQ(handedOver.window.caption(Label::Label5), decimalText(allSwept.report.calls));
    }
}

// The table of every pair's count in machine words, which answers long calls under a
// limit, against the sweep's count of each pair on its own; nothing once a pair passes
// 64 bits.
std::u16string fourLetters(std::size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    return test::randomText(random, test::Alphabet::FourLetters, length);
}

struct EveryPairCase {
    const char* name;
    std::u16string first, second;
    bool fitsInWords;
};

const EveryPairCase kEveryPairCases[] = {
    {"RunAgainstShortTails", std::u16string(300, u'a') + u"bcab", u"cab" + std::u16string(5, u'a') + u"bca", true},
    {"StretchOfCharactersTheOtherLacks", u"ab" + std::u16string(200, u'x') + u"ba",
     u"ba" + std::u16string(150, u'y') + u"ab", true},
    {"RandomFourLettersPastSixtyFourBits", fourLetters(260, 23), fourLetters(240, 29), false},
};

class EveryPairInWords : public testing::TestWithParam<EveryPairCase> {};

TEST_P(EveryPairInWords, AgreesWithEachPairCountedAlone)
{
    const EveryPairCase& row = GetParam();
    ComputationControl control;
    const auto table = ColumnSweep(row.first, row.second).countEveryPairInMachineWords(&control);
    ASSERT_EQ(table.has_value(), row.fitsInWords);
    // A part of a computation: the window's progress is the computation's, not the corner's.
    EXPECT_EQ(control.fractionPerMillion(), ComputationControl::kFractionUnknown);
    if (!table) return;
    const auto a = static_cast<std::int32_t>(row.first.size()), b = static_cast<std::int32_t>(row.second.size());
    std::vector<ColumnSweep::Pair> pairs;
    for (std::int32_t j = 1; j <= b; ++j)
        for (std::int32_t i = 1; i <= a; ++i) pairs.push_back({i, j});
    const std::vector<mpz_class> each = ColumnSweep(row.first, row.second).countEach(pairs);
    ASSERT_EQ(table->size(), each.size());
    for (std::size_t k = 0; k < each.size(); ++k)
        ASSERT_EQ(toMpz((*table)[k]), each[k]) << "at (" << pairs[k].i << ", " << pairs[k].j << ")";
}

INSTANTIATE_TEST_SUITE_P(Texts, EveryPairInWords, testing::ValuesIn(kEveryPairCases), test::RowName());

}  // namespace
}  // namespace velmora
