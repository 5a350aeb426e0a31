#pragma once
// The answer to a selection in one of the three boxes after a computation: finds the
// character's gap row and plans what to select in every box, in order.

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/method/comparison_state.h"
#include "engine/method/window_operations.h"

namespace velmora {

struct LookupStep {
    enum class Kind { Select, Focus, Yield };
    Kind kind;
    Box box = Box::RT1;
    std::int32_t start = 0;
    std::int32_t length = 0;
    bool operator==(const LookupStep&) const = default;
};

struct LookupPlan {
    std::int16_t row = 0;  // the row found, which the handler leaves in CurrentRow
    std::vector<LookupStep> steps;
};

inline constexpr int kLeftButton = 1;

// The last gap row that starts at or before position p in the given column (0 if none).
std::int16_t findRow(const ComparisonState& state, int column, std::int32_t position);

// What the MouseUp handler of `box`, which holds boxLength characters, does for a
// selection of selLength characters from the 0-based selStart, released with `button`
// (1 = left). nullopt: the handler does nothing (no result on display, nothing selected,
// which includes a selection that starts at or past the end of the box's text, not the
// left button in RT3, or a character beyond the region that the gap table describes).
std::optional<LookupPlan> planClick(const ComparisonState& state, Box box, std::int32_t selStart,
                                    std::int32_t selLength, int button, std::int32_t boxLength);

// True when planClick ignores the selection only because its character lies at or past
// the end of the region that the gap table describes (a computation with more than 300
// gaps): the window then tells the user why nothing is selected.
bool beyondRecordedRegion(const ComparisonState& state, Box box, std::int32_t selStart, std::int32_t selLength,
                          int button, std::int32_t boxLength);

// Carries a plan out: CurrentRow takes the plan's row, then every step runs in order. The
// plan holds its own positions, so a click answered at one of its yields cannot send the
// rest of this one to another row.
void carryOut(const LookupPlan& plan, ComparisonState& state, WindowOperations& window);

}  // namespace velmora
