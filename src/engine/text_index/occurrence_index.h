#pragma once
// Where each character occurs in a text, so that "the next occurrence of c at or after
// position p" is a binary search instead of a rescan of the text, or a single lookup in
// a text of few distinct characters.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

class OccurrenceIndex {
public:
    using Entry = std::pair<char16_t, std::int32_t>;  // character, 1-based position
    using Iterator = std::vector<Entry>::const_iterator;

    explicit OccurrenceIndex(std::u16string_view text);

    // The first position at or after from that holds c, or 0 when there is none.
    std::int32_t next(char16_t c, std::int32_t from) const;
    // The occurrences of c at or after from, in increasing order: iterate while
    // isOccurrence(it, c) holds.
    Iterator occurrencesFrom(char16_t c, std::int32_t from) const;
    // The last position that holds c, or 0 when there is none.
    std::int32_t last(char16_t c) const;
    bool isOccurrence(Iterator it, char16_t c) const { return it != entries_.end() && it->first == c; }

private:
    static std::uint64_t keyOf(char16_t c, std::int32_t position)
    {
        return std::uint64_t{c} << 32 | static_cast<std::uint32_t>(position);
    }
    std::vector<Entry> entries_;  // sorted by character, then position
    // The same entries as single integers, for a search without branches: the look-ahead
    // asks for occurrences at every step, and the search over pairs, mostly their
    // three-way comparisons, took an eighth of some whole computations.
    std::vector<std::uint64_t> keys_;
    // Texts of at most kMostTabulated distinct characters (runs, DNA, the long stretches the
    // look-ahead walks over) also keep, per character and position, the index of its first
    // entry at or after that position: the search over 32,766 keys missed the cache at
    // every step and took an eighth of such computations.
    static constexpr std::size_t kMostTabulated = 16;
    std::vector<char16_t> tabulated_;            // the characters, in the order of entries_
    std::vector<std::uint32_t> firstEntryFrom_;  // (text length + 2) per character, by position
};

}  // namespace velmora
