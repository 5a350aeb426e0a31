#include "engine/length/call_counter.h"

#include "engine/base/checked_arithmetic.h"

namespace velmora {

mpz_class toMpz(std::uint64_t value)
{
    mpz_class result;
    mpz_import(result.get_mpz_t(), 1, 1, sizeof value, 0, 0, &value);
    return result;
}

CallCounter::CallCounter(std::uint64_t start, std::uint64_t limit, ComputationControl* control)
    : value_(start),
      limit_(limit),
      control_(control)
{
}

void CallCounter::passLimit()
{
    value_ = limit_;
    throw OverflowError(OverflowLimit::CallCount);
}

void CallCounter::addPastLimit(std::uint64_t n)
{
    if (hasLimit()) passLimit();
    // No limit: the 64-bit part wrapped; carry 2^64 into the exact part.
    value_ += n;
    beyond_ += toMpz(std::numeric_limits<std::uint64_t>::max());
    beyond_ += 1;
    if (control_) check();
}

void CallCounter::add(const mpz_class& n)
{
    if (n.fits_ulong_p()) return add(static_cast<std::uint64_t>(n.get_ui()));
    if (hasLimit()) passLimit();
    beyond_ += n;
    if (control_) check();
}

std::optional<std::uint64_t> CallCounter::value64() const
{
    if (beyond_ != 0) return std::nullopt;
    return value_;
}

mpz_class CallCounter::exact() const { return beyond_ + toMpz(value_); }

void CallCounter::check()
{
    sinceCheck_ = 0;
    control_->reportCalls(beyond_ == 0 ? value_ : kNoLimit);
    control_->throwIfCancelled();
}

}  // namespace velmora
