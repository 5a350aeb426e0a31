#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <random>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

// A computation, or nothing where its count passes the limit.
template <class... Arguments>
std::optional<test::Computation> outcomeOf(const Arguments&... arguments)
{
    try {
        return test::compute(arguments...);
    } catch (const OverflowError&) {
        return std::nullopt;
    }
}

// Both pass the limit, or the window shows the same of both.
void expectSameOutcome(const std::optional<test::Computation>& expected, const std::optional<test::Computation>& actual,
                       const ::testing::Message& name)
{
    ASSERT_EQ(expected.has_value(), actual.has_value()) << name;
    if (!expected) return;
    EXPECT_EQ(expected->window.log(), actual->window.log()) << name;
    EXPECT_EQ(expected->state.MatchTable, actual->state.MatchTable) << name;
    EXPECT_EQ(expected->state.CallCount, actual->state.CallCount) << name;
}

// Where calls are answered from a swept corner of the table: long ones at once or after a
// few frames, and short ones once the orders have evaluated a pair or a few since the last
// sweep, with the corner reaching rows above the call; with corners too large to sweep
// but the smallest.
struct CornerSweep {
    const char* name;
    std::uint64_t framesBeforeSweep, sweptCornerMostPairs, cornerPairsPerPair;

    AlignmentOptions options() const
    {
        AlignmentOptions swept;
        swept.tuning.literalFirstWork = 0;
        swept.tuning.framesBeforeSweep = framesBeforeSweep;
        swept.tuning.sweptCornerMostPairs = sweptCornerMostPairs;
        swept.tuning.cornerPairsPerPair = cornerPairsPerPair;
        return swept;
    }
};

const CornerSweep kCornerSweeps[] = {
    {"every corner swept at once", 0, UINT64_MAX, 0},
    {"swept after a few frames", 3, UINT64_MAX, 0},
    {"only corners of up to 40 pairs swept", 0, 40, 0},
    {"short calls swept once a pair is evaluated", UINT64_MAX, UINT64_MAX, UINT64_MAX},
    {"short calls swept once a few pairs are evaluated, and long ones after a few frames", 3, UINT64_MAX, 16},
    {"short calls' corners of up to 40 pairs swept", UINT64_MAX, 40, 8},
};

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
            const auto literal = outcomeOf(upper, lower, direction, EngineKind::Literal, startCount);
            for (const HandOver& handOver : handOvers) {
                AlignmentOptions options;
                options.tuning.literalFirstWork = handOver.literalFirstWork;
                options.tuning.weighedRun = 2;
                expectSameOutcome(literal, outcomeOf(upper, lower, direction, options, startCount),
                                  ::testing::Message() << "round " << round << ", " << handOver.name);
            }
        }
    });
}

