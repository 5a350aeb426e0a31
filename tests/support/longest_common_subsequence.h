#pragma once
// The textbook O(nm) longest-common-subsequence programme, in two rows of 16-bit
// lengths: the yardstick that the method's result always equals, and the scale against
// which the exact counts are timed.

#include <cstdint>
#include <string_view>

namespace velmora {

std::int16_t longestCommonSubsequence(std::u16string_view a, std::u16string_view b);

}  // namespace velmora
