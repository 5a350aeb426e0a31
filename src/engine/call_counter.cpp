#include "engine/call_counter.h"

#include "engine/checked_arithmetic.h"

namespace velmora {

CallCounter::CallCounter(std::uint64_t start, std::uint64_t limit) : value_(start), limit_(limit) {}

void CallCounter::add(std::uint64_t n)
{
    std::uint64_t sum;
    const bool wrapped = __builtin_add_overflow(value_, n, &sum);
    if (limit_ != kNoLimit && (wrapped || sum > limit_)) {
        value_ = limit_;
        throw OverflowError(OverflowLimit::CallCount);
    }
    if (wrapped) {
        value_ = kNoLimit;
        saturated_ = true;
        return;
    }
    value_ = sum;
}

}  // namespace velmora
