#pragma once
// The longest text the method accepts: every remainder is taken with the length
// max(Len1, Len2) + 1, held in 16 bits.

#include <cstdint>

namespace velmora {

inline constexpr std::int32_t kLongestText = 32766;

}  // namespace velmora
