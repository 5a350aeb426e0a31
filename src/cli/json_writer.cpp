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
    const std::string utf8 = utf16ToUtf8(text, [](std::string& out, char16_t unit) { out += escapeUnit(unit); });
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += escapeUnit(static_cast<unsigned char>(c));
        } else {
            out += c;
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
