#include <gtest/gtest.h>

#include "engine/base/checked_arithmetic.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

using test::compute;
using test::rowsOf;

struct AlignmentCase {
    const char* name;
    std::u16string upper, lower;
    Direction direction;
    std::u16string result;
    std::int16_t length;
    std::u16string label5;
    std::vector<GapRow> table, aux;
    std::vector<std::int32_t> upperGaps, lowerGaps;
};

constexpr auto C1 = Direction::Compute1;
constexpr auto C2 = Direction::Compute2;

const AlignmentCase kCases[] = {
    {"empty against empty, compute 1", u"", u"", C1, u"", 0, u"0", {{1, 1, 1}}, {{0, 0, 0}}, {}, {}},
    {"abc against abc, compute 1", u"abc", u"abc", C1, u"abc", 3, u"0", {{4, 4, 4}}, {{0, 0, 0}}, {}, {}},
    {"abc against xyz, compute 1", u"abc", u"xyz", C1, u"", 0, u"0", {{1, 1, 1}}, {{3, 3, 0}}, {1, 2, 3}, {1, 2, 3}},
    {"abc against empty, compute 1", u"abc", u"", C1, u"", 0, u"0", {{1, 1, 1}}, {{3, 0, 0}}, {1, 2, 3}, {}},
    {"empty against abc, compute 1", u"", u"abc", C1, u"", 0, u"0", {{1, 1, 1}}, {{0, 3, 0}}, {}, {1, 2, 3}},
    {"empty against abc, compute 2", u"", u"abc", C2, u"", 0, u"0", {{1, 1, 1}}, {{0, 3, 0}}, {}, {1, 2, 3}},
    {"ab against ax, compute 1", u"ab", u"ax", C1, u"a", 1, u"0", {{2, 2, 2}}, {{1, 1, 0}}, {2}, {2}},
    {"axbc against abc, compute 1",
     u"axbc",
     u"abc",
     C1,
     u"abc",
     3,
     u"1",
     {{2, 2, 2}, {5, 4, 4}},
     {{1, 0, 0}, {0, 0, 0}},
     {2},
     {}},
    {"axbc against abc, compute 2",
     u"axbc",
     u"abc",
     C2,
     u"abc",
     3,
     u"0",
     {{2, 2, 2}, {5, 4, 4}},
     {{1, 0, 0}, {0, 0, 0}},
     {2},
     {}},
    {"ABC against CAB, compute 1",
     u"ABC",
     u"CAB",
     C1,
     u"AB",
     2,
     u"2",
     {{1, 1, 1}, {3, 4, 3}},
     {{0, 1, 0}, {1, 0, 0}},
     {3},
     {1}},
    {"ABC against CAB, compute 2",
     u"ABC",
     u"CAB",
     C2,
     u"AB",
     2,
     u"2",
     {{1, 1, 1}, {3, 4, 3}},
     {{0, 1, 0}, {1, 0, 0}},
     {3},
     {1}},
    {"ABC against ACB, compute 1",
     u"ABC",
     u"ACB",
     C1,
     u"AC",
     2,
     u"2",
     {{2, 2, 2}, {4, 3, 3}},
     {{1, 0, 0}, {0, 1, 0}},
     {2},
     {3}},
    {"ABC against ACB, compute 2",
     u"ABC",
     u"ACB",
     C2,
     u"AB",
     2,
     u"2",
     {{2, 2, 2}, {3, 4, 3}},
     {{0, 1, 0}, {1, 0, 0}},
     {3},
     {2}},
    {"abc against ca, compute 1",
     u"abc",
     u"ca",
     C1,
     u"c",
     1,
     u"3",
     {{1, 1, 1}, {4, 2, 2}},
     {{2, 0, 0}, {0, 1, 0}},
     {1, 2},
     {2}},
    {"abc against ca, compute 2",
     u"abc",
     u"ca",
     C2,
     u"a",
     1,
     u"2",
     {{1, 1, 1}, {2, 3, 2}},
     {{0, 1, 0}, {2, 0, 0}},
     {2, 3},
     {1}},
    {"程序设计 against 设计程序, compute 1",
     u"程序设计",
     u"设计程序",
     C1,
     u"设计",
     2,
     u"3",
     {{1, 1, 1}, {5, 3, 3}},
     {{2, 0, 0}, {0, 2, 0}},
     {1, 2},
     {3, 4}},
    {"程序设计 against 设计程序, compute 2",
     u"程序设计",
     u"设计程序",
     C2,
     u"程序",
     2,
     u"3",
     {{1, 1, 1}, {3, 5, 3}},
     {{0, 2, 0}, {2, 0, 0}},
     {3, 4},
     {1, 2}},
    {"ABCBDAB against BDCABA, compute 1",
     u"ABCBDAB",
     u"BDCABA",
     C1,
     u"BDAB",
     4,
     u"22",
     {{1, 1, 1}, {3, 2, 2}, {6, 3, 3}, {8, 6, 5}},
     {{1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {0, 1, 0}},
     {1, 3, 4},
     {3, 6}},
    {"ABCBDAB against BDCABA, compute 2",
     u"ABCBDAB",
     u"BDCABA",
     C2,
     u"BCBA",
     4,
     u"25",
     {{1, 1, 1}, {3, 2, 2}, {4, 4, 3}, {5, 6, 4}, {7, 7, 5}},
     {{1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 0, 0}},
     {1, 5, 7},
     {2, 4}},
    // A character outside the BMP is two positions; only its high halves match here.
    {"😀b against 😁b, compute 1",
     u"😀b",
     u"😁b",
     C1,
     u"\xd83d"
     u"b",
     2,
     u"1",
     {{2, 2, 2}, {4, 4, 3}},
     {{1, 1, 0}, {0, 0, 0}},
     {2},
     {2}},
    // A line break and a non-breaking space are one character each.
    {"a\nb\u00a0c against a b\u00a0c, compute 1",
     u"a\nb\u00a0c",
     u"a b\u00a0c",
     C1,
     u"ab\u00a0c",
     4,
     u"1",
     {{2, 2, 2}, {6, 6, 5}},
     {{1, 1, 0}, {0, 0, 0}},
     {2},
     {2}},
};

TEST(Alignment, WholeComputationsOfBothEngines)
{
    for (const EngineKind engine : {EngineKind::Literal, EngineKind::Fast}) {
        for (const AlignmentCase& c : kCases) {
            const auto name = ::testing::Message() << c.name << ", engine " << int(engine);
            auto run = compute(c.upper, c.lower, c.direction, engine);
            EXPECT_EQ(run.window.text(Box::RT3), c.result) << name;
            EXPECT_EQ(run.state.ResultLength, c.length) << name;
            EXPECT_EQ(run.window.caption(Label::Label4), lengthCaption(c.direction, c.length)) << name;
            EXPECT_EQ(run.window.caption(Label::Label5), c.label5) << name;
            EXPECT_EQ(rowsOf(run.state.MatchTable, run.state.RowCount), c.table) << name;
            EXPECT_EQ(rowsOf(run.state.MatchAux, run.state.RowCount), c.aux) << name;
            EXPECT_EQ(run.state.MatchTable[0], (GapRow{0, 0, 0})) << name;
            EXPECT_EQ(run.window.gapPositions(Box::RT1), c.upperGaps) << name;
            EXPECT_EQ(run.window.gapPositions(Box::RT2), c.lowerGaps) << name;
            EXPECT_EQ(run.state.CurrentRow, run.state.RowCount) << name;
            EXPECT_EQ(run.state.Verdict, 0) << name;
            EXPECT_TRUE(run.state.ModeMark.empty()) << name;
        }
    }
}

TEST(Alignment, LengthCaptions)
{
    EXPECT_EQ(lengthCaption(Direction::Compute1, 4), u"长度①：4");
    EXPECT_EQ(lengthCaption(Direction::Compute2, 0), u"长度②：0");
    EXPECT_EQ(lengthCaption(Direction::Compute2, 32766), u"长度②：32766");
    EXPECT_EQ(decimalText(18446744073709551615ull), u"18446744073709551615");
}

// A window whose yield notes what the action has shown by then.
class YieldWatcher : public RecordingWindow {
public:
    explicit YieldWatcher(const ComparisonState& state) : state_(state) {}
    void yield() override
    {
        RecordingWindow::yield();
        modeMarkAtYield = state_.ModeMark;
        resultAtYield = text(Box::RT3);
        label5AtYield = caption(Label::Label5);
    }
    std::u16string modeMarkAtYield, resultAtYield, label5AtYield;

private:
    const ComparisonState& state_;
};

TEST(Alignment, PublishesResultThenYieldsThenCaptions)
{
    ComparisonState state;
    YieldWatcher window(state);
    window.type(u"ABCBDAB", u"BDCABA");
    state.ModeMark = kNoResultMark;
    state.Text1 = u"ABCBDAB";
    state.Text2 = u"BDCABA";
    state.Len1 = 7;
    state.Len2 = 6;
    Command3_Click(state, window);
    using Op = RecordingWindow::Op;
    const auto& log = window.log();
    ASSERT_GE(log.size(), 6u);
    const std::vector<RecordingWindow::Record> tail(log.end() - 6, log.end());
    const std::vector<RecordingWindow::Record> expected{
        {Op::CollapseSelection, int(Box::RT1), 0, 0, {}},  {Op::CollapseSelection, int(Box::RT2), 0, 0, {}},
        {Op::SetText, int(Box::RT3), 0, 0, u"BDAB"},       {Op::Yield, 0, 0, 0, {}},
        {Op::SetCaption, int(Label::Label5), 0, 0, u"22"}, {Op::SetCaption, int(Label::Label4), 0, 0, u"长度①：4"}};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const auto& r) { return r.op == Op::Yield; }), 1);
    EXPECT_EQ(window.modeMarkAtYield, kNoResultMark);
    EXPECT_EQ(window.resultAtYield, u"BDAB");
    EXPECT_EQ(window.label5AtYield, u"");
    // The colouring of compute 1 on the worked example, in the order the decisions are taken.
    std::vector<RecordingWindow::Record> colouring;
    for (const auto& r : log)
        if (r.op == Op::ColourGap) colouring.push_back(r);
    const std::vector<RecordingWindow::Record> expectedColouring{
        {Op::ColourGap, int(Box::RT2), 0, 0, {}}, {Op::ColourGap, int(Box::RT1), 0, 1, {}},
        {Op::ColourGap, int(Box::RT2), 1, 0, {}}, {Op::ColourGap, int(Box::RT1), 2, 2, {}},
        {Op::ColourGap, int(Box::RT2), 2, 1, {}}, {Op::ColourGap, int(Box::RT2), 5, 1, {}}};
    EXPECT_EQ(colouring, expectedColouring);
}

