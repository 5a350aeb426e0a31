// Counts from kept states against a whole sweep: whatever pairs are asked for, from
// whichever kept column the count starts, over only the rows and columns it needs.

#include <gtest/gtest.h>

#include <random>

#include "common/row_name.h"
#include "engine/length/sweep/sweep_checkpoints.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

struct CheckpointCase {
    const char* name;
    unsigned letters;
    std::size_t length;
    std::int32_t every;  // 0: the default
};

class Checkpoints : public testing::TestWithParam<CheckpointCase> {};

TEST_P(Checkpoints, CountAsAWholeSweepDoes)
{
    const CheckpointCase& c = GetParam();
    std::mt19937 random(77);
    const std::u16string first = test::randomRuns(random, u'a', c.letters, c.length);
    const std::u16string second = test::randomRuns(random, u'a', c.letters, c.length + 13);
    const SweepCheckpoints kept(first, second, nullptr, c.every);
    const auto a = static_cast<std::int32_t>(first.size()), b = static_cast<std::int32_t>(second.size());
    for (int round = 0; round < 12; ++round) {
        // A few pairs near one another, as a node's children are, or spread over the table;
        // some on a kept column, some past the ends.
        std::vector<ColumnSweep::Pair> pairs;
        const std::int32_t i = 1 + static_cast<std::int32_t>(random() % a);
        const std::int32_t j = 1 + static_cast<std::int32_t>(random() % b);
        const std::int32_t spread = round % 3 == 0 ? b : 40;
        for (int k = 0; k < 6; ++k)
            pairs.push_back({std::min(a + 1, i + static_cast<std::int32_t>(random() % 40)),
                             std::min(b + 1, j + static_cast<std::int32_t>(random() % spread))});
        pairs.push_back({i, (j / kept.every()) * kept.every() + (j < kept.every() ? kept.every() : 0)});
        pairs.push_back({a + 1, j});
        for (ColumnSweep::Pair& pair : pairs) pair.j = std::min(pair.j, b + 1);
        ASSERT_EQ(kept.countEach(pairs), ColumnSweep(first, second).countEach(pairs))
            << "round " << round << " near (" << i << ", " << j << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(ExactCount, Checkpoints,
                         testing::Values(CheckpointCase{"EveryColumnKept", 4, 120, 1},
                                         CheckpointCase{"KeptEveryFewColumnsPastSixtyFourBits", 4, 700, 7},
                                         CheckpointCase{"DefaultSpacingOnTwoLetters", 2, 900, 0},
                                         CheckpointCase{"CountsThatFitInAWord", 26, 400, 16},
                                         CheckpointCase{"RowsEnoughForTwoThreads", 3, 1200, 0}),
                         test::RowName());

}  // namespace
}  // namespace velmora
