// A block keeps, for the diagonals it has filled, how far a match on each reaches and
// running sums of the exits' nested calls; the run weighing reads every count from them.
// Checked against sums taken one diagonal at a time.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "common/row_name.h"
#include "engine/length/memo/block_exits.h"

namespace velmora {
namespace {

using test::PrintTo;

struct BlockRow {
    const char* name;
    std::int32_t firstEnd, secondEnd, period;
    std::int32_t from, to;  // the diagonals asked for, of the block's phase
};

class Exits : public testing::TestWithParam<BlockRow> {};

// Fills the block the way the search does (nextToFill until it holds the range), with
// random outcomes, and reads every sum back.
TEST_P(Exits, HoldWhatWasFilledAndSumIt)
{
    const BlockRow& row = GetParam();
    BlockExits block(row.firstEnd, row.secondEnd, row.period);
    std::mt19937 random(11);
    std::map<std::int32_t, ScanOutcome> filled;
    std::int32_t firstFilled = 0;
    while (!block.holds(row.from, row.to)) {
        const std::int32_t d = block.nextToFill(row.to);
        if (filled.empty()) firstFilled = d;
        const ScanOutcome outcome{static_cast<std::int16_t>(random() % 50), random() % 1000};
        filled[d] = outcome;
        block.fill(d, outcome);
        ASSERT_LE(filled.size(), 1000u);
    }
    EXPECT_EQ(firstFilled, row.to) << "the range grows from its right end";
    EXPECT_EQ(block.low(), row.from);
    EXPECT_EQ(block.high(), row.to);

    for (const auto& [d, outcome] : filled) {
        const auto [i, j] = block.exit(d);
        EXPECT_EQ(i - j, d) << "an exit lies on its diagonal";
        EXPECT_TRUE(i == row.firstEnd || j == row.secondEnd) << "an exit lies where a stretch ends";
        EXPECT_EQ(block.reach(d), j + outcome.length) << "diagonal " << d;
    }
    for (auto low = filled.begin(); low != filled.end(); ++low) {
        unsigned __int128 sum = 0;
        for (auto high = low; high != filled.end(); ++high) {
            sum += high->second.nestedCalls;
            EXPECT_TRUE(block.exitCalls(low->first, high->first) == sum) << low->first << ".." << high->first;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BlockExits, Exits,
                         testing::Values(BlockRow{"RunsTheFirstEndingFirst", 30, 80, 1, -20, 10},
                                         BlockRow{"RunsTheSecondEndingFirst", 90, 25, 1, 5, 40},
                                         BlockRow{"OneDiagonal", 40, 40, 1, 3, 3},
                                         BlockRow{"PeriodThree", 100, 70, 3, -12, 27},
                                         BlockRow{"PeriodThreeAtNegativePhase", 60, 90, 3, -29, -2}),
                         test::RowName{});

// A run of columns sums, over a window of diagonals that slides along the columns, the
// exits' calls up to each diagonal: sumOfSums must equal that sum taken one diagonal at a
// time, also from one below the diagonals held.
TEST(BlockExits, SumsOfRunningSumsAgreeWithTheirDefinition)
{
    BlockExits block(70, 50, 1);
    std::mt19937 random(3);
    std::map<std::int32_t, std::uint64_t> calls;
    const std::int32_t from = -15, to = 12;
    while (!block.holds(from, to)) {
        const std::int32_t d = block.nextToFill(to);
        calls[d] = random() % 500;
        block.fill(d, ScanOutcome{1, calls[d]});
    }
    // The running sum from the first diagonal filled (the anchor, `to`) up to d, and to its
    // left minus the sum strictly between d and the anchor.
    const auto runningSum = [&](std::int32_t d) {
        __int128 sum = 0;
        if (d >= to) {
            for (std::int32_t e = to; e <= d; ++e) sum += calls[e];
        } else {
            for (std::int32_t e = d + 1; e < to; ++e) sum -= calls[e];
        }
        return sum;
    };
    for (std::int32_t low = from - 1; low <= to; ++low)
        for (std::int32_t high = low; high <= to; ++high) {
            __int128 expected = 0;
            for (std::int32_t d = low; d <= high; ++d) expected += runningSum(d);
            EXPECT_TRUE(block.sumOfSums(low, high) == expected) << low << ".." << high;
        }
}

TEST(BlockExits, ForgetsDiagonalsFarFromWhatIsAskedAndKeepsThoseThatTouch)
{
    BlockExits block(100, 100, 1);
    for (std::int32_t d = 20; d >= 10; --d) block.fill(d, ScanOutcome{2, 1});
    block.keepOnlyNear(21, 30);  // touches the range held
    EXPECT_TRUE(block.holds(10, 20));
    EXPECT_EQ(block.nextToFill(30), 21);
    block.keepOnlyNear(40, 50);  // far from it
    EXPECT_FALSE(block.holds(10, 20));
    EXPECT_EQ(block.nextToFill(50), 50) << "an empty block starts at the right end";
}

}  // namespace
}  // namespace velmora