TEST(Alignment, TextLengthLimit)
{
    const std::u16string longest(32766, u'a'), tooLong(32767, u'a');
    auto accepted = compute(longest, longest, Direction::Compute2);
    EXPECT_EQ(accepted.state.ResultLength, 32766);
    for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
        for (const bool upperTooLong : {true, false}) {
            ComparisonState state;
            RecordingWindow window;
            state.Text1 = upperTooLong ? tooLong : u"";
            state.Text2 = upperTooLong ? u"" : tooLong;
            state.Len1 = static_cast<std::int32_t>(state.Text1.size());
            state.Len2 = static_cast<std::int32_t>(state.Text2.size());
            state.ModeMark = kNoResultMark;
            try {
                Align(state, direction, window);
                ADD_FAILURE() << "a text of 32,767 characters was accepted";
            } catch (const OverflowError& e) {
                EXPECT_EQ(e.limit(), OverflowLimit::TextLength);
            }
            EXPECT_EQ(state.RowCount, 0);
            EXPECT_EQ(state.CurrentRow, 0);
            EXPECT_EQ(state.MatchTable.size(), 1u);
            EXPECT_TRUE(window.log().empty());
            EXPECT_EQ(state.ModeMark, kNoResultMark);
        }
    }
}

TEST(Alignment, CallCountOverflowsExactlyPastTheLimit)
{
    const std::int32_t limit = std::numeric_limits<std::int32_t>::max();
    for (const EngineKind engine : {EngineKind::Literal, EngineKind::Fast}) {
        auto fits = compute(u"ABCBDAB", u"BDCABA", Direction::Compute1, engine, limit - 22);
        EXPECT_EQ(fits.window.caption(Label::Label5), u"2147483647");
        EXPECT_EQ(fits.state.CallCount, limit);
        try {
            compute(u"ABCBDAB", u"BDCABA", Direction::Compute1, engine, limit - 21);
            ADD_FAILURE() << "the count passed the limit silently";
        } catch (const OverflowError& e) {
            EXPECT_EQ(e.limit(), OverflowLimit::CallCount);
        }
    }
}

