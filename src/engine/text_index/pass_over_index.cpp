#include "engine/text_index/pass_over_index.h"

#include <algorithm>

namespace velmora {

PassOverIndex::PassOverIndex(const OccurrenceIndex& firstIndex, std::u16string_view second)
    : secondLength_(static_cast<std::int32_t>(second.size()))
{
    std::vector<std::int16_t> level(second.size());
    for (std::size_t p = 0; p < second.size(); ++p)  // a run repeats its first character's answer
        level[p] =
            p > 0 && second[p] == second[p - 1] ? level[p - 1] : static_cast<std::int16_t>(firstIndex.last(second[p]));
    reach_.push_back(std::move(level));
    for (std::size_t width = 1; 2 * width <= second.size(); width *= 2) {
        const std::vector<std::int16_t>& below = reach_.back();
        std::vector<std::int16_t> above(below.size() - width);
        for (std::size_t p = 0; p < above.size(); ++p) above[p] = std::max(below[p], below[p + width]);
        reach_.push_back(std::move(above));
    }
}

std::int32_t PassOverIndex::stop(std::int32_t i, std::int32_t j) const
{
    auto p = static_cast<std::size_t>(j - 1);
    if (p >= reach_[0].size() || reach_[0][p] >= i) return j;
    const std::size_t top = reach_.size() - 1;
    const auto passedOver = [&](std::size_t k) { return p < reach_[k].size() && reach_[k][p] < i; };
    // Blocks of doubling width while all their characters end before i: where a scan
    // passes over a character or two between matches, this costs a step or two instead
    // of one per level.
    std::size_t k = 0;
    while (passedOver(k)) {
        p += std::size_t{1} << k;
        if (k < top) ++k;
    }
    // The next stop lies within the block of width 2^k at p (or the text ends there):
    // narrowing blocks find it.
    while (k-- > 0)
        if (passedOver(k)) p += std::size_t{1} << k;
    return static_cast<std::int32_t>(std::min<std::size_t>(p, static_cast<std::size_t>(secondLength_))) + 1;
}

}  // namespace velmora
