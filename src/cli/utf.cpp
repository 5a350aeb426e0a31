#include "cli/utf.h"

namespace velmora {
namespace {

struct Decoded {
    char32_t codePoint;
    std::size_t length;  // 0: invalid
};

Decoded decodeOne(std::string_view bytes, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    std::size_t length;
    char32_t cp, minimum;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (at + length > bytes.size()) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {0, 0};
        cp = cp << 6 | (byte(at + i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
    return {cp, length};
}

}  // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view bytes, std::size_t* faultOffset)
{
    std::u16string units;
    units.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const Decoded d = decodeOne(bytes, at);
        if (d.length == 0) {
            if (faultOffset) *faultOffset = at;
            return std::nullopt;
        }
        if (d.codePoint >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((d.codePoint - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((d.codePoint - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(d.codePoint);
        }
        at += d.length;
    }
    return units;
}

std::string utf16ToUtf8Lossy(std::u16string_view units)
{
    return utf16ToUtf8(units, [](std::string& out, char16_t) { appendUtf8(out, 0xFFFD); });
}

}  // namespace velmora
