#include "engine/suffix_pair_memo.h"

namespace velmora {

SuffixPairMemo::SuffixPairMemo() : slots_(64) {}

std::uint32_t SuffixPairMemo::keyOf(std::int32_t i, std::int32_t j)
{
    return static_cast<std::uint32_t>(i) << 16 | static_cast<std::uint32_t>(j);
}

std::size_t SuffixPairMemo::slotOf(std::uint32_t key) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = (key * 0x9E3779B97F4A7C15ull >> 29) & mask;
    while (slots_[slot].key != 0 && slots_[slot].key != key) slot = (slot + 1) & mask;
    return slot;
}

std::optional<ScanOutcome> SuffixPairMemo::find(std::int32_t i, std::int32_t j) const
{
    const Slot& slot = slots_[slotOf(keyOf(i, j))];
    if (slot.key == 0) return std::nullopt;
    return ScanOutcome{slot.length, slot.nestedCalls};
}

void SuffixPairMemo::insert(std::int32_t i, std::int32_t j, const ScanOutcome& outcome)
{
    if ((size_ + 1) * 2 > slots_.size()) grow();
    const std::uint32_t key = keyOf(i, j);
    Slot& slot = slots_[slotOf(key)];
    if (slot.key == 0) ++size_;
    slot = {key, outcome.length, outcome.nestedCalls};
}

void SuffixPairMemo::grow()
{
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.key != 0) slots_[slotOf(slot.key)] = slot;
}

}  // namespace velmora
