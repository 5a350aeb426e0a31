#pragma once
// A one-line JSON object writer for the command's output. Strings are UTF-8; a lone
// surrogate of a result is written as a \u escape so that no code unit is lost.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class JsonObject {
public:
    JsonObject& field(std::string_view key, std::u16string_view text);
    JsonObject& field(std::string_view key, std::int64_t number);
    JsonObject& fieldUnsigned(std::string_view key, std::uint64_t number);
    JsonObject& field(std::string_view key, bool value);
    JsonObject& fieldNull(std::string_view key);
    // A value already written as JSON (an array, for instance).
    JsonObject& fieldRaw(std::string_view key, std::string_view json);
    std::string str() const { return "{" + body_ + "}"; }

private:
    JsonObject& add(std::string_view key, std::string_view json);
    std::string body_;
};

std::string jsonString(std::u16string_view text);
std::string jsonNumbers(const std::vector<std::int32_t>& numbers);

}  // namespace velmora
