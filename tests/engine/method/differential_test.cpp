#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

// The fast engine must be indistinguishable from the invocation-by-invocation search.
TEST(Differential, FastAndLiteralAgreeOnRandomPairs)
{
    test::forRandomPairs(7, 10000, 13, [](const auto& upper, const auto& lower, int round) {
        const auto name = ::testing::Message() << "round " << round;

        CallCounter literalCount, fastCount;
        ASSERT_EQ(CommonLength(upper, lower, literalCount), MemoSearch::lengthOf(upper, lower, fastCount)) << name;
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

// The literal engine answers first and hands over to the fast one once it has spent its
// allowance: wherever that falls, within a call or between two, in the middle of a run of
// rejected candidates or when the count passes the limit, nothing the window sees changes.
TEST(Differential, TheLiteralEngineHandsOverAnywhere)
{
    struct HandOver {
        const char* name;
        std::uint64_t literalFirstWork;
    };
    const HandOver handOvers[] = {
        {"fast throughout", 0},
        {"after a step", 1},
        {"after a few calls", 40},
        {"after some hundred steps", 700},
        {"literal throughout", UINT64_MAX},
    };
    const std::int32_t limit = std::numeric_limits<std::int32_t>::max();
    test::forRandomPairs(11, 600, 22, [&](const auto& upper, const auto& lower, int round) {
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            // Every other round starts near the limit, so that some computations overflow.
            const std::int32_t startCount = round % 2 ? limit - 300 : 0;
            std::optional<test::Computation> literal;
            try {
                literal = test::compute(upper, lower, direction, EngineKind::Literal, startCount);
            } catch (const OverflowError&) {
            }
            for (const HandOver& handOver : handOvers) {
                const auto name = ::testing::Message() << "round " << round << ", " << handOver.name;
                AlignmentOptions options;
                options.tuning.literalFirstWork = handOver.literalFirstWork;
                options.tuning.weighedRun = 2;
                std::optional<test::Computation> mixed;
                try {
                    mixed = test::compute(upper, lower, direction, options, startCount);
                } catch (const OverflowError&) {
                }
                ASSERT_EQ(literal.has_value(), mixed.has_value()) << name;
                if (!literal) continue;
                ASSERT_EQ(literal->window.log(), mixed->window.log()) << name;
                ASSERT_EQ(literal->state.MatchTable, mixed->state.MatchTable) << name;
                ASSERT_EQ(literal->state.CallCount, mixed->state.CallCount) << name;
            }
        }
    });
}

}  // namespace
}  // namespace velmora
