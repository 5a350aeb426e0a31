#pragma once
// The greedy alignment behind "计算1" and "计算2": walks Text1 against Text2, builds the
// common subsequence, the gap table and the colouring of both boxes, and publishes the
// result, its length and the call count through the window operations.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/call_counter.h"
#include "engine/comparison_state.h"
#include "engine/remainder_lengths.h"
#include "engine/window_operations.h"

namespace velmora {

// Compute1: Text1 is the upper text (RT1); Compute2: Text1 is the lower text (RT2).
enum class Direction { Compute1, Compute2 };

// One call of CommonLength made by the alignment itself, as a study tool sees it.
struct AlignmentCall {
    enum class Role { Take, Skip };
    enum class Verdict { Standing, Accepted, Rejected };
    Role role;
    std::int32_t pos1, pos2;  // the remainders Text1[pos1..] and Text2[pos2..]
    std::int32_t offset;      // the candidate lies at Pos1 + offset
    std::int16_t skipped;     // k, the skipped character weighed (skip calls only)
    std::int16_t result;
    Verdict verdict;  // what the candidate was after this call
};

struct AlignmentOptions {
    EngineKind engine = EngineKind::Fast;
    std::uint64_t callLimit = CallCounter::kWindowLimit;  // CallCounter::kNoLimit to study growth
    ComputationControl* control = nullptr;                // cancel requests and progress
    EngineTuning tuning{};
    // Told of every call the alignment makes, in order, once its verdict is known.
    std::function<void(const AlignmentCall&)> onCall;
};

struct AlignmentReport {
    mpz_class calls;  // CallCount at the end, exact at any size
};

// Runs one computation on the captured Text1/Text2 (Len1/Len2 set by the caller).
// Raises OverflowError for a text over 32,766 characters or a call count past the limit,
// and CancelledError once the control asks for it; the window operations issued before
// that have taken effect.
AlignmentReport Align(ComparisonState& state, Direction direction, WindowOperations& window,
                      const AlignmentOptions& options = {});

// The two hidden engine buttons.
inline void Command3_Click(ComparisonState& state, WindowOperations& window)
{
    Align(state, Direction::Compute1, window);
}
inline void Command5_Click(ComparisonState& state, WindowOperations& window)
{
    Align(state, Direction::Compute2, window);
}

// Plain decimal digits, as every number in a label is shown.
std::u16string decimalText(std::uint64_t value);
std::u16string decimalText(const mpz_class& value);

// "长度①：" or "长度②：" followed by the length.
std::u16string lengthCaption(Direction direction, std::int16_t length);

}  // namespace velmora
