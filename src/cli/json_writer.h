#pragma once
// A one-line JSON writer for the command's output, one function per JSON type, so that
// a value can only be written as what it is. Strings are UTF-8; a lone surrogate of a
// result is written as a \u escape so that no code unit is lost.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace velmora {

class JsonArray {
public:
    JsonArray& text(std::u16string_view value);
    JsonArray& integer(std::int64_t value);
    JsonArray& number(double value);
    JsonArray& array(const JsonArray& value);
    template <class T>
    requires(!std::is_integral_v<T> ||
             std::is_same_v<T, bool>) JsonArray& integer(T) = delete;  // no silent conversion of other types to numbers
    std::string json() const { return elements_ + "]"; }

private:
    JsonArray& add(std::string_view element);
    std::string elements_ = "[";
};

class JsonObject {
public:
    JsonObject& text(std::string_view key, std::u16string_view value);
    JsonObject& integer(std::string_view key, std::int64_t value);
    // An exact integer of any size, given by its decimal digits (an optional minus sign).
    JsonObject& bigInteger(std::string_view key, std::string_view digits);
    JsonObject& number(std::string_view key, double value);
    JsonObject& boolean(std::string_view key, bool value);
    JsonObject& null(std::string_view key);
    JsonObject& array(std::string_view key, const JsonArray& value);
    JsonObject& integers(std::string_view key, const std::vector<std::int32_t>& values);

    // Only the exact type: a string literal must not become true, nor a pointer a number.
    template <class T>
    requires(!std::is_same_v<T, bool>) JsonObject& boolean(std::string_view, T) = delete;
    template <class T>
    requires(!std::is_integral_v<T> || std::is_same_v<T, bool>) JsonObject& integer(std::string_view, T) = delete;

    std::string str() const { return "{" + body_ + "}"; }

private:
    JsonObject& add(std::string_view key, std::string_view json);
    std::string body_;
};

std::string jsonString(std::u16string_view text);

}  // namespace velmora
