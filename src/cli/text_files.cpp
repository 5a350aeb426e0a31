#include "cli/text_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/utf.h"

namespace velmora {
namespace {

[[noreturn]] void unreadable(const std::string& path, int error)
{
    throw TextFileError(TextFileError::Kind::Unreadable, "cannot read file " + path + ": " + std::strerror(error));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Up to `limit` bytes of the file; the caller sees from the size whether there was more.
std::string readAtMost(const std::string& path, std::size_t limit)
{
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) unreadable(path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) unreadable(path, errno);
    if (S_ISDIR(info.st_mode)) unreadable(path, EISDIR);

    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled, limit - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) unreadable(path, errno);
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

std::u16string readTextFile(const std::string& path)
{
    const std::string bytes = readAtMost(path, kLongestTextBytes + 1);
    if (bytes.size() > kLongestTextBytes)
        throw TextFileError(TextFileError::Kind::TooLong,
                            "file " + path + " is too long: more than " + std::to_string(kLongestTextBytes) +
                                " bytes cannot hold a text of at most 32,766 characters (UTF-16 code units)");
    std::size_t fault = 0;
    auto text = utf8ToUtf16(bytes, &fault);
    if (!text)
        throw TextFileError(TextFileError::Kind::InvalidUtf8,
                            "file " + path + " is not valid UTF-8 (byte " + std::to_string(fault) + ")");
    return std::move(*text);
}

}  // namespace velmora
