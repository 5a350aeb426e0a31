#pragma once
// Reading a text for the command line from a file: at most what the longest accepted
// text can take in UTF-8, strictly decoded to UTF-16.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace velmora {

// A 32,766-unit text takes at most 3 bytes per unit in UTF-8 (a 4-byte character is two
// units), so a longer file cannot hold an accepted text.
inline constexpr std::size_t kLongestTextBytes = 3 * 32766;

class TextFileError : public std::runtime_error {
public:
    enum class Kind { Unreadable, InvalidUtf8, TooLong };
    TextFileError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// The file's text. Reads at most one byte past the bound, so that a device or a huge
// file is refused at once. Every failure names the file and says why.
std::u16string readTextFile(const std::string& path);

}  // namespace velmora
