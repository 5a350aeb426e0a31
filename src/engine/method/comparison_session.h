#pragma once
// The comparison state with the operations that every face (window, command line,
// tests, benchmarks, fuzzer) performs on it in the same way: start-up, capturing the two
// texts for a direction, and the resets of edit and clear.

#include <string>
#include <string_view>

#include "engine/method/alignment.h"
#include "engine/method/comparison_state.h"

namespace velmora {

class ComparisonSession {
public:
    ComparisonState& state() { return state_; }
    const ComparisonState& state() const { return state_; }

    // The window's Load: no row exists yet, and no result is on display.
    void start();

    // Capturing for a computation, in the order the compute buttons take it: Text1 from
    // the box that leads in this direction, then Text2 from the other, then both lengths.
    // The window lets pending events run between these steps.
    static bool upperLeads(Direction direction) { return direction == Direction::Compute1; }
    void captureText1(std::u16string_view text) { state_.Text1.assign(text); }
    void captureText2(std::u16string_view text) { state_.Text2.assign(text); }
    void takeLengths();
    // All three steps at once, for the faces that have nothing to run in between.
    void capture(Direction direction, std::u16string_view upper, std::u16string_view lower);

    // Captures and runs one computation, as a press of "计算1" or "计算2" does.
    AlignmentReport compute(Direction direction, std::u16string_view upper, std::u16string_view lower,
                            WindowOperations& window, const AlignmentOptions& options = {});

    // "编辑文本": the call count is cleared, the captured texts dropped and no result is on
    // display any more. The rows, their counters and the lengths stay.
    void edit();
    // "清除": only the call count is cleared.
    void clear() { state_.CallCount = 0; }

private:
    ComparisonState state_;
};

}  // namespace velmora
