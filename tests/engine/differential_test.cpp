#include <gtest/gtest.h>

#include "engine/common_length.h"
#include "engine/fast_common_length.h"
#include "test_texts.h"

namespace velmora {
namespace {

// The fast engine must be indistinguishable from the invocation-by-invocation search.
TEST(Differential, FastAndLiteralAgreeOnRandomPairs)
{
    test::forRandomPairs(7, 10000, 13, [](const auto& upper, const auto& lower, int round) {
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
    });
}

}  // namespace
}  // namespace velmora
