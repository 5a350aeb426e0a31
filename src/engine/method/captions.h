#pragma once
// The numbers and captions the computation writes into the window's labels.

#include <cstdint>
#include <gmpxx.h>
#include <string>

#include "engine/method/direction.h"

namespace velmora {

// Plain decimal digits, as every number in a label is shown.
std::u16string decimalText(std::uint64_t value);
std::u16string decimalText(const mpz_class& value);

// "长度①：" or "长度②：" followed by the length.
std::u16string lengthCaption(Direction direction, std::int16_t length);

}  // namespace velmora
