#pragma once
// How far a long computation has come, shown on stderr while stderr is a terminal: one
// line, rewritten twice a second once the computation has run for a second, and cleared
// when it ends. Nothing is written where stderr is a file or a pipe.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/base/computation_control.h"

namespace velmora {

class TerminalProgress {
public:
    explicit TerminalProgress(const ComputationControl& control);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // The line for a fraction in parts per million (kFractionUnknown: none) and the
    // invocations counted so far.
    static std::string line(int perMillion, std::uint64_t calls);

private:
    void show();

    const ComputationControl& control_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool shown_ = false;
    std::thread thread_;
};

}  // namespace velmora
