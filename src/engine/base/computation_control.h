#pragma once
// The link between a running computation and whoever waits for it on another thread:
// a cancel request that the engines check often, and their progress.

#include <atomic>
#include <cstdint>
#include <stdexcept>

namespace velmora {

// Raised inside a computation once cancel() was requested; nothing of its result is kept.
class CancelledError : public std::runtime_error {
public:
    CancelledError() : std::runtime_error("the computation was cancelled") {}
};

class ComputationControl {
public:
    static constexpr int kFractionUnknown = -1;

    void cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelRequested() const noexcept { return cancelled_.load(std::memory_order_relaxed); }
    void throwIfCancelled() const
    {
        if (cancelRequested()) throw CancelledError();
    }

    // Invocations counted so far (as far as 64 bits hold them). Two evaluation orders may
    // take turns and each counts a part of the whole, so the larger report stands.
    void reportCalls(std::uint64_t calls) noexcept
    {
        if (calls > calls_.load(std::memory_order_relaxed)) calls_.store(calls, std::memory_order_relaxed);
    }
    std::uint64_t calls() const noexcept { return calls_.load(std::memory_order_relaxed); }

    // Parts per million done, where the evaluation order gives one; kFractionUnknown otherwise.
    void reportFraction(int perMillion) noexcept { perMillion_.store(perMillion, std::memory_order_relaxed); }
    int fractionPerMillion() const noexcept { return perMillion_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<std::uint64_t> calls_{0};
    std::atomic<int> perMillion_{kFractionUnknown};
};

}  // namespace velmora
