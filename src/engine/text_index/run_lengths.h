#pragma once
// Runs of one repeated character: per position, how many equal characters follow from
// there (itself included), so that two long equal runs are matched in one step.

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

inline std::vector<std::int32_t> remainingRuns(std::u16string_view text)
{
    std::vector<std::int32_t> runs(text.size());
    for (std::size_t p = text.size(); p-- > 0;)
        runs[p] = p + 1 < text.size() && text[p + 1] == text[p] ? runs[p + 1] + 1 : 1;
    return runs;
}

}  // namespace velmora