// Past 300 gaps the first 300 rows stay exact, the colouring stays exact for every
// gap, and the region that the rows describe ends where gap 301 begins. Characters that
// do not occur in Text1 are passed over without a call, so these texts cost nothing.
TEST(Alignment, BeyondThreeHundredGaps)
{
    struct GapCase {
        std::u16string upper, lower;
        Direction direction;
        int gapColumn;
        GapRow recordedEnd;
        std::size_t upperGapCount, lowerGapCount;
    };
    const auto a305 = test::repeated(u"a", 305);
    const auto xa305 = test::repeated(u"xa", 305);
    const GapCase cases[] = {
        {test::repeated(u"a", 400),
         test::repeated(u"xa", 400),
         Direction::Compute1,
         kLowerColumn,
         {301, 601, 301},
         0,
         400},
        {a305 + u"yyy", xa305, Direction::Compute1, kLowerColumn, {301, 601, 301}, 3, 305},
        {a305, xa305 + u"zz", Direction::Compute1, kLowerColumn, {301, 601, 301}, 0, 307},
        {xa305 + u"x", a305 + u"yyy", Direction::Compute2, kUpperColumn, {601, 301, 301}, 306, 3},
    };
    for (const GapCase& c : cases) {
        auto run = compute(c.upper, c.lower, c.direction);
        const auto name = ::testing::Message() << "case " << (&c - cases);
        ASSERT_EQ(run.state.RowCount, 300) << name;
        for (std::int32_t r = 1; r <= 300; ++r) {
            GapRow start{r, r, r}, count{0, 0, 0};
            start[static_cast<std::size_t>(c.gapColumn)] = 2 * r - 1;
            count[static_cast<std::size_t>(c.gapColumn)] = 1;
            ASSERT_EQ(run.state.MatchTable[static_cast<std::size_t>(r)], start) << name << " row " << r;
            ASSERT_EQ(run.state.MatchAux[static_cast<std::size_t>(r)], count) << name << " row " << r;
        }
        EXPECT_EQ(run.state.RecordedEnd, c.recordedEnd) << name;
        EXPECT_EQ(run.window.gapPositions(Box::RT1).size(), c.upperGapCount) << name;
        EXPECT_EQ(run.window.gapPositions(Box::RT2).size(), c.lowerGapCount) << name;
        EXPECT_EQ(run.window.text(Box::RT3), test::repeated(u"a", static_cast<std::size_t>(run.state.ResultLength)))
            << name;
    }
}

}  // namespace
}  // namespace velmora
