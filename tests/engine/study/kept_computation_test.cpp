#include <gtest/gtest.h>

#include <thread>

#include "common/row_name.h"
#include "engine/study/invocation_tree.h"
#include "engine/study/kept_computation.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

using test::PrintTo;

struct KeptCase {
    const char* name;
    std::u16string upper, lower;
    Direction direction;
};

std::u16string repeated(char16_t c, std::size_t n) { return std::u16string(n, c); }

const KeptCase kKeptCases[] = {
    {"OneCandidateRejectedByItsSkip", u"AB", u"BAB", Direction::Compute1},
    {"TwoCandidatesCompute1", u"XYBZ", u"BZXY", Direction::Compute1},
    {"TwoCandidatesCompute2", u"XYBZ", u"BZXY", Direction::Compute2},
    {"RepeatedLetters", u"ABB", u"BABB", Direction::Compute1},
    {"TextbookPairCompute1", u"ABCBDAB", u"BDCABA", Direction::Compute1},
    {"TextbookPairCompute2", u"ABCBDAB", u"BDCABA", Direction::Compute2},
    {"RunsThatCross", repeated(u'a', 40) + repeated(u'b', 40), repeated(u'b', 40) + repeated(u'a', 40),
     Direction::Compute1},
    {"ThirtyLettersCountingMillions", u"DBADDCDABBCACDCDACACACCCCBDDCD", u"BBDDBBACADACBCDDDBDCDDDBCCDCDA",
     Direction::Compute1},
    {"NothingInCommon", u"abc", u"xyz", Direction::Compute1},
    {"EmptyLowerText", u"abc", u"", Direction::Compute2},
};

class KeptComputationTest : public testing::TestWithParam<KeptCase> {};

// The state the window aligns from: both texts captured, the lengths taken.
ComparisonState captured(const KeptCase& c)
{
    ComparisonSession session;
    session.start();
    session.capture(c.direction, c.upper, c.lower);
    return session.state();
}

TEST_P(KeptComputationTest, AnswersAsAFreshEngineAndTheSweepDo)
{
    const KeptCase& c = GetParam();
    const ComparisonState before = captured(c);
    KeptComputation kept(before, c.direction, EngineKind::Fast, {});

    // The computation on the kept engine counts what a computation of its own counts.
    AlignmentOptions keptOptions;
    keptOptions.lengths = kept.engine();
    const test::Computation made = test::compute(c.upper, c.lower, c.direction, keptOptions);
    std::vector<AlignmentCall> expectedCalls;
    AlignmentOptions fresh;
    fresh.onCall = [&](const AlignmentCall& call) { expectedCalls.push_back(call); };
    const test::Computation reference = test::compute(c.upper, c.lower, c.direction, fresh);
    EXPECT_EQ(made.report.calls, reference.report.calls);

    // The replayed calls are the alignment's own, in order, with their verdicts.
    const std::vector<AlignmentCall>& calls = kept.alignmentCalls(nullptr);
    ASSERT_EQ(calls.size(), expectedCalls.size());
    for (std::size_t k = 0; k < calls.size(); ++k) {
        EXPECT_EQ(calls[k].pos1, expectedCalls[k].pos1) << k;
        EXPECT_EQ(calls[k].pos2, expectedCalls[k].pos2) << k;
        EXPECT_EQ(calls[k].verdict, expectedCalls[k].verdict) << k;
    }

    // Every count two levels down equals the sweep's, and the roots add up to the whole.
    InvocationTree swept(kept.text1(), kept.text2());
    mpz_class whole = 0;
    for (const AlignmentCall& root : calls) {
        const mpz_class count = kept.calls(root.pos1, root.pos2);
        EXPECT_EQ(count, swept.calls(root.pos1, root.pos2)) << root.pos1 << ", " << root.pos2;
        whole += count;
        for (const InvocationTree::Call& child : swept.childrenFrom(root.pos1, root.pos2, 0, 40)) {
            EXPECT_EQ(kept.calls(child.i, child.j), swept.calls(child.i, child.j)) << child.i << ", " << child.j;
            for (const InvocationTree::Call& grandchild : swept.childrenFrom(child.i, child.j, 0, 10))
                EXPECT_EQ(kept.calls(grandchild.i, grandchild.j), swept.calls(grandchild.i, grandchild.j));
        }
    }
    EXPECT_EQ(whole, reference.report.calls);
}

// A replay cut short leaves an engine that still answers exactly.
TEST(KeptComputation, AReplayCancelledHalfwayLeavesExactAnswers)
{
    const KeptCase& c = kKeptCases[7];  // millions of calls: the cancel lands mid-evaluation
    KeptComputation kept(captured(c), c.direction, EngineKind::Fast, {});
    ComputationControl control;
    control.cancel();
    EXPECT_THROW(kept.alignmentCalls(&control), CancelledError);
    const std::vector<AlignmentCall>& calls = kept.alignmentCalls(nullptr);
    ASSERT_FALSE(calls.empty());
    InvocationTree swept(kept.text1(), kept.text2());
    for (const AlignmentCall& call : calls)
        EXPECT_EQ(kept.calls(call.pos1, call.pos2), swept.calls(call.pos1, call.pos2));
}

// After a computation on the literal engine, the tree still counts exactly, and fast.
TEST(KeptComputation, AfterTheLiteralEngineCountsAsTheSweepDoes)
{
    const KeptCase& c = kKeptCases[7];
    KeptComputation kept(captured(c), c.direction, EngineKind::Literal, {});
    EXPECT_TRUE(kept.engine()->isLiteral());
    InvocationTree swept(kept.text1(), kept.text2());
    mpz_class whole = 0;
    for (const AlignmentCall& call : kept.alignmentCalls(nullptr)) {
        EXPECT_EQ(kept.calls(call.pos1, call.pos2), swept.calls(call.pos1, call.pos2));
        whole += kept.calls(call.pos1, call.pos2);
    }
    EXPECT_EQ(whole, test::compute(c.upper, c.lower, c.direction).report.calls);
}

// The tree window's thread and the hot pairs' take turns on one engine.
TEST(KeptComputation, TwoThreadsCountingAtOnceGetTheSameCounts)
{
    const KeptCase& c = kKeptCases[7];
    KeptComputation kept(captured(c), c.direction, EngineKind::Fast, {});
    const std::vector<AlignmentCall> calls = kept.alignmentCalls(nullptr);
    std::vector<mpz_class> first(calls.size()), second(calls.size());
    std::thread other([&] {
        for (std::size_t k = calls.size(); k-- > 0;) second[k] = kept.calls(calls[k].pos1, calls[k].pos2);
    });
    for (std::size_t k = 0; k < calls.size(); ++k) first[k] = kept.calls(calls[k].pos1, calls[k].pos2);
    other.join();
    EXPECT_EQ(first, second);
}

INSTANTIATE_TEST_SUITE_P(Pairs, KeptComputationTest, testing::ValuesIn(kKeptCases), test::RowName{});

}  // namespace
}  // namespace velmora
