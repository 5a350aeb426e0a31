#pragma once
// The alignment's look-ahead makes one take call per candidate, and once a candidate is
// rejected every later one is too. A long run of later candidates can be weighed as a
// whole, given what the skipped characters of the rejected candidate gave: the
// invocations of all the run's calls, and the last candidate's take and skip lengths.

#include <cstdint>

#include "engine/length/skip_profile.h"

namespace velmora {

struct RejectedCandidates {
    std::int32_t j, candidate;  // column, and the first candidate of the run
    const SkipProfile& skips;
};

struct RunWeight {
    std::uint64_t calls;  // saturating
    std::int16_t lastTakeLength, lastSkipLength;
    std::int32_t candidates;
};

}  // namespace velmora
