#include "engine/base/checked_arithmetic.h"

namespace velmora {
namespace {

const char* describe(OverflowLimit limit)
{
    switch (limit) {
    case OverflowLimit::TextLength: return "a text is longer than 32,766 characters";
    case OverflowLimit::CallCount: return "the length function was invoked more than 2,147,483,647 times";
    case OverflowLimit::Arithmetic: break;
    }
    return "a value of the computation overflowed";
}

}  // namespace

OverflowError::OverflowError(OverflowLimit limit) : std::runtime_error(describe(limit)), limit_(limit) {}

}  // namespace velmora
