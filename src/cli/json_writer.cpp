#include "cli/json_writer.h"

#include <cstdio>

#include "cli/utf.h"

namespace velmora {
namespace {

std::string escapeUnit(unsigned unit)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", unit);
    return buffer;
}

}  // namespace

std::string jsonString(std::u16string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += utf16ToUtf8Lossy(text.substr(i, 2));
            ++i;
        } else if ((unit >= 0xD800 && unit <= 0xDFFF) || unit < 0x20) {
            out += unit == u'\n' ? "\\n" : unit == u'\r' ? "\\r" : unit == u'\t' ? "\\t" : escapeUnit(unit);
        } else if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out + "\"";
}

std::string jsonNumbers(const std::vector<std::int32_t>& numbers)
{
    std::string out = "[";
    for (std::size_t i = 0; i < numbers.size(); ++i) out += (i ? "," : "") + std::to_string(numbers[i]);
    return out + "]";
}

JsonObject& JsonObject::add(std::string_view key, std::string_view json)
{
    if (!body_.empty()) body_ += ',';
    body_ += '"';
    body_ += key;
    body_ += "\":";
    body_ += json;
    return *this;
}

JsonObject& JsonObject::field(std::string_view key, std::u16string_view text) { return add(key, jsonString(text)); }
JsonObject& JsonObject::field(std::string_view key, std::int64_t number) { return add(key, std::to_string(number)); }
JsonObject& JsonObject::fieldUnsigned(std::string_view key, std::uint64_t number)
{
    return add(key, std::to_string(number));
}
JsonObject& JsonObject::field(std::string_view key, bool value) { return add(key, value ? "true" : "false"); }
JsonObject& JsonObject::fieldNull(std::string_view key) { return add(key, "null"); }
JsonObject& JsonObject::fieldRaw(std::string_view key, std::string_view json) { return add(key, json); }

}  // namespace velmora
