#include "engine/suffix_pair_memo.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace velmora {
namespace {

template <class T>
T* zeroedArray(std::size_t count)
{
    void* memory = std::calloc(count, sizeof(T));
    if (!memory) throw std::bad_alloc();
    return static_cast<T*>(memory);
}

}  // namespace

void SuffixPairMemo::Free::operator()(void* p) const noexcept { std::free(p); }

SuffixPairMemo::SuffixPairMemo(std::int32_t firstLength, std::int32_t secondLength, std::size_t mostDenseCells)
    : secondLength_(static_cast<std::size_t>(std::max(secondLength, 0)))
{
    const std::size_t cells = static_cast<std::size_t>(std::max(firstLength, 0)) * secondLength_;
    if (cells <= mostDenseCells) {
        lengths_.reset(zeroedArray<std::uint16_t>(cells + 1));
        calls_.reset(zeroedArray<std::uint64_t>(cells + 1));
    } else {
        slots_.resize(1024);
    }
}

std::uint32_t SuffixPairMemo::keyOf(std::int32_t i, std::int32_t j)
{
    return static_cast<std::uint32_t>(i) << 16 | static_cast<std::uint32_t>(j);
}

std::size_t SuffixPairMemo::cellOf(std::int32_t i, std::int32_t j) const
{
    return static_cast<std::size_t>(i - 1) * secondLength_ + static_cast<std::size_t>(j - 1);
}

// Pairs of one column a few rows apart share a cache line: a scan's candidates, and the
// skipped characters it weighs against one partner, lie next to each other in the first
// text. Each group of kLineSlots rows has one home line and probes on from there.
std::size_t SuffixPairMemo::slotOf(std::uint32_t key) const
{
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t i = key >> 16, j = key & 0xffff;
    std::uint64_t h = (i / kLineSlots) << 16 | j;  // a full 64-bit mix, so that neighbouring groups spread out
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    std::size_t slot = (static_cast<std::size_t>(h) & mask & ~std::size_t{kLineSlots - 1}) | i % kLineSlots;
    while (slots_[slot].key != 0 && slots_[slot].key != key) slot = (slot + 1) & mask;
    return slot;
}

std::optional<ScanOutcome> SuffixPairMemo::find(std::int32_t i, std::int32_t j) const
{
    if (lengths_) {
        const std::size_t cell = cellOf(i, j);
        if (lengths_[cell] == 0) return std::nullopt;
        return ScanOutcome{static_cast<std::int16_t>(lengths_[cell] - 1), calls_[cell]};
    }
    const Slot& slot = slots_[slotOf(keyOf(i, j))];
    if (slot.key == 0) return std::nullopt;
    return ScanOutcome{slot.length, slot.nestedCalls};
}

void SuffixPairMemo::insert(std::int32_t i, std::int32_t j, const ScanOutcome& outcome)
{
    if (lengths_) {
        const std::size_t cell = cellOf(i, j);
        size_ += lengths_[cell] == 0;
        lengths_[cell] = static_cast<std::uint16_t>(outcome.length + 1);
        calls_[cell] = outcome.nestedCalls;
        return;
    }
    if ((size_ + 1) * 2 > slots_.size()) grow();
    const std::uint32_t key = keyOf(i, j);
    Slot& slot = slots_[slotOf(key)];
    if (slot.key == 0) ++size_;
    slot = {key, outcome.length, outcome.nestedCalls};
}

void SuffixPairMemo::grow()
{
    std::vector<Slot, LineAllocator<Slot>> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.key != 0) slots_[slotOf(slot.key)] = slot;
}

}  // namespace velmora