// Long stretches that the look-ahead skips or passes over whole, with short tails that
// match: the engines' shortcuts over them (characters without a partner passed in one
// step, later candidates weighed against the rejected one's skip calls) against every
// call made one by one, and against the count without a limit (no shortcut there).
TEST(Differential, LongStretchesWithShortTails)
{
    struct Shape {
        const char* name;
        char16_t upperRun, lowerRun;  // x and y occur in no tail
        std::size_t tail;
        unsigned tailLetters;
        int tailAt;            // 0 at the end, 1 in the middle, 2 at both ends
        int lowerTailAt = -1;  // where the lower text's tail is, if not where the upper's is
    };
    const Shape shapes[] = {
        {"runs absent from each other, a one-letter tail at the end", u'x', u'y', 3, 1, 0},
        {"upper run absent, lower run in the upper tail", u'x', u'b', 9, 2, 0},
        {"upper run in the lower tail, lower run absent", u'a', u'y', 9, 2, 0},
        {"both runs in the other tail", u'a', u'b', 12, 3, 0},
        {"tails in the middle of the runs", u'x', u'b', 7, 2, 1},
        {"tails at both ends", u'x', u'b', 10, 3, 2},
        {"one-character tails", u'x', u'b', 1, 2, 0},
        {"tails as long as the runs", u'a', u'y', 16, 3, 1},
        // The lower run's letter is a candidate in the upper tail, and the upper run's has a
        // partner in the lower tail: every character of the lower run is passed over after
        // the same look-ahead, whose skip calls the next one weighs again.
        {"lower run passed over, upper tail in the middle", u'b', u'c', 12, 3, 1, 0},
        {"lower run passed over, upper tail at both ends", u'b', u'c', 12, 3, 2, 0},
        {"lower run passed over, both tails at the end", u'b', u'c', 9, 3, 0, 0},
        // Its letter also a few candidates in the upper tail, each rejected at its own
        // skipped character: the run of columns weighed diagonal by diagonal.
        {"lower run a short run of candidates in the upper tail", u'b', u'a', 14, 3, 0, 0},
    };
    std::mt19937 random(23);
    const auto withTail = [](char16_t run, std::size_t body, const std::u16string& tail, int at) {
        const std::u16string stretch(body, run);
        if (at == 0) return stretch + tail;
        if (at == 1) return stretch.substr(0, body / 2) + tail + stretch.substr(body / 2);
        return tail.substr(0, tail.size() / 2) + stretch + tail.substr(tail.size() / 2);
    };
    for (const Shape& shape : shapes)
        for (int round = 0; round < 12; ++round) {
            const std::size_t body = 12 + random() % 20;
            const auto upper = withTail(shape.upperRun, body,
                                        test::randomRuns(random, u'a', shape.tailLetters, shape.tail, 4), shape.tailAt);
            const auto lower = withTail(shape.lowerRun, body + random() % 8 - 4,
                                        test::randomRuns(random, u'a', shape.tailLetters, shape.tail, 4),
                                        shape.lowerTailAt < 0 ? shape.tailAt : shape.lowerTailAt);
            for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
                const auto name = ::testing::Message() << shape.name << ", round " << round << ", compute "
                                                       << (direction == Direction::Compute1 ? 1 : 2);
                const auto literal = test::compute(upper, lower, direction, EngineKind::Literal);
                const auto fast = test::compute(upper, lower, direction, EngineKind::Fast);
                AlignmentOptions unlimited;
                unlimited.callLimit = CallCounter::kNoLimit;
                const auto exact = test::compute(upper, lower, direction, unlimited);
                ASSERT_EQ(literal.window.log(), fast.window.log()) << name;
                ASSERT_EQ(literal.state.MatchTable, fast.state.MatchTable) << name;
                ASSERT_EQ(literal.state.MatchAux, fast.state.MatchAux) << name;
                ASSERT_EQ(literal.report.calls, fast.report.calls) << name;
                ASSERT_EQ(literal.report.calls, exact.report.calls) << name;
                AlignmentOptions checkpoints;
                checkpoints.tuning.literalFirstWork = 0;
                checkpoints.tuning.columnCheckpoint = 5;
                ASSERT_EQ(literal.report.calls, test::compute(upper, lower, direction, checkpoints).report.calls)
                    << name << ", columns weighed by diagonal up to every fifth";
                AlignmentOptions shifted;
                shifted.tuning.literalFirstWork = 0;
                shifted.tuning.shiftedColumns = 1;
                const auto fromRunEnds = test::compute(upper, lower, direction, shifted);
                ASSERT_EQ(literal.window.log(), fromRunEnds.window.log()) << name << ", columns shifted";
                ASSERT_EQ(literal.report.calls, fromRunEnds.report.calls) << name << ", columns shifted";
                for (const CornerSweep& corner : kCornerSweeps) {
                    const auto swept = test::compute(upper, lower, direction, corner.options());
                    ASSERT_EQ(literal.window.log(), swept.window.log()) << name << ", " << corner.name;
                    ASSERT_EQ(literal.state.MatchTable, swept.state.MatchTable) << name << ", " << corner.name;
                    ASSERT_EQ(literal.report.calls, swept.report.calls) << name << ", " << corner.name;
                }
            }
        }
}

// Long calls and weighings answered from a swept corner of the table, on random pairs
// too, where some corners count past 64 bits and the orders go on instead, and near the
// limit, where a count from a corner passes it.
TEST(Differential, CornersSweptForLongCalls)
{
    const std::int32_t limit = std::numeric_limits<std::int32_t>::max();
    test::forRandomPairs(29, 240, 40, [&](const auto& upper, const auto& lower, int round) {
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            const std::int32_t startCount = round % 2 ? limit - 5000 : 0;
            AlignmentOptions unswept;
            unswept.tuning.literalFirstWork = 0;
            unswept.tuning.sweptCornerMostPairs = 0;
            const auto expected = outcomeOf(upper, lower, direction, unswept, startCount);
            for (const CornerSweep& corner : kCornerSweeps)
                expectSameOutcome(expected, outcomeOf(upper, lower, direction, corner.options(), startCount),
                                  ::testing::Message() << "round " << round << ", " << corner.name);
        }
    });
}

}  // namespace
}  // namespace velmora
