#pragma once
// Writing the command's output so that no loss goes unnoticed: a full disk, a closed
// descriptor or a closed pipe is an error with its reason.

#include <streambuf>
#include <string>
#include <string_view>

namespace velmora {

// Writes all of bytes to the descriptor. Returns an empty string on success, otherwise
// the system's reason for the failure.
std::string writeAll(int fd, std::string_view bytes);

// An output that reaches the descriptor whenever it is flushed, and otherwise at the end:
// a command that streams (growth, a line per point) flushes each line, so that an
// interrupted run keeps what it had done. A failed write makes the flush fail, and
// failure() gives the reason.
class DescriptorOutput : public std::streambuf {
public:
    explicit DescriptorOutput(int fd) : fd_(fd) {}
    const std::string& failure() const { return failure_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    int fd_;
    std::string pending_, failure_;
};

}  // namespace velmora
