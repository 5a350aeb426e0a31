#include "engine/text_index/occurrence_index.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace velmora {

// Sorted by character with two stable byte-wise counting passes (low byte, then high):
// the positions come in rising order, so they stay so within each character, and a text
// of 32,766 characters is indexed in linear time.
OccurrenceIndex::OccurrenceIndex(std::u16string_view text)
{
    std::vector<Entry> scratch;
    scratch.reserve(text.size());
    for (std::size_t p = 0; p < text.size(); ++p) scratch.emplace_back(text[p], static_cast<std::int32_t>(p + 1));
    entries_.resize(text.size());
    for (const int shift : {0, 8}) {
        std::array<std::size_t, 257> start{};
        for (const Entry& e : scratch) ++start[((e.first >> shift) & 0xFF) + 1];
        for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        for (const Entry& e : scratch) entries_[start[(e.first >> shift) & 0xFF]++] = e;
        if (shift == 0) scratch.swap(entries_);
    }
    keys_.reserve(entries_.size());
    for (const auto& [c, position] : entries_) keys_.push_back(keyOf(c, position));

    for (std::size_t k = 0; k < entries_.size() && tabulated_.size() <= kMostTabulated; ++k)
        if (k == 0 || entries_[k].first != entries_[k - 1].first) tabulated_.push_back(entries_[k].first);
    if (tabulated_.size() > kMostTabulated) {
        tabulated_.clear();
        return;
    }
    const std::size_t positions = text.size() + 2;
    firstEntryFrom_.resize(tabulated_.size() * positions);
    std::size_t end = 0;
    for (std::size_t d = 0; d < tabulated_.size(); ++d) {
        while (end < entries_.size() && entries_[end].first == tabulated_[d]) ++end;
        // From the end of the text back: each occurrence met is the character's next entry.
        auto entry = static_cast<std::uint32_t>(end);
        std::uint32_t* from = &firstEntryFrom_[d * positions];
        from[text.size() + 1] = entry;
        for (std::size_t p = text.size(); p >= 1; --p) {
            if (text[p - 1] == tabulated_[d]) --entry;
            from[p] = entry;
        }
        from[0] = entry;
    }
}

OccurrenceIndex::Iterator OccurrenceIndex::occurrencesFrom(char16_t c, std::int32_t from) const
{
    const auto positions = static_cast<std::int64_t>(keys_.size()) + 2;
    if (from >= 0 && from < positions)
        for (std::size_t d = 0; d < tabulated_.size(); ++d)
            if (tabulated_[d] == c)
                return entries_.begin() +
                       firstEntryFrom_[d * static_cast<std::size_t>(positions) + static_cast<std::size_t>(from)];
    const std::uint64_t key = keyOf(c, from);
    const std::uint64_t* base = keys_.data();
    std::size_t n = keys_.size();
    if (n == 0) return entries_.end();
    while (n > 1) {
        const std::size_t half = n / 2;
        base = base[half - 1] < key ? base + half : base;
        n -= half;
    }
    const auto found = static_cast<std::size_t>(base - keys_.data()) + (*base < key ? 1 : 0);
    return entries_.begin() + static_cast<std::ptrdiff_t>(found);
}

std::int32_t OccurrenceIndex::last(char16_t c) const
{
    const auto after = std::upper_bound(entries_.begin(), entries_.end(), Entry{c, INT32_MAX});
    return after != entries_.begin() && std::prev(after)->first == c ? std::prev(after)->second : 0;
}

std::int32_t OccurrenceIndex::next(char16_t c, std::int32_t from) const
{
    const auto found = occurrencesFrom(c, from);
    return isOccurrence(found, c) ? found->second : 0;
}

}  // namespace velmora
