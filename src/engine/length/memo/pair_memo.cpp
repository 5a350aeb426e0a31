#include "engine/length/memo/pair_memo.h"

#include <algorithm>

#include "engine/base/pair_key.h"

namespace velmora {
PairMemo::PairMemo(std::int32_t firstLength, std::int32_t secondLength, std::size_t mostDenseCells)
    : secondLength_(static_cast<std::size_t>(std::max(secondLength, 0)))
{
    const std::size_t cells = static_cast<std::size_t>(std::max(firstLength, 0)) * secondLength_;
    if (cells <= mostDenseCells) {
        lengths_ = LargeTable<std::uint16_t>(cells + 1);
        calls_ = LargeTable<std::uint64_t>(cells + 1);
    } else {
        slots_.resize(1024);
    }
}

std::size_t PairMemo::cellOf(std::int32_t i, std::int32_t j) const
{
    return static_cast<std::size_t>(i - 1) * secondLength_ + static_cast<std::size_t>(j - 1);
}

// Pairs of one column a few rows apart share a cache line: a scan's candidates, and the
// skipped characters it weighs against one partner, lie next to each other in the first
// text. Each group of kLineSlots rows has one home line and probes on from there.
std::size_t PairMemo::slotOf(std::uint32_t key) const
{
    const std::size_t mask = slots_.size() - 1;
    const auto [i, j] = pairOf(key);
    std::uint64_t h = pairKey(i / static_cast<std::int32_t>(kLineSlots),
                              j);  // a full 64-bit mix, so that neighbouring groups spread out
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    std::size_t slot = (static_cast<std::size_t>(h) & mask & ~std::size_t{kLineSlots - 1}) |
                       static_cast<std::uint32_t>(i) % kLineSlots;
    while (slots_[slot].key != 0 && slots_[slot].key != key) slot = (slot + 1) & mask;
    return slot;
}

std::optional<ScanOutcome> PairMemo::find(std::int32_t i, std::int32_t j) const
{
    if (lengths_) {
        const std::size_t cell = cellOf(i, j);
        if (lengths_[cell] == 0) return std::nullopt;
        return ScanOutcome{static_cast<std::int16_t>(lengths_[cell] - 1), calls_[cell]};
    }
    const Slot& slot = slots_[slotOf(pairKey(i, j))];
    if (slot.key == 0) return std::nullopt;
    return ScanOutcome{slot.length, slot.nestedCalls};
}

void PairMemo::insert(std::int32_t i, std::int32_t j, const ScanOutcome& outcome)
{
    if (lengths_) {
        const std::size_t cell = cellOf(i, j);
        size_ += lengths_[cell] == 0;
        lengths_[cell] = static_cast<std::uint16_t>(outcome.length + 1);
        calls_[cell] = outcome.nestedCalls;
        return;
    }
    if ((size_ + 1) * 2 > slots_.size()) grow();
    const std::uint32_t key = pairKey(i, j);
    Slot& slot = slots_[slotOf(key)];
    if (slot.key == 0) ++size_;
    slot = {key, outcome.length, outcome.nestedCalls};
}

void PairMemo::grow()
{
    std::vector<Slot, TableAllocator<Slot>> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.key != 0) slots_[slotOf(slot.key)] = slot;
}

}  // namespace velmora
