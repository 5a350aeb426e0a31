#pragma once
// The pairs whose counts a sweep hands back, arranged the way it meets them.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace velmora::sweep {

// Per column, the rows to count, bottom first, each with the index of its pair.
using QueriedPairs = std::vector<std::vector<std::pair<std::int32_t, std::size_t>>>;

}  // namespace velmora::sweep
