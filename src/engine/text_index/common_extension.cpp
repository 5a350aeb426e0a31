#include "engine/text_index/common_extension.h"

#include <algorithm>
#include <bit>
#include <divsufsort.h>
#include <new>
#include <string>

namespace velmora {
namespace {

// The suffixes of a UTF-16 text in code-unit order: libdivsufsort sorts bytes, and the
// suffixes that start at even offsets of the big-endian bytes sort exactly as the units.
std::vector<std::int32_t> suffixArray(std::u16string_view text)
{
    std::vector<std::uint8_t> bytes(text.size() * 2);
    for (std::size_t p = 0; p < text.size(); ++p) {
        bytes[2 * p] = static_cast<std::uint8_t>(text[p] >> 8);
        bytes[2 * p + 1] = static_cast<std::uint8_t>(text[p] & 0xFF);
    }
    std::vector<saidx_t> byteOrder(bytes.size());
    if (!bytes.empty() && divsufsort(bytes.data(), byteOrder.data(), static_cast<saidx_t>(bytes.size())) != 0)
        throw std::bad_alloc();
    std::vector<std::int32_t> order;
    order.reserve(text.size());
    for (const saidx_t b : byteOrder)
        if (b % 2 == 0) order.push_back(b / 2);
    return order;
}

}  // namespace

CommonExtension::CommonExtension(std::u16string_view first, std::u16string_view second)
    : firstLength_(static_cast<std::int32_t>(first.size())),
      secondLength_(static_cast<std::int32_t>(second.size()))
{
    std::u16string both(first);
    both += second;
    const auto n = static_cast<std::int32_t>(both.size());
    const std::vector<std::int32_t> order = suffixArray(both);
    rank_.assign(both.size(), 0);
    for (std::int32_t r = 0; r < n; ++r) rank_[static_cast<std::size_t>(order[static_cast<std::size_t>(r)])] = r;

    // Kasai: lcp[r] is the common prefix of the suffixes ranked r - 1 and r.
    std::vector<std::int32_t> lcp(both.size(), 0);
    for (std::int32_t p = 0, h = 0; p < n; ++p) {
        const std::int32_t r = rank_[static_cast<std::size_t>(p)];
        if (r == 0) {
            h = 0;
            continue;
        }
        const std::int32_t q = order[static_cast<std::size_t>(r - 1)];
        while (p + h < n && q + h < n && both[static_cast<std::size_t>(p + h)] == both[static_cast<std::size_t>(q + h)])
            ++h;
        lcp[static_cast<std::size_t>(r)] = h;
        if (h > 0) --h;
    }
    minima_.push_back(std::move(lcp));
    for (std::size_t width = 1; 2 * width < both.size(); width *= 2) {
        const std::vector<std::int32_t>& below = minima_.back();
        std::vector<std::int32_t> level(both.size() - 2 * width + 1);
        for (std::size_t r = 0; r < level.size(); ++r) level[r] = std::min(below[r], below[r + width]);
        minima_.push_back(std::move(level));
    }
}

// The smallest lcp over ranks lowRank + 1 .. highRank.
std::int32_t CommonExtension::minimumBetween(std::int32_t lowRank, std::int32_t highRank) const
{
    const auto from = static_cast<std::size_t>(lowRank + 1);
    const auto count = static_cast<std::size_t>(highRank - lowRank);
    const auto level = static_cast<std::size_t>(std::bit_width(count) - 1);
    const std::vector<std::int32_t>& minima = minima_[level];
    return std::min(minima[from], minima[from + count - (std::size_t{1} << level)]);
}

std::int32_t CommonExtension::length(std::int32_t i, std::int32_t j) const
{
    return agreement(i - 1, firstLength_ + j - 1, std::min(firstLength_ - i + 1, secondLength_ - j + 1));
}

std::int32_t CommonExtension::withinFirst(std::int32_t i, std::int32_t k) const
{
    return agreement(i - 1, k - 1, firstLength_ - std::max(i, k) + 1);
}

std::int32_t CommonExtension::withinSecond(std::int32_t j, std::int32_t k) const
{
    return agreement(firstLength_ + j - 1, firstLength_ + k - 1, secondLength_ - std::max(j, k) + 1);
}

std::int32_t CommonExtension::agreement(std::int32_t x, std::int32_t y, std::int32_t limit) const
{
    if (limit <= 0) return 0;
    if (x == y) return limit;
    // Both suffixes run on into whatever follows in first+second, so the agreement is cut
    // at the shorter remainder.
    const std::int32_t a = rank_[static_cast<std::size_t>(x)];
    const std::int32_t b = rank_[static_cast<std::size_t>(y)];
    return std::min(limit, minimumBetween(std::min(a, b), std::max(a, b)));
}

}  // namespace velmora
