#include "cli/terminal_progress.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace velmora {
namespace {

constexpr auto kFirstShown = std::chrono::seconds(1);
constexpr auto kRefresh = std::chrono::milliseconds(500);

void writeToTerminal(const std::string& text)
{
    // Straight to the descriptor: the command's own messages go through std::cerr.
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + written, text.size() - written);
        if (n <= 0) return;  // a terminal that went away: the progress is not worth an error
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace

TerminalProgress::TerminalProgress(const ComputationControl& control) : control_(control)
{
    if (::isatty(STDERR_FILENO)) thread_ = std::thread([this] { show(); });
}

TerminalProgress::~TerminalProgress()
{
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    finished_.notify_all();
    thread_.join();
}

std::string TerminalProgress::line(int perMillion, std::uint64_t calls)
{
    char text[96];
    if (perMillion != ComputationControl::kFractionUnknown)
        std::snprintf(text, sizeof text, "velmora-cli: %.1f %% of the pairs counted", perMillion / 10000.0);
    else
        std::snprintf(text, sizeof text, "velmora-cli: %llu invocations counted",
                      static_cast<unsigned long long>(calls));
    return text;
}

void TerminalProgress::show()
{
    std::unique_lock lock(mutex_);
    if (finished_.wait_for(lock, kFirstShown, [this] { return done_; })) return;
    do {
        // \r and erase to the end of the line: the line is rewritten in place.
        std::string text = "\r";  // appended, not "\r" + ...: GCC 12 at -O3 sees a false overlap there
        text += line(control_.fractionPerMillion(), control_.calls());
        text += "\x1b[K";
        writeToTerminal(text);
        shown_ = true;
    } while (!finished_.wait_for(lock, kRefresh, [this] { return done_; }));
    if (shown_) writeToTerminal("\r\x1b[K");
}

}  // namespace velmora
