#pragma once
// Invocation counts that stick at a ceiling instead of wrapping: the engines hold counts
// in 64 bits where a count past the window's limit only has to show that it is past it.

#include <cstdint>
#include <limits>

namespace velmora {

inline constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

// value, or the ceiling if it is larger.
inline constexpr std::uint64_t saturate(unsigned __int128 value, std::uint64_t ceiling = kSaturated) noexcept
{
    return value > ceiling ? ceiling : static_cast<std::uint64_t>(value);
}

inline constexpr std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b,
                                             std::uint64_t ceiling = kSaturated) noexcept
{
    return saturate(static_cast<unsigned __int128>(a) + b, ceiling);
}

inline constexpr std::uint64_t saturatingProduct(std::uint64_t a, std::uint64_t b,
                                                 std::uint64_t ceiling = kSaturated) noexcept
{
    return saturate(static_cast<unsigned __int128>(a) * b, ceiling);
}

}  // namespace velmora
