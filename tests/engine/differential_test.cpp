#include <gtest/gtest.h>

#include "engine/common_length.h"
#include "engine/fast_common_length.h"
#include "test_texts.h"

namespace velmora {
namespace {

// The fast engine must be indistinguishable from the invocation-by-invocation search.
TEST(Differential, FastAndLiteralAgreeOnRandomPairs)
{
    std::mt19937 random(7);
    for (int round = 0; round < 10000; ++round) {
        const auto alphabet = test::kAllAlphabets[round % 5];
        const auto upper = test::randomText(random, alphabet, random() % 13);
        const auto lower = test::randomText(random, alphabet, random() % 13);
        const auto name = ::testing::Message() << "round " << round;

        CallCounter literalCount, fastCount;
        ASSERT_EQ(CommonLength(upper, lower, literalCount), FastCommonLengthOf(upper, lower, fastCount)) << name;
        ASSERT_EQ(literalCount.value(), fastCount.value()) << name;

        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            const auto literal = test::compute(upper, lower, direction, EngineKind::Literal);
            const auto fast = test::compute(upper, lower, direction, EngineKind::Fast);
            ASSERT_EQ(literal.window.log(), fast.window.log()) << name;
            ASSERT_EQ(literal.state.MatchTable, fast.state.MatchTable) << name;
            ASSERT_EQ(literal.state.MatchAux, fast.state.MatchAux) << name;
            ASSERT_EQ(literal.state.CallCount, fast.state.CallCount) << name;
        }
    }
}

}  // namespace
}  // namespace velmora
