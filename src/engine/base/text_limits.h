#pragma once
// The longest text the method accepts: every remainder is taken with the length
// max(Len1, Len2) + 1, held in 16 bits.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/base/checked_arithmetic.h"

namespace velmora {

inline constexpr std::int32_t kLongestText = 32766;

// Raises the text-length overflow unless remainders of these lengths can be taken.
inline void checkTextLengths(std::size_t first, std::size_t second)
{
    if (std::max(first, second) > static_cast<std::size_t>(kLongestText))
        throw OverflowError(OverflowLimit::TextLength);
}

}  // namespace velmora
