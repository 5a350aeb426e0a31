#include <gtest/gtest.h>

#include "engine/test_texts.h"
#include "highlight/match_lookup.h"

namespace velmora {
namespace {

// The lookup as the window asks it, with the length of the box's own text.
std::optional<LookupPlan> planIn(const test::Computation& run, Box box, std::int32_t start, std::int32_t length,
                                 int button)
{
    return planClick(run.state, box, start, length, button, static_cast<std::int32_t>(run.window.text(box).size()));
}

using Kind = LookupStep::Kind;
using Steps = std::vector<LookupStep>;

LookupStep sel(Box box, std::int32_t start, std::int32_t length) { return {Kind::Select, box, start, length}; }
LookupStep focus(Box box) { return {Kind::Focus, box}; }
const LookupStep yield{Kind::Yield};

struct ClickCase {
    std::u16string upper, lower;
    Direction direction;
    Box box;
    std::int32_t selStart, selLength;
    int button;
    bool answered;
    std::int16_t row;
    Steps steps;
};

const std::u16string kUpper = u"ABCBDAB", kLower = u"BDCABA";
constexpr auto C1 = Direction::Compute1;
constexpr auto C2 = Direction::Compute2;
constexpr auto RT1 = Box::RT1;
constexpr auto RT2 = Box::RT2;
constexpr auto RT3 = Box::RT3;

const ClickCase kClicks[] = {
    // The six worked clicks.
    {kUpper, kLower, C1, RT1, 1, 1, 1, true, 1, {sel(RT1, 1, 1), yield, sel(RT2, 0, 1), yield, sel(RT3, 0, 1), yield}},
    {kUpper,
     kLower,
     C1,
     RT1,
     3,
     1,
     1,
     true,
     2,
     {sel(RT1, 2, 2), yield, focus(RT3), sel(RT3, 1, 0), yield, focus(RT2), sel(RT2, 1, 0), yield}},
    {kUpper, kLower, C1, RT1, 5, 1, 1, true, 3, {sel(RT1, 5, 1), yield, sel(RT2, 3, 1), yield, sel(RT3, 2, 1), yield}},
    {kUpper,
     kLower,
     C1,
     RT2,
     2,
     1,
     1,
     true,
     3,
     {sel(RT2, 2, 1), yield, focus(RT3), sel(RT3, 2, 0), yield, focus(RT1), sel(RT1, 5, 0), yield}},
    {kUpper,
     kLower,
     C1,
     RT2,
     5,
     1,
     1,
     true,
     4,
     {sel(RT2, 5, 1), yield, focus(RT3), sel(RT3, 4, 0), yield, focus(RT1), sel(RT1, 7, 0), yield}},
    {kUpper,
     kLower,
     C1,
     RT3,
     3,
     1,
     1,
     true,
     3,
     {sel(RT3, 3, 1), focus(RT1), sel(RT1, 6, 1), yield, focus(RT2), yield, sel(RT2, 4, 1), yield}},
    // Several characters count by the first; a black first character shrinks the selection.
    {kUpper, kLower, C1, RT1, 1, 4, 1, true, 1, {sel(RT1, 1, 1), yield, sel(RT2, 0, 1), yield, sel(RT3, 0, 1), yield}},
    {kUpper,
     kLower,
     C1,
     RT3,
     1,
     3,
     1,
     true,
     2,
     {sel(RT3, 1, 1), focus(RT1), sel(RT1, 4, 1), yield, focus(RT2), yield, sel(RT2, 1, 1), yield}},
    // A caret alone, the right button in RT3, and the right button in RT1.
    {kUpper, kLower, C1, RT1, 2, 0, 1, false, 0, {}},
    {kUpper, kLower, C1, RT3, 0, 1, 2, false, 0, {}},
    {kUpper, kLower, C1, RT1, 1, 1, 2, true, 1, {sel(RT1, 1, 1), yield, sel(RT2, 0, 1), yield, sel(RT3, 0, 1), yield}},
    // Compute 2 on the same texts: rows stay in upper/lower orientation.
    {kUpper,
     kLower,
     C2,
     RT1,
     4,
     1,
     1,
     true,
     4,
     {sel(RT1, 4, 1), yield, focus(RT3), sel(RT3, 3, 0), yield, focus(RT2), sel(RT2, 5, 0), yield}},
    {kUpper, kLower, C2, RT2, 0, 1, 1, true, 1, {sel(RT2, 0, 1), yield, sel(RT1, 1, 1), yield, sel(RT3, 0, 1), yield}},
    // Identical texts map through row 0; no common character gives one gap of everything.
    {u"abc", u"abc", C1, RT2, 2, 1, 1, true, 0, {sel(RT2, 2, 1), yield, sel(RT1, 2, 1), yield, sel(RT3, 2, 1), yield}},
    {u"abc",
     u"xyz",
     C2,
     RT2,
     1,
     1,
     1,
     true,
     1,
     {sel(RT2, 0, 3), yield, focus(RT3), sel(RT3, 0, 0), yield, focus(RT1), sel(RT1, 0, 3), yield}},
    // A character in front of the first gap.
    {u"abXc", u"abc", C1, RT1, 0, 1, 1, true, 0, {sel(RT1, 0, 1), yield, sel(RT2, 0, 1), yield, sel(RT3, 0, 1), yield}},
};

TEST(MatchLookup, ClickAnswers)
{
    for (const ClickCase& c : kClicks) {
        const auto name = ::testing::Message() << "click " << (&c - kClicks);
        const auto run = test::compute(c.upper, c.lower, c.direction);
        const auto plan = planIn(run, c.box, c.selStart, c.selLength, c.button);
        ASSERT_EQ(plan.has_value(), c.answered) << name;
        if (!plan) continue;
        EXPECT_EQ(plan->row, c.row) << name;
        EXPECT_EQ(plan->steps, c.steps) << name;
    }
}

TEST(MatchLookup, IgnoredWithoutAResultOnDisplay)
{
    auto run = test::compute(kUpper, kLower, C1);
    run.state.ModeMark = kNoResultMark;
    for (const Box box : {RT1, RT2, RT3}) EXPECT_FALSE(planIn(run, box, 0, 1, 1)) << int(box);
    ComparisonState fresh;
    fresh.ModeMark = kNoResultMark;
    fresh.CurrentRow = -1;
    EXPECT_FALSE(planClick(fresh, RT1, 0, 1, 1, 1));
}

TEST(MatchLookup, CarryingOutLeavesTheRowAndRunsEveryStep)
{
    auto run = test::compute(kUpper, kLower, C1);
    RecordingWindow window;
    window.type(kUpper, kLower);
    window.setText(RT3, u"BDAB");
    carryOut(*planIn(run, RT1, 3, 1, 1), run.state, window);
    EXPECT_EQ(run.state.CurrentRow, 2);
    EXPECT_EQ(window.selection(RT1), (RecordingWindow::Selection{2, 2}));
    EXPECT_EQ(window.selection(RT3), (RecordingWindow::Selection{1, 0}));
    EXPECT_EQ(window.selection(RT2), (RecordingWindow::Selection{1, 0}));
    ASSERT_NE(window.focus(), nullptr);
    EXPECT_EQ(*window.focus(), RT2);
}

// A second click answered at a yield of the first must not send the first to its row.
TEST(MatchLookup, ReentrantClickKeepsEachHandlersRow)
{
    auto run = test::compute(kUpper, kLower, C1);
    struct Reentrant : RecordingWindow {
        ComparisonState* state = nullptr;
        bool clicked = false;
        void yield() override
        {
            RecordingWindow::yield();
            if (std::exchange(clicked, true)) return;
            carryOut(*planClick(*state, Box::RT2, 5, 1, 1, 6), *state, *this);  // row 4
        }
    } window;
    window.state = &run.state;
    carryOut(*planIn(run, RT1, 1, 1, 1), run.state, window);               // row 1: B, B, B
    EXPECT_EQ(window.selection(RT1), (RecordingWindow::Selection{7, 0}));  // left by the second click
    EXPECT_EQ(window.selection(RT2), (RecordingWindow::Selection{0, 1}));
    EXPECT_EQ(window.selection(RT3), (RecordingWindow::Selection{0, 1}));
}

TEST(MatchLookup, ClicksBeyondTheRecordedRegionAreIgnored)
{
    const auto run = test::compute(test::repeated(u"a", 400), test::repeated(u"xa", 400), C1);
    ASSERT_EQ(run.state.RowCount, 300);
    struct Edge {
        Box box;
        std::int32_t selStart;
        bool answered;
    };
    const Edge edges[] = {{RT2, 599, true},  {RT2, 600, false}, {RT2, 799, false}, {RT1, 299, true},
                          {RT1, 300, false}, {RT3, 299, true},  {RT3, 300, false}};
    for (const Edge& e : edges) {
        EXPECT_EQ(planIn(run, e.box, e.selStart, 1, 1).has_value(), e.answered) << int(e.box) << " " << e.selStart;
        // Exactly the ignored clicks inside the text are told why.
        const auto length = static_cast<std::int32_t>(run.window.text(e.box).size());
        EXPECT_EQ(beyondRecordedRegion(run.state, e.box, e.selStart, 1, 1, length), !e.answered)
            << int(e.box) << " " << e.selStart;
    }
    EXPECT_FALSE(beyondRecordedRegion(run.state, RT2, 800, 1, 1, 800)) << "past the end of the text";
    EXPECT_FALSE(beyondRecordedRegion(run.state, RT3, 300, 1, 2, 400)) << "right button in the result box";
    // The last recorded character still maps to its partners exactly.
    const auto last = planIn(run, RT2, 599, 1, 1);
    EXPECT_EQ(last->steps, (Steps{sel(RT2, 599, 1), yield, sel(RT1, 299, 1), yield, sel(RT3, 299, 1), yield}));
}

// Every black character maps to characters equal to itself in the other two boxes.
TEST(MatchLookup, BlackCharactersMapToEqualCharacters)
{
    test::forRandomPairs(99, 400, 20, [](const auto& upper, const auto& lower, int round) {
        const Direction direction = round % 2 ? C1 : C2;
        const auto run = test::compute(upper, lower, direction);
        const std::u16string texts[] = {upper, lower, run.window.text(RT3)};
        for (const Box box : {RT1, RT2, RT3}) {
            const auto& text = texts[static_cast<int>(box)];
            const auto gaps = box == RT3 ? std::vector<std::int32_t>{} : run.window.gapPositions(box);
            for (std::int32_t p = 1; p <= static_cast<std::int32_t>(text.size()); ++p) {
                if (std::find(gaps.begin(), gaps.end(), p) != gaps.end()) continue;
                const auto plan = planIn(run, box, p - 1, 1, 1);
                ASSERT_TRUE(plan) << round;
                for (const LookupStep& step : plan->steps) {
                    if (step.kind != Kind::Select) continue;
                    ASSERT_EQ(step.length, 1) << round;
                    const auto& other = texts[static_cast<int>(step.box)];
                    ASSERT_LT(step.start, static_cast<std::int32_t>(other.size())) << round;
                    EXPECT_EQ(other[static_cast<std::size_t>(step.start)], text[static_cast<std::size_t>(p - 1)])
                        << round;
                }
            }
        }
    });
}

}  // namespace
}  // namespace velmora
