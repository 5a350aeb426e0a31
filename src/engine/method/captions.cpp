#include "engine/method/captions.h"

#include <string>

namespace velmora {

std::u16string decimalText(std::uint64_t value)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string decimalText(const mpz_class& value)
{
    const std::string digits = value.get_str();
    return {digits.begin(), digits.end()};
}

std::u16string lengthCaption(Direction direction, std::int16_t length)
{
    std::u16string caption = direction == Direction::Compute1 ? u"长度①：" : u"长度②：";
    if (length < 0) caption += u'-';
    caption += decimalText(static_cast<std::uint64_t>(length < 0 ? -int32_t{length} : int32_t{length}));
    return caption;
}

}  // namespace velmora
