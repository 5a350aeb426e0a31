#include "cli/json_writer.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "cli/utf.h"

namespace velmora {
namespace {

std::string escapeUnit(unsigned unit)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", unit);
    return buffer;
}

bool isDecimalInteger(std::string_view digits)
{
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) return false;
    for (const char c : digits)
        if (c < '0' || c > '9') return false;
    return true;
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
    out += '"';
    return out;
}

JsonArray& JsonArray::add(std::string_view element)
{
    if (elements_.size() > 1) elements_ += ',';
    elements_ += element;
    return *this;
}

JsonArray& JsonArray::text(std::u16string_view value) { return add(jsonString(value)); }
JsonArray& JsonArray::integer(std::int64_t value) { return add(std::to_string(value)); }
JsonArray& JsonArray::array(const JsonArray& value) { return add(value.json()); }

JsonObject& JsonObject::add(std::string_view key, std::string_view json)
{
    if (!body_.empty()) body_ += ',';
    body_ += '"';
    body_ += key;
    body_ += "\":";
    body_ += json;
    return *this;
}

JsonObject& JsonObject::text(std::string_view key, std::u16string_view value) { return add(key, jsonString(value)); }
JsonObject& JsonObject::integer(std::string_view key, std::int64_t value) { return add(key, std::to_string(value)); }

JsonObject& JsonObject::bigInteger(std::string_view key, std::string_view digits)
{
    if (!isDecimalInteger(digits)) throw std::invalid_argument("not a decimal integer");
    return add(key, digits);
}

JsonArray& JsonArray::number(double value)
{
    if (!std::isfinite(value)) return add("null");
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return add(buffer);
}

JsonObject& JsonObject::number(std::string_view key, double value)
{
    if (!std::isfinite(value)) return null(key);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return add(key, buffer);
}

JsonObject& JsonObject::boolean(std::string_view key, bool value) { return add(key, value ? "true" : "false"); }
JsonObject& JsonObject::null(std::string_view key) { return add(key, "null"); }
JsonObject& JsonObject::array(std::string_view key, const JsonArray& value) { return add(key, value.json()); }

JsonObject& JsonObject::integers(std::string_view key, const std::vector<std::int32_t>& values)
{
    JsonArray array;
    for (const std::int32_t v : values) array.integer(v);
    return add(key, array.json());
}

}  // namespace velmora
