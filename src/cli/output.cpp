#include "cli/output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace velmora {

std::string writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return std::strerror(errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c)
{
    if (!traits_type::eq_int_type(c, traits_type::eof())) pending_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

std::streamsize DescriptorOutput::xsputn(const char* bytes, std::streamsize count)
{
    pending_.append(bytes, static_cast<std::size_t>(count));
    return count;
}

int DescriptorOutput::sync()
{
    if (!failure_.empty()) return -1;
    failure_ = writeAll(fd_, pending_);
    pending_.clear();
    return failure_.empty() ? 0 : -1;
}

}  // namespace velmora
