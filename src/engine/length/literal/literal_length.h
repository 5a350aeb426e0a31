#pragma once
// CommonLength: the counted, recursive look-ahead that measures a common subsequence of
// two strings. The literal version carries out every invocation one by one; it is the
// reference for the fast engine.

#include <cstdint>
#include <string_view>

#include "engine/length/call_counter.h"

namespace velmora {

// Invocation-by-invocation search. Adds each invocation to counter; raises OverflowError
// for a string over 32,766 characters or a count past the counter's limit. Runs on a
// large stack of its own, so any accepted length nests safely.
std::int16_t CommonLength(std::u16string_view first, std::u16string_view second, CallCounter& counter);

// The same search, for trying it first where it may well be cheaper than any set-up: it
// gives up, throwing LiteralWorkExceeded, once it has taken more than `work` steps (a
// character compared or looked for; an invocation counts as sixteen) or nests deeper
// than any thread's stack allows. Either way `work` is left with what remains of it.
struct LiteralWorkExceeded {};
std::int16_t CommonLengthWithin(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                std::uint64_t& work);

}  // namespace velmora
