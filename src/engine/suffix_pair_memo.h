#pragma once
// Remembers, for a pair of remainders (i, j) of two fixed texts, the length that the
// scan from there finds and the nested invocations it makes. Open addressing keeps the
// memory at what the search visits.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

struct ScanOutcome {
    std::int16_t length = 0;
    std::uint64_t nestedCalls = 0;  // saturating
};

class SuffixPairMemo {
public:
    SuffixPairMemo();
    std::optional<ScanOutcome> find(std::int32_t i, std::int32_t j) const;
    void insert(std::int32_t i, std::int32_t j, const ScanOutcome& outcome);
    std::size_t size() const noexcept { return size_; }
    std::size_t bytes() const noexcept { return slots_.size() * sizeof(Slot); }

private:
    struct Slot {
        std::uint32_t key = 0;  // 0: empty; positions start at 1
        std::int16_t length = 0;
        std::uint64_t nestedCalls = 0;
    };
    static std::uint32_t keyOf(std::int32_t i, std::int32_t j);
    std::size_t slotOf(std::uint32_t key) const;
    void grow();

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

}  // namespace velmora
