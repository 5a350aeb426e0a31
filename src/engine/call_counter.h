#pragma once
// The running number of invocations of the length function (CallCount), with the
// window's 32-bit limit or, for studying growth, no limit and 64-bit saturation.

#include <cstdint>
#include <limits>

namespace velmora {

class CallCounter {
public:
    static constexpr std::uint64_t kWindowLimit = std::numeric_limits<std::int32_t>::max();
    static constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

    explicit CallCounter(std::uint64_t start = 0, std::uint64_t limit = kWindowLimit);

    // Counts n more invocations. Past the limit this raises the call-count overflow,
    // leaving the counter at the limit as the invocation-by-invocation count would.
    void add(std::uint64_t n);

    std::uint64_t value() const noexcept { return value_; }
    std::uint64_t limit() const noexcept { return limit_; }
    // True once the count went beyond what 64 bits hold (only possible without a limit).
    bool saturated() const noexcept { return saturated_; }

private:
    std::uint64_t value_;
    std::uint64_t limit_;
    bool saturated_ = false;
};

// Adds invocation counts, sticking at the largest 64-bit value instead of wrapping.
inline std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) noexcept
{
    std::uint64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::uint64_t>::max() : sum;
}

}  // namespace velmora
