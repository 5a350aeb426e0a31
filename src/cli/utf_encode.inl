#pragma once

namespace velmora {

inline void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

template <class OnLoneSurrogate>
std::string utf16ToUtf8(std::u16string_view units, OnLoneSurrogate onLoneSurrogate)
{
    std::string out;
    out.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{units[i + 1]} - 0xDC00));
            ++i;
        } else if (high || low) {
            onLoneSurrogate(out, unit);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace velmora
