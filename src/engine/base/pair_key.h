#pragma once
// One pair of remainders (i, j) as one key. Positions run from 1 to one past the end of a
// text of at most 32,766 characters, so each fits in 16 bits and the pair in 32, with no
// key 0 (which a hash may use for an empty slot).

#include <cstdint>
#include <utility>

namespace velmora {

using PairKey = std::uint32_t;

inline constexpr PairKey pairKey(std::int32_t i, std::int32_t j) noexcept
{
    return static_cast<PairKey>(i) << 16 | static_cast<PairKey>(j);
}

inline constexpr std::pair<std::int32_t, std::int32_t> pairOf(PairKey key) noexcept
{
    return {static_cast<std::int32_t>(key >> 16), static_cast<std::int32_t>(key & 0xFFFF)};
}

}  // namespace velmora
