#pragma once
// Remembers, for a pair of remainders (i, j) of two fixed texts, the length that the
// scan from there finds and the nested invocations it makes. Short texts get a table
// indexed by the pair, whose pages the system provides only where the search writes;
// long ones an open-addressing hash, so that memory stays at what the search visits.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "engine/base/large_tables.h"
#include "engine/length/engine_tuning.h"

namespace velmora {

struct ScanOutcome {
    std::int16_t length = 0;
    std::uint64_t nestedCalls = 0;  // saturating
};

class PairMemo {
public:
    // Pairs have 1 <= i <= firstLength and 1 <= j <= secondLength. More pairs than
    // mostDenseCells are kept in the hash.
    PairMemo(std::int32_t firstLength, std::int32_t secondLength,
             std::size_t mostDenseCells = EngineTuning::kMostDenseCells);
    bool hashed() const { return !lengths_; }
    // The pairs remembered so far.
    std::size_t size() const { return size_; }
    std::optional<ScanOutcome> find(std::int32_t i, std::int32_t j) const;
    void insert(std::int32_t i, std::int32_t j, const ScanOutcome& outcome);

private:
    struct Slot {
        std::uint32_t key = 0;  // 0: empty; positions start at 1
        std::int16_t length = 0;
        std::uint64_t nestedCalls = 0;
    };
    static constexpr std::uint32_t kLineSlots = 64 / sizeof(Slot);
    std::size_t slotOf(std::uint32_t key) const;
    std::size_t cellOf(std::int32_t i, std::int32_t j) const;
    void grow();

    std::size_t secondLength_;
    // Dense table: length + 1 (0: not yet known) and nested calls per pair.
    LargeTable<std::uint16_t> lengths_;
    LargeTable<std::uint64_t> calls_;
    // The hash, when the table would be too large; its slots in whole cache lines.
    std::vector<Slot, TableAllocator<Slot>> slots_;
    std::size_t size_ = 0;
};

}  // namespace velmora
