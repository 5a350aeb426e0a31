#pragma once
// The running number of invocations of the length function (CallCount): with the
// window's 32-bit limit, or without a limit and exact at any size (64-bit arithmetic
// while the count fits, a GMP integer beyond).

#include <cstdint>
#include <gmpxx.h>
#include <limits>
#include <optional>
#include <string>

#include "engine/base/computation_control.h"
#include "engine/base/saturating.h"

namespace velmora {

class CallCounter {
public:
    static constexpr std::uint64_t kWindowLimit = std::numeric_limits<std::int32_t>::max();
    static constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

    explicit CallCounter(std::uint64_t start = 0, std::uint64_t limit = kWindowLimit,
                         ComputationControl* control = nullptr);

    // Counts n more invocations. Past a limit this raises the call-count overflow, leaving
    // the counter at the limit as the invocation-by-invocation count would. Checks for a
    // cancel request now and then.
    void add(std::uint64_t n)
    {
        std::uint64_t sum;
        if (__builtin_add_overflow(value_, n, &sum) || sum > limit_) return addPastLimit(n);
        value_ = sum;
        // A relaxed load each time: an add can stand for long work, and a cancel request
        // must take effect within milliseconds.
        if (control_ && (control_->cancelRequested() || ++sinceCheck_ >= kCheckEvery)) check();
    }
    void add(const mpz_class& n);
    // Raises the call-count overflow now, leaving the counter at its limit, as adding past
    // it does: for a part of the whole count, counted elsewhere, that has passed the limit.
    // Only for counters with a limit.
    [[noreturn]] void passLimit();

    bool hasLimit() const noexcept { return limit_ != kNoLimit; }
    std::uint64_t limit() const noexcept { return limit_; }
    // The count while it fits in 64 bits.
    std::optional<std::uint64_t> value64() const;
    // The count, exactly.
    mpz_class exact() const;
    std::string decimal() const { return exact().get_str(); }
    // The count as 64 bits hold it; only for counters with a limit, which never pass it.
    std::uint64_t value() const noexcept { return value_; }

    ComputationControl* control() const noexcept { return control_; }

private:
    static constexpr unsigned kCheckEvery = 4096;
    void addPastLimit(std::uint64_t n);
    void check();

    std::uint64_t value_;
    std::uint64_t limit_;
    mpz_class beyond_;  // without a limit: what has passed the 64-bit part
    ComputationControl* control_;
    unsigned sinceCheck_ = 0;
};

// The value of an exact count, for the 64-bit and the GMP sides.
mpz_class toMpz(std::uint64_t value);

}  // namespace velmora
