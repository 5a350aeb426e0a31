#pragma once
// Integer arithmetic of the comparison engine: every addition and subtraction on the
// method's 16- and 32-bit values detects overflow, and an overflow is an error of its own.

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace velmora {

// Which limit of the method a computation ran into.
enum class OverflowLimit {
    TextLength,  // a text longer than 32,766 characters
    CallCount,   // more than 2,147,483,647 invocations of the length function
    Arithmetic,  // any other value outside its width (not reachable within the two limits above)
};

class OverflowError : public std::runtime_error {
public:
    explicit OverflowError(OverflowLimit limit);
    OverflowLimit limit() const noexcept { return limit_; }

private:
    OverflowLimit limit_;
};

template <class T>
T checkedAdd(T a, T b, OverflowLimit limit = OverflowLimit::Arithmetic)
{
    T sum;
    if (__builtin_add_overflow(a, b, &sum)) throw OverflowError(limit);
    return sum;
}

template <class T>
T checkedSub(T a, T b, OverflowLimit limit = OverflowLimit::Arithmetic)
{
    T difference;
    if (__builtin_sub_overflow(a, b, &difference)) throw OverflowError(limit);
    return difference;
}

// Takes a value as a narrower integer, as the method does when it stores a length in 16 bits.
template <class T, class U>
T narrowTo(U value, OverflowLimit limit = OverflowLimit::Arithmetic)
{
    if (value < static_cast<U>(0)
            ? static_cast<long long>(value) < static_cast<long long>(std::numeric_limits<T>::min())
            : static_cast<unsigned long long>(value) > static_cast<unsigned long long>(std::numeric_limits<T>::max()))
        throw OverflowError(limit);
    return static_cast<T>(value);
}

}  // namespace velmora
