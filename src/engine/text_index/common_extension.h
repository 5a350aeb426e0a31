#pragma once
// How far two remainders of two fixed texts agree: the length of the common prefix of
// first[i..] and second[j..], in constant time. Periodic texts agree along whole
// diagonals, and walking those unit by unit made every evaluation cost the length of the
// texts. Built from a suffix array of both texts (libdivsufsort), the longest common
// prefixes of neighbouring suffixes, and a table of range minima over them.

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

class CommonExtension {
public:
    // The texts need not outlive this object.
    CommonExtension(std::u16string_view first, std::u16string_view second);

    // Common prefix length of first[i..] and second[j..], 1-based, each at most one past
    // the end of its text.
    std::int32_t length(std::int32_t i, std::int32_t j) const;
    // The same within one text: first[i..] and first[k..], second[j..] and second[k..].
    std::int32_t withinFirst(std::int32_t i, std::int32_t k) const;
    std::int32_t withinSecond(std::int32_t j, std::int32_t k) const;

private:
    // Of the suffixes of first+second at 0-based x and y, cut at limit.
    std::int32_t agreement(std::int32_t x, std::int32_t y, std::int32_t limit) const;
    std::int32_t minimumBetween(std::int32_t lowRank, std::int32_t highRank) const;

    std::int32_t firstLength_, secondLength_;
    std::vector<std::int32_t> rank_;  // of the suffix of first+second at each unit
    // level k, rank r: the smallest common prefix of neighbouring suffixes r+1 .. r+2^k.
    std::vector<std::vector<std::int32_t>> minima_;
};

}  // namespace velmora
