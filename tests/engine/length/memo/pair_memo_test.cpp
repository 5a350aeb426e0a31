// The memo of remainder pairs, in both its layouts: a table indexed by the pair while it
// fits, an open-addressing hash in whole cache lines beyond, which probes on from a home
// line shared by four neighbouring rows of a column and doubles as it fills.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "common/row_name.h"
#include "engine/length/memo/pair_memo.h"

namespace velmora {
namespace {

using test::PrintTo;

struct MemoRow {
    const char* name;
    std::int32_t firstLength, secondLength;
    std::size_t mostDenseCells;
    bool hashed;
    int pairs;  // how many random pairs to remember
};

class Memo : public testing::TestWithParam<MemoRow> {};

TEST_P(Memo, FindsWhatWasInsertedAndNothingElse)
{
    const MemoRow& row = GetParam();
    PairMemo memo(row.firstLength, row.secondLength, row.mostDenseCells);
    EXPECT_EQ(memo.hashed(), row.hashed);
    std::mt19937 random(17);
    std::map<std::pair<std::int32_t, std::int32_t>, ScanOutcome> expected;
    const auto remember = [&](std::int32_t i, std::int32_t j) {
        const ScanOutcome outcome{static_cast<std::int16_t>(random() % 32767), random() * 977ull};
        memo.insert(i, j, outcome);
        expected[{i, j}] = outcome;
    };
    // The corners, whole columns of neighbouring rows (which share home lines), a value
    // written twice, and random pairs; enough of them to make the hash grow many times.
    remember(1, 1);
    remember(row.firstLength, row.secondLength);
    for (std::int32_t i = 1; i <= std::min(row.firstLength, 64); ++i) remember(i, 2);
    remember(3, 2);
    for (int k = 0; k < row.pairs; ++k)
        remember(1 + static_cast<std::int32_t>(random() % row.firstLength),
                 1 + static_cast<std::int32_t>(random() % row.secondLength));

    for (const auto& [pair, outcome] : expected) {
        const auto found = memo.find(pair.first, pair.second);
        ASSERT_TRUE(found) << pair.first << "," << pair.second;
        EXPECT_EQ(found->length, outcome.length);
        EXPECT_EQ(found->nestedCalls, outcome.nestedCalls);
    }
    int misses = 0;
    for (int k = 0; k < 2000; ++k) {
        const std::int32_t i = 1 + static_cast<std::int32_t>(random() % row.firstLength);
        const std::int32_t j = 1 + static_cast<std::int32_t>(random() % row.secondLength);
        if (expected.count({i, j})) continue;
        EXPECT_FALSE(memo.find(i, j)) << i << "," << j;
        ++misses;
    }
    EXPECT_GT(misses, 0);
}

INSTANTIATE_TEST_SUITE_P(PairMemo, Memo,
                         testing::Values(MemoRow{"DenseTable", 300, 200, EngineTuning::kMostDenseCells, false, 5000},
                                         MemoRow{"HashedFromTheStart", 300, 200, 0, true, 5000},
                                         MemoRow{"HashedForTheLongestTexts", 32766, 32766,
                                                 EngineTuning::kMostDenseCells, true, 40000},
                                         MemoRow{"HashedOnOneColumn", 32766, 1, 0, true, 3000}),
                         test::RowName{});

}  // namespace
}  // namespace velmora
