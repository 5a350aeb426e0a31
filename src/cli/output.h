#pragma once
// Writing the command's output so that no loss goes unnoticed: a full disk, a closed
// descriptor or a closed pipe is an error with its reason.

#include <string>
#include <string_view>

namespace velmora {

// Writes all of bytes to the descriptor. Returns an empty string on success, otherwise
// the system's reason for the failure.
std::string writeAll(int fd, std::string_view bytes);

}  // namespace velmora
