#pragma once
// The greedy alignment behind "计算1" and "计算2": walks Text1 against Text2, builds the
// common subsequence, the gap table and the colouring of both boxes, and publishes the
// result, its length and the call count through the window operations.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/length/call_counter.h"
#include "engine/length/length_engine.h"
#include "engine/method/captions.h"
#include "engine/method/comparison_state.h"
#include "engine/method/direction.h"
#include "engine/method/window_operations.h"

namespace velmora {

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
    // An engine on the captured texts to use, and to keep what it learns for questions after
    // the computation (its kind and tuning stand, not the ones above); none: a new one.
    std::shared_ptr<LengthEngine> lengths;
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

// The hidden engine button of "计算1"; "计算2" aligns with Direction::Compute2.
inline void Command3_Click(ComparisonState& state, WindowOperations& window)
{
    Align(state, Direction::Compute1, window);
}

}  // namespace velmora
