#include "highlight/match_lookup.h"

namespace velmora {
namespace {

int columnOf(Box box)
{
    switch (box) {
    case Box::RT1: return kUpperColumn;
    case Box::RT2: return kLowerColumn;
    case Box::RT3: break;
    }
    return kResultColumn;
}

Box otherInput(Box box) { return box == Box::RT1 ? Box::RT2 : Box::RT1; }

class PlanBuilder {
public:
    PlanBuilder(const ComparisonState& state, std::int16_t row) : state_(state) { plan_.row = row; }

    std::int32_t start(int column) const { return at(state_.MatchTable, column); }
    std::int32_t count(int column) const { return at(state_.MatchAux, column); }
    // Position just after the gap in that column: where the matched run begins.
    std::int32_t runStart(int column) const { return start(column) + count(column); }

    PlanBuilder& select(Box box, std::int32_t start, std::int32_t length)
    {
        plan_.steps.push_back({LookupStep::Kind::Select, box, start, length});
        return *this;
    }
    PlanBuilder& focus(Box box)
    {
        plan_.steps.push_back({LookupStep::Kind::Focus, box, 0, 0});
        return *this;
    }
    PlanBuilder& yield()
    {
        plan_.steps.push_back({LookupStep::Kind::Yield});
        return *this;
    }
    LookupPlan take() { return std::move(plan_); }

private:
    std::int32_t at(const GapTable& table, int column) const
    {
        return table[static_cast<std::size_t>(plan_.row)][static_cast<std::size_t>(column)];
    }

    const ComparisonState& state_;
    LookupPlan plan_;
};

// A click in RT1 or RT2 at 1-based position p.
LookupPlan planInputClick(const ComparisonState& state, Box box, std::int32_t p)
{
    const int column = columnOf(box);
    const Box other = otherInput(box);
    const int otherColumn = columnOf(other);
    PlanBuilder plan(state, findRow(state, column, p));
    const std::int32_t gapStart = plan.start(column);
    if (gapStart <= p && p < plan.runStart(column)) {
        plan.select(box, gapStart - 1, plan.count(column)).yield();
        plan.focus(Box::RT3).select(Box::RT3, plan.start(kResultColumn) - 1, plan.count(kResultColumn)).yield();
        plan.focus(other).select(other, plan.start(otherColumn) - 1, plan.count(otherColumn)).yield();
        return plan.take();
    }
    const std::int32_t k = p - plan.runStart(column);
    plan.select(box, p - 1, 1).yield();
    plan.select(other, plan.runStart(otherColumn) + k - 1, 1).yield();
    plan.select(Box::RT3, plan.runStart(kResultColumn) + k - 1, 1).yield();
    return plan.take();
}

// A left click in RT3 whose selection begins at 1-based position p: the selection shrinks
// to that character, then ShowMatch selects its two sources.
LookupPlan planResultClick(const ComparisonState& state, std::int32_t p)
{
    PlanBuilder plan(state, findRow(state, kResultColumn, p));
    const std::int32_t k = p - plan.runStart(kResultColumn);
    plan.select(Box::RT3, p - 1, 1);
    plan.focus(Box::RT1).select(Box::RT1, plan.runStart(kUpperColumn) + k - 1, 1).yield();
    plan.focus(Box::RT2).yield().select(Box::RT2, plan.runStart(kLowerColumn) + k - 1, 1).yield();
    return plan.take();
}

}  // namespace

std::int16_t findRow(const ComparisonState& state, int column, std::int32_t position)
{
    const std::int16_t bound = state.RowCount;
    std::int16_t row = 1;
    while (row <= bound &&
           state.MatchTable[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] <= position)
        ++row;
    return static_cast<std::int16_t>(row - 1);
}

std::optional<LookupPlan> planClick(const ComparisonState& state, Box box, std::int32_t selStart,
                                    std::int32_t selLength, int button, std::int32_t boxLength)
{
    // SelText is empty unless the selection holds a character of the box: then also
    // selStart + 1 cannot overflow.
    if (!state.resultOnDisplay() || selLength <= 0 || selStart < 0 || selStart >= boxLength) return std::nullopt;
    if (box == Box::RT3 && button != kLeftButton) return std::nullopt;
    if (state.MatchTable.size() <= static_cast<std::size_t>(state.RowCount)) return std::nullopt;
    const std::int32_t p = selStart + 1;
    if (p >= state.RecordedEnd[static_cast<std::size_t>(columnOf(box))]) return std::nullopt;
    return box == Box::RT3 ? planResultClick(state, p) : planInputClick(state, box, p);
}

bool beyondRecordedRegion(const ComparisonState& state, Box box, std::int32_t selStart, std::int32_t selLength,
                          int button, std::int32_t boxLength)
{
    if (!state.resultOnDisplay() || selLength <= 0 || selStart < 0 || selStart >= boxLength) return false;
    if (box == Box::RT3 && button != kLeftButton) return false;
    return selStart + 1 >= state.RecordedEnd[static_cast<std::size_t>(columnOf(box))];
}

void carryOut(const LookupPlan& plan, ComparisonState& state, WindowOperations& window)
{
    state.CurrentRow = plan.row;
    for (const LookupStep& step : plan.steps) {
        switch (step.kind) {
        case LookupStep::Kind::Select: window.select(step.box, step.start, step.length); break;
        case LookupStep::Kind::Focus: window.setFocus(step.box); break;
        case LookupStep::Kind::Yield: window.yield(); break;
        }
    }
}

}  // namespace velmora
